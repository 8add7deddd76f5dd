// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QStringList>

#include <cstdio>

namespace winorbis {

class ProgramFolder;

// orbisctl web-password [--stdin]: sets the web face's password. The password is read from
// standard input, never from the command line: twice without echo from a terminal, once (one line)
// with --stdin. Only its hash goes into the program folder's "station.conf" ("WebPassword=").
// Exit 0, 1 when it cannot be stored, 2 for a usage error (also a password that is too short or
// two that differ).
int runWebPassword(const ProgramFolder& folder, const QStringList& arguments, std::FILE* in,
                   std::FILE* out, std::FILE* err);

} // namespace winorbis
