// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

#include <cstddef>
#include <span>

namespace winorbis::radio {

// Where the sound-card converter hears the radio: mono samples of full scale 1 at the source's
// rate, taken in blocks of any size. Kinds: a sound card's capture device, a recording played at
// real time, memory for tests. Used on the thread that made it, which runs a Qt event loop; no
// call blocks.
class AudioSource {
public:
    virtual ~AudioSource() = default;
    // Samples per second as the device or file gives them (the nominal rate; the clock
    // correction is the converter's business).
    virtual double sampleRate() const = 0;
    // Takes up to out.size() of the samples that have come since the last call; returns how many.
    virtual std::size_t read(std::span<float> out) = 0;
    // Empty while samples come; else why not ("Capture device ... has gone"). A source with a
    // problem tries to open its device again at most once a second, by itself, and clears the
    // problem when it is back.
    virtual QString problem() const = 0;
    // True once a recording has been played to its end; never for a device.
    virtual bool atEnd() const { return false; }
};

// Where the sound-card converter speaks to the radio: mono samples of full scale 1 at the sink's
// rate. Kinds: a sound card's playback device, a WAV file, memory for tests. Used on the thread
// that made it, which runs a Qt event loop; no call blocks.
class AudioSink {
public:
    virtual ~AudioSink() = default;
    virtual double sampleRate() const = 0;
    // Queues samples to be played after those queued before; false when they cannot be (the
    // device has gone: problem() says why).
    virtual bool play(std::span<const float> samples) = 0;
    // Milliseconds of queued audio that have not yet left the device (0 for a file once written).
    virtual double pendingMs() const = 0;
    // How far ahead of the air time a transmission's samples are given. A file or memory takes
    // them as the air would, a second ahead. A device on a thread of its
    // own plays at its own pace and takes them well ahead, so that a stall of the thread that
    // gives them (a busy computer, a disk that holds a write) leaves no gap on the air: the far
    // station loses a picture at a gap of a second.
    static constexpr int kLeadMs = 1000;
    virtual double leadMs() const { return kLeadMs; }
    // Drops what has not been played yet (a cut transmission).
    virtual void stop() = 0;
    // The end of one transmission: a file sink makes its file whole (header matching the samples
    // written); a device sink does nothing.
    virtual void endTransmission() {}
    // Empty while it works; else why not. Reopens by itself at most once a second.
    virtual QString problem() const = 0;
};

} // namespace winorbis::radio
