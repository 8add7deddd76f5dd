// SPDX-License-Identifier: GPL-3.0-or-later
#include "SoundCard.h"

#include <QAudioSink>
#include <QAudioSource>
#include <QMediaDevices>
#include <QtEndian>

#include <algorithm>
#include <cmath>
#include <cstring>

namespace winorbis::radio::qtsound {

namespace {

using SteadyClock = std::chrono::steady_clock;

constexpr int kRetryMs = 1000;
// A capture that has brought nothing for this long has stopped, whatever its state says. A
// sound server's virtual devices may take two seconds to bring their first samples.
constexpr int kSilenceMs = 5000;
// How often a device in use is checked: still listed, still running.
constexpr int kWatchMs = 500;
// How often the playback queue is handed to the device.
constexpr int kFeedMs = 5;

QString listed(const QList<QAudioDevice>& devices) {
    QStringList names;
    for (const QAudioDevice& device : devices)
        names.append(QLatin1Char('"') + device.description() + QLatin1Char('"'));
    return names.join(QStringLiteral(", "));
}

// The device a name names among those present: by description, by id, or (less strictly) by
// description in any letter case; empty names the default device. A null device when it is not
// there.
QAudioDevice findDevice(const QString& name, const QList<QAudioDevice>& present,
                        const QAudioDevice& standard) {
    if (name.isEmpty())
        return standard.isNull() && !present.isEmpty() ? present.front() : standard;
    for (const QAudioDevice& device : present) {
        if (device.description() == name || QString::fromUtf8(device.id()) == name)
            return device;
    }
    for (const QAudioDevice& device : present) {
        if (device.description().compare(name, Qt::CaseInsensitive) == 0)
            return device;
    }
    return {};
}

QAudioDevice findCapture(const QString& name) {
    return findDevice(name, QMediaDevices::audioInputs(), QMediaDevices::defaultAudioInput());
}

QAudioDevice findPlayback(const QString& name) {
    return findDevice(name, QMediaDevices::audioOutputs(), QMediaDevices::defaultAudioOutput());
}

bool stillListed(const QAudioDevice& device, const QList<QAudioDevice>& present) {
    return std::any_of(present.begin(), present.end(),
                       [&](const QAudioDevice& d) { return d.id() == device.id(); });
}

// The reason a device cannot be found, in the operator's words.
QString notFound(const QString& kind, const QString& name, const QList<QAudioDevice>& present) {
    if (present.isEmpty())
        return QStringLiteral("No sound %1 device: the sound server is not running or has none")
            .arg(kind);
    if (name.isEmpty())
        return QStringLiteral("The sound server names no default %1 device").arg(kind);
    return QStringLiteral("There is no sound %1 device \"%2\"; the sound server has %3")
        .arg(kind, name, listed(present));
}

bool fatal(QAudio::Error error) {
    return error == QAudio::OpenError || error == QAudio::IOError || error == QAudio::FatalError;
}

QString gone(const QString& kind, const QString& description) {
    return QStringLiteral("%1 device \"%2\" has gone (the sound server stopped or the device was "
                          "unplugged); trying again every second")
        .arg(kind, description);
}

} // namespace

QStringList captureDeviceNames() {
    QStringList names;
    const QAudioDevice standard = QMediaDevices::defaultAudioInput();
    if (!standard.isNull())
        names.append(standard.description());
    for (const QAudioDevice& device : QMediaDevices::audioInputs()) {
        if (!names.contains(device.description()))
            names.append(device.description());
    }
    return names;
}

QStringList playbackDeviceNames() {
    QStringList names;
    const QAudioDevice standard = QMediaDevices::defaultAudioOutput();
    if (!standard.isNull())
        names.append(standard.description());
    for (const QAudioDevice& device : QMediaDevices::audioOutputs()) {
        if (!names.contains(device.description()))
            names.append(device.description());
    }
    return names;
}

std::unique_ptr<AudioSource> openAudioSource(const QString& name, QString* error) {
    const QAudioDevice device = findCapture(name);
    if (device.isNull()) {
        if (error)
            *error = notFound(QStringLiteral("capture"), name, QMediaDevices::audioInputs());
        return nullptr;
    }
    auto source = std::make_unique<SoundCardSource>(name, device);
    QString problem;
    if (!source->start(&problem)) {
        if (error)
            *error = problem;
        return nullptr;
    }
    return source;
}

std::unique_ptr<AudioSink> openAudioSink(const QString& name, QString* error) {
    const QAudioDevice device = findPlayback(name);
    if (device.isNull()) {
        if (error)
            *error = notFound(QStringLiteral("playback"), name, QMediaDevices::audioOutputs());
        return nullptr;
    }
    auto sink = std::make_unique<SoundCardSink>(name, device);
    QString problem;
    if (!sink->start(&problem)) {
        if (error)
            *error = problem;
        return nullptr;
    }
    return sink;
}

namespace soundcard {

QAudioFormat streamFormat(const QAudioDevice& device) {
    const QAudioFormat preferred = device.preferredFormat();
    const bool floatFirst = preferred.sampleFormat() == QAudioFormat::Float;
    const QAudioFormat::SampleFormat kinds[2] = {
        floatFirst ? QAudioFormat::Float : QAudioFormat::Int16,
        floatFirst ? QAudioFormat::Int16 : QAudioFormat::Float};
    QAudioFormat format;
    format.setChannelCount(1);
    for (const int rate : {48000, preferred.sampleRate()}) {
        if (rate <= 0)
            continue;
        format.setSampleRate(rate);
        for (const auto kind : kinds) {
            format.setSampleFormat(kind);
            if (device.isFormatSupported(format))
                return format;
        }
    }
    // Nothing the device admits to: its own rate, as 16-bit samples, which every device takes.
    format.setSampleRate(preferred.sampleRate() > 0 ? preferred.sampleRate() : 48000);
    format.setSampleFormat(QAudioFormat::Int16);
    return format;
}

std::size_t samplesFromBytes(const QAudioFormat& format, QByteArray& carry, const char* bytes,
                             std::size_t count, float* out) {
    const int size = format.bytesPerSample();
    if (size <= 0)
        return 0;
    std::size_t made = 0;
    const auto convert = [&](const char* sample) {
        switch (format.sampleFormat()) {
        case QAudioFormat::Int16:
            out[made++] = float(qFromUnaligned<std::int16_t>(sample)) / 32768.0f;
            break;
        case QAudioFormat::Int32:
            out[made++] = float(double(qFromUnaligned<std::int32_t>(sample)) / 2147483648.0);
            break;
        case QAudioFormat::Float:
            out[made++] = qFromUnaligned<float>(sample);
            break;
        case QAudioFormat::UInt8:
            out[made++] = float(int(std::uint8_t(*sample)) - 128) / 128.0f;
            break;
        default:
            out[made++] = 0.0f;
        }
    };
    std::size_t used = 0;
    if (!carry.isEmpty()) {
        const std::size_t wanted = std::size_t(size - carry.size());
        const std::size_t take = std::min(wanted, count);
        carry.append(bytes, qsizetype(take));
        used = take;
        if (carry.size() < size)
            return 0;
        convert(carry.constData());
        carry.clear();
    }
    while (count - used >= std::size_t(size)) {
        convert(bytes + used);
        used += std::size_t(size);
    }
    carry.append(bytes + used, qsizetype(count - used));
    return made;
}

QByteArray bytesFromSamples(const QAudioFormat& format, std::span<const float> samples) {
    const int size = format.bytesPerSample();
    QByteArray bytes(qsizetype(samples.size()) * size, Qt::Uninitialized);
    char* at = bytes.data();
    for (const float value : samples) {
        const float clipped = std::isfinite(value) ? std::clamp(value, -1.0f, 1.0f) : 0.0f;
        switch (format.sampleFormat()) {
        case QAudioFormat::Int16:
            // The scale the capture divides by, so that a sample goes there and back unchanged.
            qToUnaligned(std::int16_t(std::clamp(std::lround(clipped * 32768.0f), -32768L, 32767L)),
                         at);
            break;
        case QAudioFormat::Int32:
            qToUnaligned(std::int32_t(std::llround(double(clipped) * 2147483647.0)), at);
            break;
        case QAudioFormat::Float:
            qToUnaligned(clipped, at);
            break;
        case QAudioFormat::UInt8:
            *at = char(std::uint8_t(std::lround(clipped * 127.0f) + 128));
            break;
        default:
            std::memset(at, 0, std::size_t(size));
        }
        at += size;
    }
    return bytes;
}

} // namespace soundcard

// ---- capture

SoundCardSource::SoundCardSource(const QString& name, const QAudioDevice& device)
    : name_(name)
    , device_(device)
    , format_(soundcard::streamFormat(device)) {
    retry_.setInterval(kRetryMs);
    connect(&retry_, &QTimer::timeout, this, &SoundCardSource::tryAgain);
    // The device list is asked, not awaited: Qt 6.4 does not tell when a device goes.
    watchdog_.setInterval(kWatchMs);
    connect(&watchdog_, &QTimer::timeout, this, [this] {
        checkState();
        checkDeviceList();
    });
}

SoundCardSource::~SoundCardSource() {
    close();
}

bool SoundCardSource::start(QString* error) {
    close();
    source_ = std::make_unique<QAudioSource>(device_, format_);
    // A tenth of a second of buffer in the sound server: the converter reads every few
    // milliseconds, and a long buffer only delays what it hears.
    source_->setBufferSize(format_.bytesForDuration(100'000));
    stream_ = source_->start();
    if (!stream_ || fatal(source_->error())) {
        const QString why =
            QStringLiteral("Capture device \"%1\" does not start").arg(device_.description());
        close();
        if (error)
            *error = why;
        return false;
    }
    // Watched from now on: start() itself changes the state before the stream is known.
    connect(source_.get(), &QAudioSource::stateChanged, this, &SoundCardSource::checkState);
    lastData_ = SteadyClock::now();
    seen_ = -1;
    carry_.clear();
    watchdog_.start();
    return true;
}

void SoundCardSource::close(When when) {
    watchdog_.stop();
    if (source_) {
        disconnect(source_.get(), nullptr, this, nullptr);
        if (stream_)
            disconnect(stream_.data(), nullptr, this, nullptr);
        source_->stop();
        // A source that fails is closed from its own signal, which must return into it first.
        if (when == When::Later)
            source_.release()->deleteLater();
    }
    stream_ = nullptr;
    source_.reset();
}

std::size_t SoundCardSource::read(std::span<float> out) {
    if (!problem_.isEmpty() || !stream_ || out.empty())
        return 0;
    const qint64 wanted = qint64(out.size()) * format_.bytesPerSample() - carry_.size();
    if (wanted <= 0)
        return 0;
    if (bytes_.size() < wanted)
        bytes_.resize(qsizetype(wanted));
    const qint64 got = stream_->read(bytes_.data(), wanted);
    if (got <= 0)
        return 0;
    taken_ += got;
    return soundcard::samplesFromBytes(format_, carry_, bytes_.constData(), std::size_t(got),
                                       out.data());
}

void SoundCardSource::fail(const QString& why) {
    if (!problem_.isEmpty())
        return;
    problem_ = why;
    close(When::Later);
    retry_.start();
}

void SoundCardSource::checkState() {
    if (!problem_.isEmpty())
        return;
    if (!source_ || !stream_ || fatal(source_->error()))
        return fail(gone(QStringLiteral("Capture"), device_.description()));
    // Samples have come when more have been taken or are waiting than at the last look (the
    // stream's readyRead also comes without any).
    const qint64 seen = taken_ + stream_->bytesAvailable();
    if (seen != seen_) {
        seen_ = seen;
        lastData_ = SteadyClock::now();
        return;
    }
    if (SteadyClock::now() - lastData_ > std::chrono::milliseconds(kSilenceMs))
        fail(QStringLiteral("Capture device \"%1\" has brought no sound for %2 seconds; trying "
                            "again every second")
                 .arg(device_.description())
                 .arg(kSilenceMs / 1000));
}

void SoundCardSource::checkDeviceList() {
    if (problem_.isEmpty() && !stillListed(device_, QMediaDevices::audioInputs()))
        fail(gone(QStringLiteral("Capture"), device_.description()));
}

void SoundCardSource::tryAgain() {
    const QAudioDevice device = findCapture(name_);
    if (device.isNull())
        return;
    device_ = device;
    format_ = soundcard::streamFormat(device);
    if (!start(nullptr))
        return;
    problem_.clear();
    retry_.stop();
}

// ---- playback

SoundCardSink::SoundCardSink(const QString& name, const QAudioDevice& device)
    : name_(name)
    , device_(device)
    , format_(soundcard::streamFormat(device)) {
    retry_.setInterval(kRetryMs);
    connect(&retry_, &QTimer::timeout, this, &SoundCardSink::tryAgain);
    feeder_.setInterval(kFeedMs);
    connect(&feeder_, &QTimer::timeout, this, &SoundCardSink::feed);
    watchdog_.setInterval(kWatchMs);
    connect(&watchdog_, &QTimer::timeout, this, [this] {
        checkState();
        checkDeviceList();
    });
}

SoundCardSink::~SoundCardSink() {
    close();
}

bool SoundCardSink::start(QString* error) {
    close();
    sink_ = std::make_unique<QAudioSink>(device_, format_);
    // The sound server holds all the radio gives ahead of the clock (SoundCardRadio::kLeadMs):
    // with only a tenth of a second in it, a process that waits longer than that for the
    // processor (a busy computer, a dozen converters at once) left a gap of silence in the middle
    // of a picture, and the far station lost it. Not more: the server starts a stream once it
    // holds its whole buffer.
    sink_->setBufferSize(format_.bytesForDuration(1'000'000));
    stream_ = sink_->start();
    if (!stream_ || fatal(sink_->error())) {
        const QString why =
            QStringLiteral("Playback device \"%1\" does not start").arg(device_.description());
        close();
        if (error)
            *error = why;
        return false;
    }
    connect(sink_.get(), &QAudioSink::stateChanged, this, &SoundCardSink::checkState);
    watchdog_.start();
    return true;
}

void SoundCardSink::close(When when) {
    feeder_.stop();
    watchdog_.stop();
    if (sink_) {
        disconnect(sink_.get(), nullptr, this, nullptr);
        sink_->stop();
        if (when == When::Later)
            sink_.release()->deleteLater();
    }
    stream_ = nullptr;
    sink_.reset();
}

bool SoundCardSink::play(std::span<const float> samples) {
    if (!problem_.isEmpty() || !stream_)
        return false;
    queue_.append(soundcard::bytesFromSamples(format_, samples));
    feed();
    if (!queue_.isEmpty() && !feeder_.isActive())
        feeder_.start();
    return problem_.isEmpty();
}

void SoundCardSink::feed() {
    if (!sink_ || !stream_) {
        feeder_.stop();
        return;
    }
    const int frame = format_.bytesPerFrame();
    while (!queue_.isEmpty()) {
        qint64 room = std::min<qint64>(sink_->bytesFree(), queue_.size());
        room -= room % frame;
        if (room <= 0)
            break;
        const qint64 written = stream_->write(queue_.constData(), room);
        if (written <= 0)
            break;
        queue_.remove(0, qsizetype(written));
    }
    if (queue_.isEmpty())
        feeder_.stop();
}

double SoundCardSink::pendingMs() const {
    qint64 bytes = queue_.size();
    if (sink_ && stream_)
        bytes += std::max<qint64>(0, sink_->bufferSize() - sink_->bytesFree());
    return double(format_.durationForBytes(qint32(std::min<qint64>(bytes, INT32_MAX)))) / 1000.0;
}

void SoundCardSink::stop() {
    queue_.clear();
    if (problem_.isEmpty() && sink_) {
        // A new stream: whatever the old one still held is dropped with it.
        start(nullptr);
        if (!sink_)
            fail(gone(QStringLiteral("Playback"), device_.description()));
    }
}

void SoundCardSink::fail(const QString& why) {
    if (!problem_.isEmpty())
        return;
    problem_ = why;
    queue_.clear();
    close(When::Later);
    retry_.start();
}

void SoundCardSink::checkState() {
    if (!problem_.isEmpty())
        return;
    if (!sink_ || !stream_ || fatal(sink_->error()))
        fail(gone(QStringLiteral("Playback"), device_.description()));
}

void SoundCardSink::checkDeviceList() {
    if (problem_.isEmpty() && !stillListed(device_, QMediaDevices::audioOutputs()))
        fail(gone(QStringLiteral("Playback"), device_.description()));
}

void SoundCardSink::tryAgain() {
    const QAudioDevice device = findPlayback(name_);
    if (device.isNull())
        return;
    device_ = device;
    format_ = soundcard::streamFormat(device);
    if (!start(nullptr))
        return;
    problem_.clear();
    retry_.stop();
}

} // namespace winorbis::radio::qtsound
