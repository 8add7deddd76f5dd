// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "Settings.h"

#include <QByteArray>
#include <QList>

namespace winorbis {

// The 585-line text form of the settings: one value per line, CR LF, Windows Latin code page, in a
// fixed order that nothing in the file names.
namespace SettingsCodec {

inline constexpr int kLineCount = 585;

// A line that could not be read: a missing line, a number line that does not convert, or lines
// after the last one (extra: line is the first of them, text their count).
struct Problem {
    int line = 0; // 1-based
    QString text; // the offending text
    bool missing = false;
    bool extra = false;
};

struct ReadResult {
    Settings settings;
    QList<Problem> problems;
};

// Reads the file's bytes over the defaults. Every value that cannot be read keeps its default and
// is reported; all others are taken as they stand. The callsign font's ninth line is skipped,
// face names are cut to 31 characters, an empty line 584 reads as 60, and the callsign font's
// character set becomes 1.
ReadResult parse(const QByteArray& bytes, const Settings& defaults);

// The file's bytes for the given values: 585 lines, each ended by CR LF.
QByteArray serialize(const Settings& settings);

// The number that a number line holds, as the settings file writes it: a decimal integer,
// blanks around it allowed.
std::optional<int> parseNumber(const QString& text);

} // namespace SettingsCodec

} // namespace winorbis
