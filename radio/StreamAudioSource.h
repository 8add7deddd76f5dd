// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "AudioPorts.h"

#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <thread>
#include <vector>

namespace winorbis::radio {

// Raw signed 16-bit little-endian mono samples from a file descriptor (a pipe such as an SDR
// receiver's output, a file), read in blocks on a thread of its own into a ring of kBufferSeconds.
// A slow pipe stalls nobody: read() takes what has come. A fast one is held back once the ring is
// full: the thread stops reading until samples have been taken, so memory stays bounded and the
// writer waits. At the descriptor's end (or a read error, said by problem()) and once the ring is
// empty the source is at its end. The descriptor is not closed.
class StreamAudioSource final : public AudioSource {
public:
    static constexpr double kBufferSeconds = 4.0;

    StreamAudioSource(int fd, double sampleRate);
    ~StreamAudioSource() override;
    StreamAudioSource(const StreamAudioSource&) = delete;
    StreamAudioSource& operator=(const StreamAudioSource&) = delete;

    double sampleRate() const override { return rate_; }
    std::size_t read(std::span<float> out) override;
    QString problem() const override;
    bool atEnd() const override;

private:
    void run();
    // Takes the bytes read into the ring; false when the source is stopping.
    bool store(const char* bytes, std::size_t count);

    int fd_;
    double rate_;
    int wake_[2] = {-1, -1}; // written to end the thread's wait for input

    mutable std::mutex mutex_; // guards what follows
    std::condition_variable room_;
    std::vector<float> ring_;
    std::size_t head_ = 0;
    std::size_t count_ = 0;
    bool ended_ = false;
    bool stopping_ = false;
    QString problem_;

    std::thread thread_; // declared last: it starts when the rest is ready
};

} // namespace winorbis::radio
