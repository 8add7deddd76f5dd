// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "radio/AudioPorts.h"
#include "radio/Ptt.h"
#include "radio/SoundCardConverter.h"
#include "radio/devices/CameraInput.h"

#include <QString>
#include <QTemporaryDir>

#include <functional>
#include <memory>

namespace winorbis {

class Clock;
class StationOptions;

// The converter of a station without the box, inside the program: the sound-card converter on a
// pseudo-terminal behind a link in a private temporary folder, which the main window opens as its
// port. Its capture and playback devices, push-to-talk, clock correction, camera and digitize
// picture come from the station options. A device or push-to-talk that cannot be had is said and
// left out, so that the program still runs; the sources and sinks it has reopen by themselves when
// their device comes back.
class BuiltInSoundCard {
public:
    // The station options' keys.
    static const QString kCaptureKey;  // "SoundCapture": empty is the default device
    static const QString kPlaybackKey; // "SoundPlayback"
    static const QString kPttKey;      // "Ptt": "none" when missing
    static const QString kClockPpmKey; // "ClockPpm"
    static const QString kCameraKey;   // "Camera": the video input; empty or missing for none
    // "DigitizePicture": the picture file a digitize takes when no camera gives a frame.
    static const QString kDigitizePictureKey;

    struct Options {
        // A device, push-to-talk or option that is left out, and the radio's problems.
        std::function<void(const QString&)> warning;
        // The radio's events ("Receiving Robot 36 (VIS)").
        std::function<void(const QString&)> event;
        // Every command of the program; none when empty.
        std::function<void(const QString&)> commandLog;
    };

    // Null with the reason when the line cannot be served.
    static std::unique_ptr<BuiltInSoundCard> start(const StationOptions& station,
                                                   const Clock& clock, const Options& options,
                                                   QString* error);
    ~BuiltInSoundCard();

    // The converter's line, for the window's port.
    QString linkPath() const { return linkPath_; }
    radio::SoundCardConverter& converter() { return *converter_; }
    // Cuts a transmission, releases the push-to-talk and stops serving.
    void stop();

private:
    BuiltInSoundCard() = default;

    QTemporaryDir folder_{QDir::tempPath() + QStringLiteral("/winorbis-sound-XXXXXX")};
    QString linkPath_;
    std::unique_ptr<radio::AudioSource> source_;
    std::unique_ptr<radio::AudioSink> sink_;
    std::unique_ptr<radio::Ptt> ptt_;
    std::unique_ptr<radio::CameraInput> camera_;
    std::unique_ptr<radio::SoundCardConverter> converter_;
};

} // namespace winorbis
