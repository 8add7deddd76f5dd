// SPDX-License-Identifier: GPL-3.0-or-later
#include "TSoundDevice.h"

#include "AnalyzerTexts.h"

#include "platform/Dialogs.h"

#include <algorithm>
#include <cstring>
#include <utility>

namespace winorbis {

TSoundDevice::TSoundDevice(AudioInput& input, Dialogs& dialogs)
    : input_(input)
    , dialogs_(dialogs) {}

TSoundDevice::~TSoundDevice() {
    Close();
}

bool TSoundDevice::report(const QString& reason) {
    if (reason.isEmpty())
        return true;
    dialogs_.message(reason, Dialogs::Kind::Information);
    return false;
}

bool TSoundDevice::Open(SoundDeviceWindow* window, int channels, int bytesPerSample,
                        int sampleRate) {
    if (open_)
        Close();
    const RecordingFormat format{channels, bytesPerSample, sampleRate};
    const QString reason =
        input_.open(format, [this](std::span<const std::uint8_t> samples) { receive(samples); });
    if (!report(reason))
        return false;
    window_ = window;
    open_ = true;
    return true;
}

void TSoundDevice::Prepare(std::uint8_t* buffer) {
    if (!open_)
        return;
    // A buffer still prepared is released: nothing more is recorded into it.
    buffer_ = nullptr;
    prepared_ = false;
    queued_ = false;
    recorded_ = 0;
    if (!report(buffer ? QString() : analyzertexts::noBuffer))
        return;
    buffer_ = buffer;
    prepared_ = true;
    queued_ = true;
}

bool TSoundDevice::Start() {
    return open_ && prepared_ && report(input_.start());
}

bool TSoundDevice::AddBuffer() {
    if (!open_ || !prepared_)
        return false;
    if (!queued_) {
        queued_ = true;
        recorded_ = 0;
    }
    return true;
}

void TSoundDevice::Stop() {
    if (!open_)
        return;
    // The input hands over what it still holds before it stops.
    input_.stop();
    if (prepared_ && queued_ && recorded_ > 0) {
        queued_ = false;
        const int recorded = std::exchange(recorded_, 0);
        if (window_)
            window_->WaveInData(recorded);
    }
}

void TSoundDevice::Close() {
    if (prepared_) {
        buffer_ = nullptr;
        prepared_ = false;
        queued_ = false;
        recorded_ = 0;
    }
    if (open_) {
        input_.stop();
        input_.close();
        open_ = false;
        window_ = nullptr;
    }
}

void TSoundDevice::receive(std::span<const std::uint8_t> samples) {
    // Samples that arrive while no buffer is queued are not recorded.
    while (!samples.empty() && prepared_ && queued_) {
        const std::size_t room = std::size_t(BufferLength - recorded_);
        const std::size_t count = std::min(room, samples.size());
        std::memcpy(buffer_ + recorded_, samples.data(), count);
        recorded_ += int(count);
        samples = samples.subspan(count);
        if (recorded_ == BufferLength) {
            queued_ = false;
            recorded_ = 0;
            // The window usually queues the buffer again from within, and the rest of the piece
            // then goes into it.
            if (window_)
                window_->WaveInData(BufferLength);
        }
    }
}

} // namespace winorbis
