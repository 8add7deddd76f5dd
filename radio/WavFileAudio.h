// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "AudioPorts.h"

#include <QFile>

#include <cstdint>
#include <memory>
#include <optional>
#include <vector>

namespace winorbis {
class Clock;
}

namespace winorbis::radio {

// A WAV recording played as if it came from the radio: its samples are released as the clock's
// time passes, from the moment it was opened, or all at once as fast as they are read; once all
// have been read it is at its end.
class WavFileSource : public AudioSource {
public:
    // Null with the reason when the file cannot be read as a WAV recording.
    static std::unique_ptr<WavFileSource> open(const QString& path, const Clock& clock,
                                               QString* why);
    // The same, not paced: every sample can be read at once.
    static std::unique_ptr<WavFileSource> open(const QString& path, QString* why);

    double sampleRate() const override { return rate_; }
    std::size_t read(std::span<float> out) override;
    QString problem() const override { return {}; }
    bool atEnd() const override { return next_ >= samples_.size(); }
    double durationMs() const { return double(samples_.size()) * 1000.0 / rate_; }

private:
    WavFileSource(const Clock* clock, double rate, std::vector<float> samples);

    const Clock* clock_; // null: not paced
    double rate_;
    std::vector<float> samples_;
    std::int64_t startMs_;
    std::size_t next_ = 0;
};

// Transmissions written into a WAV file of 16-bit mono samples, one after the other. The header
// is brought up to date after every play and at the end of each transmission, so the file is
// whole whenever the program is stopped.
class WavFileSink : public AudioSink {
public:
    // Null with the reason when the file cannot be created.
    static std::unique_ptr<WavFileSink> create(const QString& path, int sampleRate, QString* why);

    double sampleRate() const override { return rate_; }
    bool play(std::span<const float> samples) override;
    double pendingMs() const override { return 0.0; }
    void stop() override {}
    void endTransmission() override;
    QString problem() const override { return problem_; }
    std::int64_t samplesWritten() const { return written_; }

private:
    WavFileSink(std::unique_ptr<QFile> file, int rate);
    bool writeHeader();

    std::unique_ptr<QFile> file_;
    int rate_;
    std::int64_t written_ = 0;
    QString problem_;
};

} // namespace winorbis::radio
