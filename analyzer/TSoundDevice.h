// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "AudioInput.h"

#include <cstdint>
#include <span>

namespace winorbis {

class Dialogs;

// The window that a sound device announces its finished buffers to.
class SoundDeviceWindow {
public:
    virtual ~SoundDeviceWindow() = default;
    // The buffer given to Prepare is done: its first `recorded` bytes hold new samples (all of it
    // unless recording was stopped part way). The device holds no buffer until AddBuffer.
    virtual void WaveInData(int recorded) = 0;
};

// The recording device of the tuning display: opens a recording device in a plain PCM format,
// fills one buffer that belongs to the caller, announces each full buffer to the window on the
// thread that owns the input, and releases everything again. Failures to open the device or to
// prepare or start the recording show the system's reason in an information box.
class TSoundDevice {
public:
    static constexpr int BufferLength = 3572;

    // The input and the dialogs must outlive the device.
    TSoundDevice(AudioInput& input, Dialogs& dialogs);
    ~TSoundDevice();
    TSoundDevice(const TSoundDevice&) = delete;
    TSoundDevice& operator=(const TSoundDevice&) = delete;

    // Opens the recording device for the window in the given format; an open device is closed
    // first. True on success.
    bool Open(SoundDeviceWindow* window, int channels, int bytesPerSample, int sampleRate);
    // Hands over the caller's buffer of BufferLength bytes and queues it; it must stay valid
    // until Close. Does nothing unless the device is open; a buffer still prepared is released
    // first.
    void Prepare(std::uint8_t* buffer);
    // Starts recording if the device is open and a buffer prepared; true when it records.
    bool Start();
    // Queues the prepared buffer again after it was done; false when the device is closed or
    // holds no prepared buffer.
    bool AddBuffer();
    // Stops recording; a buffer filled part way is announced with what it holds.
    void Stop();
    // Releases the buffer and stops and closes an open device.
    void Close();

    bool isOpen() const { return open_; }
    bool isPrepared() const { return prepared_; }
    // The prepared buffer is queued: recorded samples go into it.
    bool isQueued() const { return queued_; }
    AudioInput& input() { return input_; }

private:
    // Shows a failure's reason; true when there was none.
    bool report(const QString& reason);
    void receive(std::span<const std::uint8_t> samples);

    AudioInput& input_;
    Dialogs& dialogs_;
    SoundDeviceWindow* window_ = nullptr;
    std::uint8_t* buffer_ = nullptr;
    int recorded_ = 0;
    bool open_ = false;
    bool prepared_ = false;
    bool queued_ = false;
};

} // namespace winorbis
