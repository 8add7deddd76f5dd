// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QStringList>

#include <cstdio>

namespace winorbis {

// orbisctl log show TABLE.DB | log export TABLE.DB [--out FILE.adi]: the log book's columns and
// records, or the log as ADIF 3.1 (on standard output without --out). Exit 0, 1 when the table
// cannot be read or the file cannot be written, 2 on a usage error.
int runLog(const QStringList& arguments, std::FILE* out, std::FILE* err);

} // namespace winorbis
