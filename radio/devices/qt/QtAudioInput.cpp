// SPDX-License-Identifier: GPL-3.0-or-later
#include "QtAudioInput.h"

#include "analyzer/AnalyzerTexts.h"

#include "platform/ConsoleDialogs.h"

#include <QAudioFormat>
#include <QAudioSource>
#include <QMediaDevices>
#include <QtEndian>

namespace winorbis {

namespace {

void (*noteWriter)(const QString&) = &ConsoleNotes::write;

} // namespace

void QtAudioInput::setNoteWriter(void (*write)(const QString&)) {
    noteWriter = write;
}

QByteArray unsigned8FromSigned16(QByteArray& carry, const QByteArray& bytes) {
    const QByteArray all = carry + bytes;
    const qsizetype samples = all.size() / 2;
    QByteArray out(samples, Qt::Uninitialized);
    for (qsizetype i = 0; i < samples; ++i) {
        const auto value = qFromUnaligned<std::int16_t>(all.constData() + 2 * i);
        out[i] = char(std::uint8_t((value >> 8) + 128));
    }
    carry = all.mid(samples * 2);
    return out;
}

QtAudioInput::QtAudioInput(QObject* parent)
    : QObject(parent) {}

QtAudioInput::~QtAudioInput() {
    close();
}

QList<RecordingDevice> QtAudioInput::devices() const {
    QList<RecordingDevice> list;
    for (const QAudioDevice& device : QMediaDevices::audioInputs())
        list.append({QString::fromUtf8(device.id()), device.description()});
    return list;
}

QAudioDevice QtAudioInput::device() const {
    const QList<QAudioDevice> present = QMediaDevices::audioInputs();
    if (present.isEmpty())
        return {};
    if (!chosen_.isEmpty()) {
        for (const QAudioDevice& device : present) {
            if (QString::fromUtf8(device.id()) == chosen_)
                return device;
        }
    }
    const QAudioDevice standard = QMediaDevices::defaultAudioInput();
    return standard.isNull() ? present.front() : standard;
}

QString QtAudioInput::open(const RecordingFormat& format, DataHandler onData) {
    close();
    const QAudioDevice device = this->device();
    if (device.isNull())
        return analyzertexts::noRecordingDevice;
    QAudioFormat wanted;
    wanted.setChannelCount(format.channels);
    wanted.setSampleRate(format.sampleRate);
    wanted.setSampleFormat(format.bytesPerSample == 1 ? QAudioFormat::UInt8 : QAudioFormat::Int16);
    bool fromSigned16 = false;
    if (format.bytesPerSample < 1 || format.bytesPerSample > 2 ||
        !device.isFormatSupported(wanted)) {
        QAudioFormat wider = wanted;
        wider.setSampleFormat(QAudioFormat::Int16);
        if (format.bytesPerSample != 1 || !device.isFormatSupported(wider))
            return analyzertexts::formatNotSupported(device.description(), format.channels,
                                                     format.bytesPerSample * 8, format.sampleRate);
        wanted = wider;
        fromSigned16 = true;
    }
    source_ = std::make_unique<QAudioSource>(device, wanted);
    connect(source_.get(), &QAudioSource::stateChanged, this, &QtAudioInput::stateChanged);
    device_ = device;
    onData_ = std::move(onData);
    fromSigned16_ = fromSigned16;
    carry_.clear();
    return {};
}

QString QtAudioInput::start() {
    if (!source_)
        return analyzertexts::deviceNotOpen;
    if (stream_)
        return {};
    stream_ = source_->start();
    if (const QAudio::Error error = source_->error(); !stream_ || error != QAudio::NoError) {
        stream_ = nullptr;
        source_->stop();
        return error == QAudio::OpenError ? analyzertexts::deviceCannotOpen(device_.description())
                                          : analyzertexts::deviceFailed(device_.description());
    }
    connect(stream_.data(), &QIODevice::readyRead, this, &QtAudioInput::readAvailable);
    return {};
}

void QtAudioInput::stop() {
    if (!source_)
        return;
    readAvailable();
    if (stream_)
        disconnect(stream_.data(), nullptr, this, nullptr);
    stream_ = nullptr;
    source_->stop();
}

void QtAudioInput::close() {
    stop();
    source_.reset();
    device_ = {};
    onData_ = {};
}

void QtAudioInput::readAvailable() {
    if (!stream_)
        return;
    QByteArray bytes = stream_->readAll();
    if (fromSigned16_)
        bytes = unsigned8FromSigned16(carry_, bytes);
    if (bytes.isEmpty() || !onData_)
        return;
    // The receiver may close the input from within.
    const DataHandler handler = onData_;
    handler(std::span(reinterpret_cast<const std::uint8_t*>(bytes.constData()),
                      std::size_t(bytes.size())));
}

void QtAudioInput::stateChanged(QAudio::State state) {
    // A device that fails while recording (unplugged, the sound server gone) only stops the
    // display; the operator learns why from standard error. Its stream is not read any more.
    if (!source_ || source_->error() == QAudio::NoError ||
        source_->error() == QAudio::UnderrunError)
        return;
    noteWriter(analyzertexts::deviceFailed(device_.description()));
    if (state == QAudio::StoppedState)
        stream_ = nullptr;
}

} // namespace winorbis
