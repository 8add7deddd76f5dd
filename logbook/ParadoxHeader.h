// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QString>

namespace winorbis::logbook {

// The checks a Paradox table's header must pass before the table engine reads it. The engine
// trusts the header: a field longer than its type copies past a number, fields longer than the
// record read past the record, and an encrypted table makes it spin for ever. A header that fails
// is refused with its reason, so a damaged or foreign log book is reported, never read. The chain
// of data blocks is walked as the engine walks it, so a chain that loops (on which the engine
// would never return) or leaves the file is refused as well.
struct ParadoxHeader {
    // The reason the table cannot be read safely; empty when the header and the chain of data
    // blocks are sound (every block in the file, each visited once, none holding more records
    // than it has room for). file is the whole table file.
    static QString problem(const QByteArray& file);
};

} // namespace winorbis::logbook
