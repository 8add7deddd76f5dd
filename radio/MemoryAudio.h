// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "AudioPorts.h"

#include <cstddef>
#include <mutex>
#include <vector>

namespace winorbis::radio {

// Audio held in memory, for tests: what is pushed is read at once, as fast as it is taken. The
// test may push on its thread while a converter's worker reads.
class MemoryAudioSource : public AudioSource {
public:
    explicit MemoryAudioSource(double sampleRate)
        : rate_(sampleRate) {}

    void push(std::span<const float> samples) {
        std::lock_guard lock(mutex_);
        queued_.insert(queued_.end(), samples.begin(), samples.end());
    }
    // Nothing more will come: atEnd() once all has been read.
    void close() {
        std::lock_guard lock(mutex_);
        closed_ = true;
    }
    std::size_t waiting() const {
        std::lock_guard lock(mutex_);
        return queued_.size() - next_;
    }

    double sampleRate() const override { return rate_; }
    std::size_t read(std::span<float> out) override;
    QString problem() const override { return {}; }
    bool atEnd() const override {
        std::lock_guard lock(mutex_);
        return closed_ && next_ == queued_.size();
    }

private:
    double rate_;
    mutable std::mutex mutex_; // guards what follows
    std::vector<float> queued_;
    std::size_t next_ = 0;
    bool closed_ = false;
};

// A sink into memory, for tests: keeps every sample played. It can stand for a device that
// stalls (its audio never leaves) or fails (play refused from a sample count on). samples() is
// for a test once the sink is quiet.
class MemoryAudioSink : public AudioSink {
public:
    explicit MemoryAudioSink(double sampleRate)
        : rate_(sampleRate) {}

    const std::vector<float>& samples() const { return samples_; }
    int transmissionsEnded() const { return ended_; }
    int stops() const { return stops_; }
    // The audio never leaves: pendingMs stays above zero.
    void setStalled(bool stalled) { stalled_ = stalled; }
    // Plays are refused once this many samples have been taken; 0 never.
    void failAfter(std::size_t samples) { failAfter_ = samples; }

    double sampleRate() const override { return rate_; }
    bool play(std::span<const float> samples) override;
    double pendingMs() const override { return stalled_ ? 1000.0 : 0.0; }
    void stop() override { ++stops_; }
    void endTransmission() override { ++ended_; }
    QString problem() const override { return problem_; }

private:
    double rate_;
    std::vector<float> samples_;
    bool stalled_ = false;
    std::size_t failAfter_ = 0;
    int ended_ = 0;
    int stops_ = 0;
    QString problem_;
};

} // namespace winorbis::radio
