// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

#include <utility>

namespace winorbis::mainwindowtext {

// The status texts the main window shows while the mouse moves over a control.
inline const QString kDigitizeHint = QStringLiteral("Digitize ");
inline const QString kSelfTimer2Hint = QStringLiteral("Self - timer after 2s");
inline const QString kSelfTimer10Hint = QStringLiteral("Self - timer after 10s");
inline const QString kMemory1Hint = QStringLiteral("Orbis 70 - Memory 1");
inline const QString kMemory2Hint = QStringLiteral("Orbis 70 - Memory 2");
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

} // namespace winorbis::mainwindowtext
