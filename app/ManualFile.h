// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

namespace winorbis {

class ProgramFolder;

// The user manual "winorbis70.pdf": where the installation (or this build tree) keeps it, and its
// copy in a program folder, which "Help" opens.
namespace manualtext {
inline const QString kNotInstalled =
    QStringLiteral("The user manual winorbis70.pdf is not installed; Help has nothing to open.");
// %1 the manual's path in the program folder, %2 the reason.
inline const QString kCannotCopy = QStringLiteral("Cannot copy the user manual to %1: %2");
} // namespace manualtext

// The manual of a program whose executable lies in executableDir: the installation's
// (share/doc/winorbis beside the bin folder), else the one this build made; empty when neither
// exists.
QString installedManual(const QString& executableDir);
// The manual of the running program.
QString installedManual();

// Copies manual into folder as "\winorbis70.pdf" (the name "Help" opens) unless the folder has one
// already, in any letter case (an operator's own copy is never replaced). The copy appears whole or
// not at all. Returns an empty text when the folder holds its manual afterwards, otherwise the
// reason.
QString copyManualIfMissing(const ProgramFolder& folder, const QString& manual);
// The same with the running program's manual.
QString copyManualIfMissing(const ProgramFolder& folder);

} // namespace winorbis
