// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QStringList>

#include <cstdio>

namespace winorbis {

class ProgramFolder;

// orbisctl catalog: the picture catalog of a program folder from the command line, on the code
// of the catalog window.
//   catalog [PAGE]           one line per position: "rx N", "tx N" and "P:K" of the page (the
//                            current page by default), its file or "-", and its name
//   catalog copy FROM TO     a picture dropped from one position on another (FROM: rxN, txN or
//                            P:K; TO: txN or P:K), with its name
//   catalog name POS TEXT    a position (txN, P:K) or a page ("page P") named
// Names and the page go back into "\COM.DAT". Exit 0, 1 when the catalog reported an error, 2 on
// a usage error.
int runCatalog(const ProgramFolder& folder, const QStringList& arguments, std::FILE* out,
               std::FILE* err);

} // namespace winorbis
