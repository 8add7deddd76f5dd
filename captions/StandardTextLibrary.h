// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QList>
#include <QString>

#include <optional>

namespace winorbis {

class ProgramFolder;

// The library of standard texts: an outline of entries, kept in the program folder's
// "winorbis.txt" (found whatever its letter case), one entry per line with one leading tab per
// level, in the Windows Latin code page. An entry is addressed by its path of child indexes from
// the top ({2, 0}: the first child of the third top entry).
class StandardTextLibrary {
public:
    static const QString kFileName; // "\winorbis.txt"
    using Path = QList<int>;

    struct Entry {
        QString text;
        QList<Entry> children;
    };

    const QList<Entry>& entries() const { return top_; }
    // The entry at a path; nullptr when there is none.
    const Entry* at(const Path& path) const;

    // Adds a text after the entry at the path, at its level (at the end of the top level for an
    // empty path); returns the new entry's path.
    Path addAfter(const Path& path, const QString& text);
    // Adds a text as the last child of the entry at the path (a top entry for an empty path).
    Path addChild(const Path& path, const QString& text);
    bool setText(const Path& path, const QString& text);
    // Removes the entry with its children.
    bool remove(const Path& path);

    // Reads the outline from text. A line with more tabs than the line before it plus one is
    // attached one level below the line before it; a line never goes missing.
    static StandardTextLibrary fromText(const QByteArray& text);
    QByteArray toText() const;

    // The library file's native path.
    static QString filePath(const ProgramFolder& folder);
    // Reads the file; nullopt when it cannot be read.
    static std::optional<StandardTextLibrary> load(const ProgramFolder& folder);
    // Writes the file whole or not at all; empty text on success, otherwise the reason.
    QString save(const ProgramFolder& folder) const;

private:
    // The list that holds the entry at the path, and the entry itself, for a change: entries are
    // shared with the copies of the library until one of them changes.
    QList<Entry>* siblingsOf(const Path& path);
    Entry* entryAt(const Path& path);

    QList<Entry> top_;
};

} // namespace winorbis
