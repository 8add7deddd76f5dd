// SPDX-License-Identifier: GPL-3.0-or-later
// Fuzz target for the standard-text library "winorbis.txt": arbitrary bytes are read as the
// library, written and read again, then edited as the library window edits it. Every line read
// becomes one entry, in order, one level below the entry before it at most; what is written reads
// back as the same library (its texts on one line each); the file as loaded from the program
// folder is the library of its bytes. Edits of a copy leave the library it was copied from as it
// was, and each edit does what it says to the outline of (level, text) lines.
#include "FuzzSupport.h"

#include "captions/StandardTextLibrary.h"
#include "platform/CodePage.h"
#include "platform/ProgramFolder.h"

#include <QFile>

#include <algorithm>
#include <vector>

using namespace winorbis;
using fuzz::check;
using Library = StandardTextLibrary;

namespace {

// The library as its lines: level and text, in the order they are written.
struct Line {
    int level = 0;
    QString text;
    bool operator==(const Line&) const = default;
};

void flatten(const QList<Library::Entry>& entries, int level, std::vector<Line>& out) {
    for (const auto& entry : entries) {
        out.push_back({level, entry.text});
        flatten(entry.children, level + 1, out);
    }
}

std::vector<Line> lines(const Library& library) {
    std::vector<Line> out;
    flatten(library.entries(), 0, out);
    return out;
}

// A text as the writer puts it on its line.
QString oneLine(QString text) {
    return text.replace(QLatin1Char('\r'), QLatin1Char(' '))
        .replace(QLatin1Char('\n'), QLatin1Char(' '));
}

// The lines of the bytes as the reader takes them apart: each without its line end and leading
// tabs, with the number of those tabs.
std::vector<std::pair<int, QByteArray>> rawLines(const QByteArray& bytes) {
    QList<QByteArray> parts = bytes.split('\n');
    if (!parts.isEmpty() && parts.last().isEmpty())
        parts.removeLast();
    std::vector<std::pair<int, QByteArray>> out;
    for (QByteArray part : parts) {
        if (part.endsWith('\r'))
            part.chop(1);
        int tabs = 0;
        while (tabs < part.size() && part[tabs] == '\t')
            ++tabs;
        out.emplace_back(tabs, part.mid(tabs));
    }
    return out;
}

// The paths of the lines, in writing order.
void collectPaths(const QList<Library::Entry>& entries, Library::Path& path,
                  std::vector<Library::Path>& out) {
    for (int i = 0; i < int(entries.size()); ++i) {
        path.append(i);
        out.push_back(path);
        collectPaths(entries[i].children, path, out);
        path.removeLast();
    }
}

std::vector<Library::Path> paths(const Library& library) {
    std::vector<Library::Path> out;
    Library::Path path;
    collectPaths(library.entries(), path, out);
    return out;
}

// The index of the line at a path, and the number of lines of it and its children; -1 for a path
// that names no line.
std::pair<int, int> span(const std::vector<Line>& outline, const std::vector<Library::Path>& all,
                         const Library::Path& path) {
    const auto found = std::find(all.begin(), all.end(), path);
    if (path.isEmpty() || found == all.end())
        return {-1, 0};
    const auto i = std::size_t(found - all.begin());
    std::size_t end = i + 1;
    while (end < outline.size() && outline[end].level > outline[i].level)
        ++end;
    return {int(i), int(end - i)};
}

// Edits a copy of the library and checks each edit against the lines, and the original after.
void checkEdits(const Library& original, fuzz::InputReader& in) {
    const std::vector<Line> before = lines(original);
    const QByteArray textBefore = original.toText();
    Library library = original;
    std::vector<Line> outline = before;
    for (int step = 0; step < 16 && !in.atEnd(); ++step) {
        const std::uint8_t what = in.byte();
        const int count = int(outline.size());
        // A path of one of the lines, or one that names none.
        const std::vector<Library::Path> all = paths(library);
        Library::Path path;
        const std::uint8_t which = in.byte();
        if (which == 0xff)
            path = {count + 1};
        else if (which == 0xfe)
            path = {-1};
        else if (count > 0)
            path = all[std::size_t(which % count)];
        const QString text = QStringLiteral("edit %1").arg(step);
        const auto [at, length] = span(outline, all, path);
        const bool named = at >= 0;
        check(named == (library.at(path) != nullptr), "a path names a line when at() finds it");
        switch (what % 4) {
        case 0: { // add after
            const Library::Path added = library.addAfter(path, text);
            const int level = named ? outline[std::size_t(at)].level : 0;
            const int into = named ? at + length : count;
            outline.insert(outline.begin() + into, Line{level, text});
            check(library.at(added) && library.at(added)->text == text, "added after at its path");
            break;
        }
        case 1: { // add as the last child
            const Library::Path added = library.addChild(path, text);
            const int level = named ? outline[std::size_t(at)].level + 1 : 0;
            const int into = named ? at + length : count;
            outline.insert(outline.begin() + into, Line{level, text});
            check(library.at(added) && library.at(added)->text == text, "added child at its path");
            break;
        }
        case 2: // new text
            check(library.setText(path, text) == named, "a text is set where there is a line");
            if (named)
                outline[std::size_t(at)].text = text;
            break;
        case 3: // removed with its children
            check(library.remove(path) == named, "a line is removed where there is one");
            if (named)
                outline.erase(outline.begin() + at, outline.begin() + at + length);
            break;
        }
        check(lines(library) == outline, "an edit changes the outline as it says");
    }
    check(lines(original) == before && original.toText() == textBefore,
          "editing a copy leaves the library it was copied from");
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    fuzz::application();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    fuzz::InputReader in(data, size);
    // The file, then the edits: the first two bytes say how long the file is.
    const QByteArray bytes = in.take(std::size_t(in.word()));
    const Library library = Library::fromText(bytes);

    // One entry per line, in order, at the level of its tabs but no deeper than one below the
    // line before.
    const std::vector<Line> read = lines(library);
    const auto raw = rawLines(bytes);
    check(read.size() == raw.size(), "every line is an entry");
    int previous = -1;
    for (std::size_t i = 0; i < raw.size(); ++i) {
        const int level = read[i].level;
        check(level == std::min(raw[i].first, previous + 1), "a line's level from its tabs");
        check(read[i].text == fromWinLatin(raw[i].second), "a line's text");
        previous = level;
    }

    // Written and read again: the same library, its texts on one line each.
    const QByteArray written = library.toText();
    const Library again = Library::fromText(written);
    std::vector<Line> expected = read;
    for (Line& line : expected)
        line.text = oneLine(line.text);
    check(lines(again) == expected, "what is written reads back as the library");
    check(again.toText() == written, "writing again gives the same bytes");

    // As a file in the program folder: loaded as its bytes read; saved as the library writes.
    if (bytes.size() % 8 == 0) {
        const ProgramFolder folder(fuzz::scratchFolder());
        QFile file(Library::filePath(folder));
        check(file.open(QIODevice::WriteOnly | QIODevice::Truncate), "library file written");
        check(file.write(bytes) == bytes.size(), "library file written whole");
        file.close();
        const auto loaded = Library::load(folder);
        check(loaded && lines(*loaded) == read, "the file loads as its bytes read");
        check(library.save(folder).isEmpty(), "the library is saved");
        check(file.open(QIODevice::ReadOnly) && file.readAll() == written,
              "the file holds what the library writes");
    }

    checkEdits(library, in);
    return 0;
}
