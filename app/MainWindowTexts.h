// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "link/LinkTexts.h"

#include <QString>

#include <cmath>

#include <utility>

namespace winorbis::mainwindowtext {

// The status texts the main window shows while the mouse moves over a control.
inline const QString kDigitizeHint = QStringLiteral("Digitize ");
inline const QString kSelfTimer2Hint = QStringLiteral("Self - timer after 2s");
inline const QString kSelfTimer10Hint = QStringLiteral("Self - timer after 10s");
inline const QString kMemory1Hint = QStringLiteral("Orbis 70 - Memory 1");
inline const QString kMemory2Hint = QStringLiteral("Orbis 70 - Memory 2");
// The sound card's other modes, beside the six TX mode buttons.
inline const QString kAirModesTitle = QStringLiteral("More");
inline const QString kAirModeSend = QStringLiteral("TX");
inline const QString kAirModesHint =
    QStringLiteral("Send the TX picture in another mode of the sound card");
inline const QString kPicTxHint = QStringLiteral(
    "Load picture from TX Window in the memory from Orbis 70 and send in the selected TX Mode");
inline const QString kAcqTxHint = QStringLiteral("Digitize and send in the selected TX Mode");
inline const QString kCallsignInsertHint =
    QStringLiteral("The callsign is inserted automatically in the picture, "
                   "before this will transfer into the Memory from Orbis 70");
inline const QString kSavePicAutoHint =
    QStringLiteral("The Picture is download automatical from Orbis 70");

// "Help" and the menu "&Help".
inline const QString kHelpMenu = QStringLiteral("&Help");
inline const QString kHelpItem = QStringLiteral("&Assistance Topics");
inline const QString kMailItem = QStringLiteral("&Mail to the WinOrbis developers...");
inline const QString kMailHint = QStringLiteral("Mailto:");
inline const QString kMailAddress =
    QStringLiteral("mailto:winorbis@example.org?subject=WinOrbis%2070p");
inline const QString kHelpQuestion =
    QStringLiteral("Please read the WinOrbis 70.pdf File. Install the Adobe Acrobat Reader, which "
                   "is on the WinOrbis 70 - CD.");
inline const QString kManualName = QStringLiteral("\\winorbis70.pdf");
inline QString manualMissing(const QString& path) {
    return QStringLiteral("The manual %1 is missing.").arg(path);
}
inline QString noViewer(const QString& target) {
    return QStringLiteral("No program on this computer could open %1.").arg(target);
}

// The converter chosen in the setup window (the station's texts of the switch).
inline const QString kSoundCardKind = QStringLiteral("Sound card");
using linktext::converterNowInUse;
using linktext::kConverterBusy;
using linktext::soundCardSays;
inline const QString kConverterAtNextStart =
    QStringLiteral("The converter chosen is used from the next start without --port, --simulate "
                   "or --sound-card.");
inline QString converterNotStarted(const QString& why) {
    return QStringLiteral("The sound-card converter cannot start: %1").arg(why);
}
inline QString stationOptionsNotWritten(const QString& why) {
    return QStringLiteral("station.conf cannot be written: %1").arg(why);
}
// The status bar's field of the clock error measured on each picture the sound card receives.
inline QString soundCardClock(double ppm) {
    const long rounded = std::lround(ppm);
    return QStringLiteral("Sound card clock: %1%2 ppm (measured on the last picture)")
        .arg(rounded > 0 ? QStringLiteral("+") : QString())
        .arg(rounded);
}
inline const QString kSoundCardClockHint =
    QStringLiteral("Setup takes it over into the clock correction");

} // namespace winorbis::mainwindowtext
