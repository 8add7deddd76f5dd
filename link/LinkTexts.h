// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "converter/ConverterPresence.h"
#include "converter/Modes.h"

#include <QString>

#include <array>
#include <cmath>
#include <optional>

namespace winorbis::linktext {

// The messages and texts of the converter link, as the operator sees them.
inline const QString kNoInterface = QStringLiteral("No response from the interface");
inline const QString kNoConnection =
    QStringLiteral("No connection to Orbis 70p. Control please the interface (Setup) and the "
                   "jumper in the Orbis 70p.");
inline const QString kCommunicationCom = QStringLiteral("Communication error[com]");
inline const QString kCommunicationAck = QStringLiteral("Communication error[ack]");
inline const QString kCommunicationData = QStringLiteral("Communication error[data]");

// Status texts and button texts of the converter commands; the per-mode texts stand in the mode
// table.
inline const QString kUploadStatus = QStringLiteral("Load picture from PC to Orbis 70");
inline const QString kFetchStatus = QStringLiteral("Load picture from Orbis 70 to PC");
inline const QString kDigitizeStatus = QStringLiteral("Picture digitize");
inline const QString kSelfTimer2Status = QStringLiteral("Self - timer after 2s");
inline const QString kMemory1Status = QStringLiteral("Orbis 70 - Memory 1");
inline const QString kMemory2Status = QStringLiteral("Orbis 70 - Memory 2");
inline const QString kReceiveStopped = QStringLiteral("Receive stopped, ready for receive");
inline const QString kReadyForReceive = QStringLiteral(" Ready for Receive ");
// After a picture that ended with its sender's callsign in FSK (%1 the mode, %2 the callsign).
inline QString heardFrom(const QString& mode, const QString& callsign) {
    return QStringLiteral(" Ready for Receive - %1 from %2 ").arg(mode, callsign);
}
inline const QString kRepeaterNote = QStringLiteral("Repeater Function is switched on.");
inline const QString kRxStopText = QStringLiteral("RX Stop");
inline const QString kLoadingText = QStringLiteral("Lade");

// The port vanished (%1: its name, a device path or HOST:PORT), and came back.
inline const QString kConnectionLost =
    QStringLiteral("Connection to the converter lost: waiting for %1");
inline const QString kConnectedAgain = QStringLiteral("Converter connected again");
// The same for a monitor that does not wait for it (orbisctl watch --no-reconnect).
inline const QString kConnectionLostForGood =
    QStringLiteral("the connection to the converter on %1 is lost");

// A reception in a mode (its name) runs.
inline QString announceText(const QString& modeName) {
    return QStringLiteral(" Mode %1, stopped use the Button \" RX Stop \" ").arg(modeName);
}

// The texts of a mode in the status bar: when the repeater sends in it, when the operator sends in
// it, and while a free-run reception in it waits.
inline QString repeaterText(const Mode& m) {
    return QStringLiteral(" Senden in %1, stopped the transfer with the \" RX \" Button on the "
                          "remote maintenance")
        .arg(m.name);
}
inline QString transmitText(const Mode& m) {
    return QStringLiteral("Send in %1, stopped the transfer with the \" RX \" Button on the remote "
                          "maintenance")
        .arg(m.name);
}
inline QString freeRunText(const Mode& m) {
    // The texts of Martin 1 and Scottie 1 end without the blank the others have.
    const bool bare = m.id == ModeId::Martin1 || m.id == ModeId::Scottie1;
    return QStringLiteral("Free Run Mode %1, stopped use the Button \" RX Stop \"%2")
        .arg(m.shortName, bare ? QString() : QStringLiteral(" "));
}

// The converter switched in the setup window. %1 the converter: "Sound card", or a serial
// device's name.
// A mode the converter in use cannot send or receive in.
inline QString modeNotOffered(const QString& modeName, const QString& converter) {
    return QStringLiteral("The %1 has no mode %2").arg(converter, modeName);
}
inline QString converterNowInUse(const QString& converter) {
    return QStringLiteral("Converter: %1").arg(converter);
}
inline const QString kConverterBusy =
    QStringLiteral("The converter is not changed while a reception or a command runs; the "
                   "choice is kept for the next start.");
// What the sound card's problems are prefixed with in the status bar.
inline QString soundCardSays(const QString& text) {
    return QStringLiteral("Sound card: %1").arg(text);
}

// A transmission's time has passed.
inline const QString kTransmissionEnded = QStringLiteral("Transmission ended");

// A status byte without a mode (68, 72): the converter receives, the wait runs ms.
inline QString receptionWithoutMode(int status, int waitMs) {
    return QStringLiteral("Status %1: reception without mode, waiting %2 s")
        .arg(status)
        .arg(waitMs / 1000);
}

// The status bar's converter field: its kind ("serial device", "network port", "simulated
// converter"), its name (may be empty), and how it answers.
using winorbis::ConverterPresence;
inline QString converterField(const QString& kind, const QString& name,
                              ConverterPresence presence) {
    QString text = kind.isEmpty() ? QStringLiteral("Converter") : kind;
    text[0] = text[0].toUpper();
    if (!name.isEmpty())
        text += QLatin1Char(' ') + name;
    switch (presence) {
    case ConverterPresence::Connected:
        return text + QStringLiteral(": connected");
    case ConverterPresence::NotAnswering:
        return text + QStringLiteral(": no answer");
    case ConverterPresence::Lost:
        return text + QStringLiteral(": lost, reconnecting");
    }
    return text;
}

// The beacons and the setup window.
inline QString beaconCountdown(int seconds, int position) {
    return QStringLiteral("Beacon Intervaltime : %1 sec.     Picture : %2")
        .arg(seconds)
        .arg(position);
}
inline QString beaconCannotLoad(const QString& file, const QString& reason) {
    return reason.isEmpty()
               ? QStringLiteral("Beacon: the picture %1 cannot be loaded; the next one follows")
                     .arg(file)
               : QStringLiteral(
                     "Beacon: the picture %1 cannot be loaded (%2); the next one follows")
                     .arg(file, reason);
}
inline QString beaconUploadFailed(const QString& file) {
    return QStringLiteral("Beacon: the upload of %1 failed").arg(file);
}
inline const QString kBeaconPageEmpty =
    QStringLiteral("Beacon: the catalog page holds no picture; the beacon has ended");
inline const QString kAcqBeaconRobot36 = QStringLiteral(
    "Send in Robot 36, stopped the transfer with the \" RX \" Button on the remote maintenance");
inline const QString kAcqBeaconMartin1 = QStringLiteral(
    "Send in Martin 1, stopped the transfer with the \" RX \" Button on the remote maintenance");
inline const QString kAcqBeaconBreak = QStringLiteral("Break");
inline const QString kAcqBeaconOff = QStringLiteral("Beacon is switched off");
inline const QString kIntervalHint = QStringLiteral("Select Interval time ( 0 - 9995s )");

// The setup window's converter choice: the box on a serial port, or the built-in converter on the
// sound card with its devices, push-to-talk, clock correction and video input.
inline const QString kConverterLabel = QStringLiteral("Converter");
inline const QString kConverterHint =
    QStringLiteral("The converter box on a serial port, or the converter built into the program "
                   "on the computer's sound card");
inline const QString kSerialPortChoice = QStringLiteral("Serial port");
inline const QString kSoundCardChoice = QStringLiteral("Sound card");
inline const QString kCaptureLabel = QStringLiteral("Capture");
inline const QString kCaptureHint =
    QStringLiteral("The sound card input the radio's audio comes in on");
inline const QString kPlaybackLabel = QStringLiteral("Playback");
inline const QString kPlaybackHint =
    QStringLiteral("The sound card output that feeds the radio's microphone or data input");
// The device list's first item: the sound server's default device.
inline const QString kDefaultDevice = QStringLiteral("default");
inline const QString kPttLabel = QStringLiteral("PTT");
inline const QString kPttHint = QStringLiteral("How the transmitter is keyed");
// The push-to-talk methods in the window's order, and what each one's field takes.
inline const std::array<QString, 6> kPttMethods = {
    QStringLiteral("none"), QStringLiteral("VOX"),        QStringLiteral("RTS"),
    QStringLiteral("DTR"),  QStringLiteral("Hamlib rig"), QStringLiteral("rigctld")};
inline const std::array<QString, 6> kPttTargets = {
    QString(),
    QString(),
    QStringLiteral("serial device: /dev/ttyUSB1"),
    QStringLiteral("serial device: /dev/ttyUSB1"),
    QStringLiteral("MODEL:DEVICE[:BAUD], e.g. 3073:/dev/ttyUSB0 (rigctl -l lists the models)"),
    QStringLiteral("HOST:PORT of a running rigctld, e.g. 127.0.0.1:4532")};
inline const QString kClockLabel = QStringLiteral("Clock");
inline const QString kClockHint =
    QStringLiteral("Correction of the sound card's sample rate, in parts per million");
inline const QString kPpmSuffix = QStringLiteral(" ppm");
// The clock error the built-in converter measured on the last picture received.
inline QString measuredClock(std::optional<double> ppm) {
    if (!ppm)
        return QStringLiteral("not measured yet");
    const long rounded = std::lround(*ppm);
    return QStringLiteral("measured %1%2 ppm")
        .arg(rounded > 0 ? QStringLiteral("+") : QString())
        .arg(rounded);
}
inline const QString kTakeMeasured = QStringLiteral("Take over");
inline const QString kTakeMeasuredHint =
    QStringLiteral("Adds the clock error measured on the last picture received to the correction");
inline const QString kCameraLabel = QStringLiteral("Camera");
inline const QString kCameraHint = QStringLiteral("The camera a digitize takes its picture from");
inline const QString kNoCamera = QStringLiteral("none");
inline const QString kPictureLabel = QStringLiteral("Picture");
inline const QString kPictureHint =
    QStringLiteral("The picture file a digitize takes when no camera gives a frame");
inline const QString kChoosePicture = QStringLiteral("Choose the picture to digitize");
inline const QString kFskIdLabel = QStringLiteral("Send the callsign in FSK after each picture");
inline const QString kFskIdHint = QStringLiteral(
    "The FSK ID that MMSSTV and QSSTV show: the station's callsign after the picture");

} // namespace winorbis::linktext
