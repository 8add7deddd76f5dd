// SPDX-License-Identifier: GPL-3.0-or-later
#include "BuiltInSoundCard.h"

#include "ConverterChoice.h"

#include "radio/devices/AudioThread.h"
#include "radio/devices/SoundCard.h"
#include "radio/ptt/PttDevices.h"
#include "settings/StationOptions.h"

#include <QDir>

namespace winorbis {

const QString BuiltInSoundCard::kCaptureKey = QStringLiteral("SoundCapture");
const QString BuiltInSoundCard::kPlaybackKey = QStringLiteral("SoundPlayback");
const QString BuiltInSoundCard::kPttKey = QStringLiteral("Ptt");
const QString BuiltInSoundCard::kClockPpmKey = QStringLiteral("ClockPpm");
const QString BuiltInSoundCard::kCameraKey = QStringLiteral("Camera");
const QString BuiltInSoundCard::kDigitizePictureKey = QStringLiteral("DigitizePicture");

std::unique_ptr<BuiltInSoundCard> BuiltInSoundCard::start(const StationOptions& station,
                                                          const Clock& clock,
                                                          const Options& options, QString* error) {
    const auto warn = [&options](const QString& text) {
        if (options.warning)
            options.warning(text);
    };
    std::unique_ptr<BuiltInSoundCard> card(new BuiltInSoundCard);
    if (!card->folder_.isValid()) {
        if (error)
            *error = card->folder_.errorString();
        return nullptr;
    }
    card->linkPath_ = card->folder_.filePath(QStringLiteral("Orbis70p"));

    QString why;
    const QString capture = station.value(kCaptureKey).trimmed();
    card->source_ = radio::openThreadedAudioSource(capture, &why);
    if (!card->source_)
        warn(QStringLiteral("no sound capture, nothing is received: %1").arg(why));
    why.clear();
    const QString playback = station.value(kPlaybackKey).trimmed();
    card->sink_ = radio::openThreadedAudioSink(playback, &why);
    if (!card->sink_)
        warn(QStringLiteral("no sound playback, nothing is sent: %1").arg(why));
    why.clear();
    const QString pttSpec = station.value(kPttKey, QStringLiteral("none")).trimmed();
    card->ptt_ = radio::openPtt(pttSpec.isEmpty() ? QStringLiteral("none") : pttSpec, &why);
    if (!card->ptt_)
        warn(QStringLiteral("no push-to-talk, the transmitter is not keyed: %1").arg(why));

    const QString ppmText = station.value(kClockPpmKey).trimmed();
    const std::optional<double> ppm = ConverterChoice::parseClockPpm(ppmText);
    if (!ppm)
        warn(QStringLiteral("%1=%2 is no clock correction (ppm from -20000 to 20000); none "
                            "is made")
                 .arg(kClockPpmKey, ppmText));
    why.clear();
    if (const QString camera = ConverterChoice::fromOptions(station).camera; !camera.isEmpty()) {
        card->camera_ = radio::CameraInput::open(camera, &why);
        if (!card->camera_)
            warn(QStringLiteral("no camera, a digitize takes the picture file: %1").arg(why));
        else
            card->camera_->setProblemHandler(options.warning);
    }

    radio::SoundCardConverter::Options converterOptions;
    converterOptions.event = options.event;
    converterOptions.error = options.warning;
    converterOptions.commandLog = options.commandLog;
    card->converter_ = std::make_unique<radio::SoundCardConverter>(
        clock, card->source_.get(), card->sink_.get(), card->ptt_.get(), converterOptions);
    card->converter_->radio().setClockPpm(ppm.value_or(0.0));
    card->converter_->radio().setDigitizePicture(station.value(kDigitizePictureKey).trimmed());
    if (radio::CameraInput* camera = card->camera_.get())
        card->converter_->radio().setDigitizeCamera([camera] { return camera->lastFrame(); });
    if (!card->converter_->openAt(card->linkPath_, error))
        return nullptr;
    return card;
}

BuiltInSoundCard::~BuiltInSoundCard() {
    stop();
}

void BuiltInSoundCard::stop() {
    if (converter_)
        converter_->stop();
}

} // namespace winorbis
