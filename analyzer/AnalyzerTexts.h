// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The texts of the frequency display, in one place so that tests can compare them.

#include <QString>

namespace winorbis::analyzertexts {

// Caption of the analyzer window.
inline const QString caption = QStringLiteral("Spectrum Analyzer");

// The "Help" button's message.
inline const QString help = QStringLiteral(
    "Connect the Microphone or NF Input(Line In) from the Soundcard with the SP IN vom Orbis 70p "
    "or the Speaker from Tranceivers.");

// A filter list entry that is not a number, in the framework's standard wording; %1 is the entry.
inline QString notANumber(const QString& text) {
    return QStringLiteral("'%1' is not a valid floating point value").arg(text);
}

// A filter list entry that is not a whole number (the tap count); %1 is the entry.
inline QString notAnInteger(const QString& text) {
    return QStringLiteral("'%1' is not a valid integer value").arg(text);
}

// The filter list holds a tap count outside 0 ... 512 or fewer coefficients than it names.
inline QString badTapCount(int count) {
    return QStringLiteral("The filter list names %1 coefficients; it can hold 0 to 512 and must "
                          "list each of them")
        .arg(count);
}

// The reasons the sound system gives for a recording device that cannot be used.
inline const QString noRecordingDevice = QStringLiteral("No recording device is present.");
inline QString deviceCannotOpen(const QString& device) {
    return QStringLiteral("The recording device \"%1\" cannot be opened: it is in use by another "
                          "program or not accessible.")
        .arg(device);
}
inline QString formatNotSupported(const QString& device, int channels, int bits, int rate) {
    return QStringLiteral("The recording device \"%1\" cannot record %2 channel(s) of %3 bits at "
                          "%4 samples per second.")
        .arg(device)
        .arg(channels)
        .arg(bits)
        .arg(rate);
}
inline QString deviceFailed(const QString& device) {
    return QStringLiteral("The recording device \"%1\" reported an error.").arg(device);
}
inline const QString deviceNotOpen = QStringLiteral("The recording device is not open.");
inline const QString noBuffer = QStringLiteral("No recording buffer was given.");

// The display's context menu: the recording devices to choose from.
inline const QString defaultDevice = QStringLiteral("Default recording device");
inline QString displayHint(const QString& device) {
    return QStringLiteral("Recording from: %1\nRight-click to choose the recording device.")
        .arg(device);
}
inline QString absentDevice(const QString& id) {
    return QStringLiteral("%1 (not present)").arg(id);
}
inline QString choiceNotKept(const QString& reason) {
    return QStringLiteral("The recording device chosen cannot be kept for the next start: %1")
        .arg(reason);
}

} // namespace winorbis::analyzertexts
