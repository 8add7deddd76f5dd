// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QStringList>

#include <cstdio>

namespace winorbis {

class Clock;

// orbisctl: the converter's commands for scripts and headless stations, on the program's own link
// code. Returns the exit status: 0 success, 1 failure (the system's message on err), 2 usage.
int runOrbisctl(const QStringList& arguments, Clock& clock, std::FILE* out, std::FILE* err);

QString orbisctlHelp();

// A command line orbisctl does not take: the reason and where the help is, on err; returns the
// usage status 2.
int usageError(std::FILE* err, const QString& why);

} // namespace winorbis
