// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

#include <utility>

namespace winorbis::mainwindowtext {

// The status texts the main window shows while the mouse moves over a control, by the control's
// objectName.
inline const std::pair<QString, QString> kMouseMoveTexts[] = {
    {QStringLiteral("SpeedButton16"), QStringLiteral("Digitize ")},
    {QStringLiteral("SpeedButton17"), QStringLiteral("Self - timer after 2s")},
    {QStringLiteral("SpeedButton18"), QStringLiteral("Self - timer after 10s")},
    {QStringLiteral("SpeedButton7"), QStringLiteral("Orbis 70 - Memory 1")},
    {QStringLiteral("SpeedButton8"), QStringLiteral("Orbis 70 - Memory 2")},
    {QStringLiteral("CheckBox3"),
     QStringLiteral("Load picture from TX Window in the memory from Orbis 70 "
                    "and send in the selected TX Mode")},
    {QStringLiteral("ACQandTX"), QStringLiteral("Digitize and send in the selected TX Mode")},
    {QStringLiteral("CheckBox4"),
     QStringLiteral("The callsign is inserted automatically in the picture, "
                    "before this will transfer into the Memory from Orbis 70")},
    {QStringLiteral("CheckBox2"),
     QStringLiteral("The Picture is download automatical from Orbis 70")},
};

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
