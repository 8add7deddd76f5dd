// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QString>

namespace winorbis::logbook {

// The checks a Paradox table's header must pass before the table engine reads it. The engine
// trusts the header: a field longer than its type copies past a number, fields longer than the
// record read past the record, and an encrypted table makes it spin for ever. A header that fails
// is refused with its reason, so a damaged or foreign log book is reported, never read.
struct ParadoxHeader {
    // How many bytes of the file's start the check needs at most; fewer for a short file.
    static constexpr int kLongestHeader = 0x78 + 2 * 255;

    // The reason the table cannot be read safely; empty when the header is sound. head is the
    // file's start (up to kLongestHeader bytes), fileSize the whole file's size.
    static QString problem(const QByteArray& head, qint64 fileSize);
};

} // namespace winorbis::logbook
