// SPDX-License-Identifier: GPL-3.0-or-later
#include "BuiltInConverter.h"

#include "radio/devices/SoundSystem.h"
#include "radio/ptt/PttDevices.h"

#include <memory>

namespace winorbis {

std::unique_ptr<radio::SoundCardConverter>
openBuiltInConverter(const ConverterChoice& choice, const Clock& clock,
                     const std::function<void(const QString&)>& warning,
                     radio::SoundCardConverter::EventLog log) {
    const auto warn = [&warning](const QString& text) {
        if (warning)
            warning(text);
    };
    radio::SoundCardConverter::Devices devices;
    QString why;
    devices.source = radio::openThreadedAudioSource(choice.capture, &why);
    if (!devices.source)
        warn(QStringLiteral("no sound capture, nothing is received: %1").arg(why));
    why.clear();
    devices.sink = radio::openThreadedAudioSink(choice.playback, &why);
    if (!devices.sink)
        warn(QStringLiteral("no sound playback, nothing is sent: %1").arg(why));
    why.clear();
    devices.ptt = radio::openPtt(choice.pttText(), &why);
    if (!devices.ptt)
        warn(QStringLiteral("no push-to-talk, the transmitter is not keyed: %1").arg(why));
    devices.clockPpm = choice.clockPpm;
    devices.digitizePicture = choice.digitizePicture;
    if (!choice.camera.isEmpty()) {
        why.clear();
        std::shared_ptr<radio::VideoInput> camera = radio::openCamera(choice.camera, &why);
        if (!camera) {
            warn(QStringLiteral("no camera, a digitize takes the picture file: %1").arg(why));
        } else {
            camera->setProblemHandler(warning);
            devices.camera = [camera] { return camera->lastFrame(); };
        }
    }
    return std::make_unique<radio::SoundCardConverter>(std::move(devices), clock, std::move(log));
}

} // namespace winorbis
