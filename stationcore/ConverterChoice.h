// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

#include <optional>
#include <utility>

namespace winorbis {

class StationOptions;

// The station's converter as station.conf keeps it: the box on the serial port of the settings, or
// the built-in converter on the sound card with its capture and playback devices, push-to-talk,
// clock correction, camera and digitize picture. Reads and writes those options, splits the
// push-to-talk text into its method and target and joins them again, and checks what the operator
// gave with the parser that the converter opens its push-to-talk with. No widgets.
struct ConverterChoice {
    enum class Kind { SerialPort, SoundCard };
    // The push-to-talk methods, in the order the setup window offers them.
    enum class PttMethod { None, Vox, Rts, Dtr, Hamlib, Rigctld };

    static const QString kConverterKey; // "Converter": "serial port" or "sound card"
    // The sound card's keys.
    static const QString kCaptureKey;  // "SoundCapture": empty is the default device
    static const QString kPlaybackKey; // "SoundPlayback"
    static const QString kPttKey;      // "Ptt": "none" when missing
    static const QString kClockPpmKey; // "ClockPpm"
    static const QString kCameraKey;   // "Camera": the video input; empty or missing for none
    // "DigitizePicture": the picture file a digitize takes when no camera gives a frame.
    static const QString kDigitizePictureKey;
    // "FskId": 1 sends the station's callsign in FSK after each picture; off when missing.
    static const QString kFskIdKey;
    // The largest clock correction taken, either way.
    static constexpr double kMaxClockPpm = 20000.0;

    Kind kind = Kind::SerialPort;
    QString capture;  // a capture device's name; empty for the default device
    QString playback; // likewise
    PttMethod pttMethod = PttMethod::None;
    // What the method keys: rts and dtr a serial device, hamlib MODEL:DEVICE[:BAUD], rigctld
    // HOST:PORT; nothing for none and vox.
    QString pttTarget;
    double clockPpm = 0.0;
    QString camera;          // a camera's name; empty (or "none" in the file) for none
    QString digitizePicture; // the picture file a digitize takes without a camera's frame
    bool fskId = false;      // the callsign in FSK after each picture

    bool operator==(const ConverterChoice&) const = default;

    // The choice the options hold; what is missing or unreadable is the default (the serial
    // port, no push-to-talk, no correction).
    static ConverterChoice fromOptions(const StationOptions& options);
    // Sets the choice's keys; the other lines of the options stay as they stand.
    void writeTo(StationOptions& options) const;

    // The push-to-talk text as openPtt() takes it: "none", "vox", "rts:/dev/ttyUSB1" ...
    QString pttText() const;
    // A push-to-talk text as method and target; one of no known kind is none.
    static std::pair<PttMethod, QString> splitPtt(const QString& text);
    // What keeps the choice from being kept (a push-to-talk text the converter would refuse, a
    // clock correction out of range), empty when nothing does.
    QString problem() const;
    // True when the converter running on `running` must make way for this one: another kind, or
    // for the sound card anything it starts with.
    bool needsRestart(const ConverterChoice& running) const;

    // "serial port" or "sound card", as station.conf says it.
    static QString kindText(Kind kind);
    static std::optional<Kind> parseKind(const QString& text);
    // A clock correction as station.conf gives it: empty is none; nullopt for a text that is no
    // number of ppm within the range.
    static std::optional<double> parseClockPpm(const QString& text);
    // The correction that takes in a clock error measured on a picture received under the
    // correction ppm.
    static double correctedClockPpm(double ppm, double measuredErrorPpm);
};

} // namespace winorbis
