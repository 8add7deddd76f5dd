// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "radio/AudioPorts.h"

#include <QAudioDevice>
#include <QAudioFormat>
#include <QByteArray>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QStringList>
#include <QTimer>

#include <chrono>
#include <memory>
#include <span>

class QAudioSink;
class QAudioSource;
class QIODevice;

namespace winorbis::radio::qtsound {

// The names an operator may give for a sound card's capture or playback device: each device's
// description as the sound server lists it (QMediaDevices), the default first.
QStringList captureDeviceNames();
QStringList playbackDeviceNames();

// A device chosen by name: its description or its id; empty is the default device. Null with the
// reason (no sound server, no such device, the device refuses to start) when it cannot be opened.
std::unique_ptr<AudioSource> openAudioSource(const QString& name, QString* error);
std::unique_ptr<AudioSink> openAudioSink(const QString& name, QString* error);

namespace soundcard {

// The stream format for a device: mono, 48000 Hz or the device's own rate when it does not take
// 48000, 16-bit integers or floats as the device prefers them.
QAudioFormat streamFormat(const QAudioDevice& device);
// Samples of full scale 1 from the bytes of a stream in format; a piece of a sample at the end
// stays in carry for the next call. Returns how many were written to out.
std::size_t samplesFromBytes(const QAudioFormat& format, QByteArray& carry, const char* bytes,
                             std::size_t count, float* out);
// The bytes of samples (clipped to full scale) in format.
QByteArray bytesFromSamples(const QAudioFormat& format, std::span<const float> samples);

} // namespace soundcard

// A sound card's capture device: a QAudioSource in push mode whose bytes are taken by read() and
// turned into floats. When the device fails or vanishes (the sound server stopped, a USB card
// unplugged, nothing coming for five seconds), problem() says so and a timer opens it again once a
// second until it is back. (Qt 6.4 waits without end for a new stream of a sound server that
// hangs rather than goes; such a server is reported as silence, and the try after it blocks until
// the server goes on or goes away.)
class SoundCardSource final : public QObject, public AudioSource {
    Q_OBJECT
public:
    // name: for messages and for finding the device again.
    SoundCardSource(const QString& name, const QAudioDevice& device);
    ~SoundCardSource() override;

    // False with the reason when the device does not start.
    bool start(QString* error);

    double sampleRate() const override { return format_.sampleRate(); }
    std::size_t read(std::span<float> out) override;
    QString problem() const override { return problem_; }

private:
    void fail(const QString& why);
    enum class When { Now, Later };
    void close(When when = When::Now);
    void tryAgain();
    void checkState();
    void checkDeviceList();

    QString name_;
    QAudioDevice device_;
    QAudioFormat format_;
    std::unique_ptr<QAudioSource> source_;
    // The stream while it records; the source deletes it when it fails.
    QPointer<QIODevice> stream_;
    QByteArray bytes_; // what one read() takes from the stream, kept between calls
    QByteArray carry_;
    QString problem_;
    QTimer retry_;
    QTimer watchdog_;
    // Bytes taken by read() in all, and what had come at the last look.
    qint64 taken_ = 0;
    qint64 seen_ = -1;
    std::chrono::steady_clock::time_point lastData_;
};

// A sound card's playback device: a QAudioSink in push mode fed from a queue of bytes by a short
// timer, so that play() never blocks. Fails and comes back as SoundCardSource does.
class SoundCardSink final : public QObject, public AudioSink {
    Q_OBJECT
public:
    SoundCardSink(const QString& name, const QAudioDevice& device);
    ~SoundCardSink() override;

    bool start(QString* error);

    double sampleRate() const override { return format_.sampleRate(); }
    bool play(std::span<const float> samples) override;
    double pendingMs() const override;
    void stop() override;
    QString problem() const override { return problem_; }

private:
    void fail(const QString& why);
    enum class When { Now, Later };
    void close(When when = When::Now);
    void tryAgain();
    void checkState();
    void checkDeviceList();
    void feed();

    QString name_;
    QAudioDevice device_;
    QAudioFormat format_;
    std::unique_ptr<QAudioSink> sink_;
    QPointer<QIODevice> stream_;
    QByteArray queue_;
    QString problem_;
    QTimer retry_;
    QTimer watchdog_;
    QTimer feeder_;
};

} // namespace winorbis::radio::qtsound
