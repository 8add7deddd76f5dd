// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QList>
#include <QString>

#include <cstdint>
#include <functional>
#include <span>

namespace winorbis {

// The PCM format asked of a recording device.
struct RecordingFormat {
    int channels = 1;
    int bytesPerSample = 1; // 1: unsigned 8-bit, 2: signed 16-bit
    int sampleRate = 8000;

    friend bool operator==(const RecordingFormat&, const RecordingFormat&) = default;
};

// One recording device of the machine: id is what the sound system knows it by and stays the
// same from run to run, name is what the operator reads.
struct RecordingDevice {
    QString id;
    QString name;
};

// The recording side of a sound card, as raw bytes in the format asked for. Samples are handed
// over in pieces of any length, in order, on the thread that owns the input (the user-interface
// thread); nothing is delivered before start() or after stop(). The sound device cuts the pieces
// into buffers; the real input is the sound system (Qt Multimedia), tests use one fed from code.
class AudioInput {
public:
    using DataHandler = std::function<void(std::span<const std::uint8_t>)>;

    virtual ~AudioInput() = default;

    // The recording devices present now.
    virtual QList<RecordingDevice> devices() const = 0;
    // The device to record from by its id; empty, or an id not present at open, means the
    // system's default recording device.
    virtual void choose(const QString& id) = 0;
    virtual QString chosen() const = 0;

    // Opens the device for the format; empty on success, otherwise the system's reason. Opening
    // an open input closes it first.
    virtual QString open(const RecordingFormat& format, DataHandler onData) = 0;
    // Starts recording; empty on success, otherwise the reason.
    virtual QString start() = 0;
    // Stops recording; what was recorded and not yet handed over is handed over first.
    virtual void stop() = 0;
    virtual void close() = 0;
};

} // namespace winorbis
