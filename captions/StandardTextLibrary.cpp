// SPDX-License-Identifier: GPL-3.0-or-later
#include "StandardTextLibrary.h"

#include "platform/CodePage.h"
#include "platform/ProgramFolder.h"
#include "platform/SafeFile.h"

#include <QFile>

namespace winorbis {

const QString StandardTextLibrary::kFileName = QStringLiteral("\\winorbis.txt");

const StandardTextLibrary::Entry* StandardTextLibrary::at(const Path& path) const {
    if (path.isEmpty())
        return nullptr;
    const QList<Entry>* level = &top_;
    const Entry* entry = nullptr;
    for (const int index : path) {
        if (index < 0 || index >= level->size())
            return nullptr;
        entry = &(*level)[index];
        level = &entry->children;
    }
    return entry;
}

QList<StandardTextLibrary::Entry>* StandardTextLibrary::siblingsOf(const Path& path) {
    QList<Entry>* level = &top_;
    for (qsizetype i = 0; i + 1 < path.size(); ++i) {
        const int index = path[i];
        if (index < 0 || index >= level->size())
            return nullptr;
        level = &(*level)[index].children;
    }
    return level;
}

StandardTextLibrary::Entry* StandardTextLibrary::entryAt(const Path& path) {
    if (!at(path))
        return nullptr;
    // Through the lists' non-const access: an outline shared with a copy is detached first.
    return &(*siblingsOf(path))[path.last()];
}

StandardTextLibrary::Path StandardTextLibrary::addAfter(const Path& path, const QString& text) {
    if (!at(path)) {
        top_.append({text, {}});
        return {int(top_.size() - 1)};
    }
    QList<Entry>* level = siblingsOf(path);
    const int index = path.last() + 1;
    level->insert(index, {text, {}});
    Path added = path;
    added.last() = index;
    return added;
}

StandardTextLibrary::Path StandardTextLibrary::addChild(const Path& path, const QString& text) {
    Entry* entry = entryAt(path);
    if (!entry)
        return addAfter({}, text);
    entry->children.append({text, {}});
    Path added = path;
    added.append(int(entry->children.size() - 1));
    return added;
}

bool StandardTextLibrary::setText(const Path& path, const QString& text) {
    Entry* entry = entryAt(path);
    if (!entry)
        return false;
    entry->text = text;
    return true;
}

bool StandardTextLibrary::remove(const Path& path) {
    if (!at(path))
        return false;
    siblingsOf(path)->removeAt(path.last());
    return true;
}

StandardTextLibrary StandardTextLibrary::fromText(const QByteArray& text) {
    StandardTextLibrary library;
    QList<QByteArray> lines = text.split('\n');
    if (!lines.isEmpty() && lines.last().isEmpty())
        lines.removeLast();
    Path last; // the path of the line before
    for (QByteArray line : lines) {
        if (line.endsWith('\r'))
            line.chop(1);
        int depth = 0;
        while (depth < line.size() && line[depth] == '\t')
            ++depth;
        const QString entry = fromWinLatin(line.mid(depth));
        // One level below the line before at most.
        depth = std::min(depth, int(last.size()));
        if (depth == 0) {
            last = library.addAfter({}, entry);
        } else {
            const Path parent = last.mid(0, depth);
            last = library.addChild(parent, entry);
        }
    }
    return library;
}

namespace {

void writeEntries(QByteArray& text, const QList<StandardTextLibrary::Entry>& entries, int depth) {
    for (const auto& entry : entries) {
        QString oneLine = entry.text;
        oneLine.replace('\r', ' ').replace('\n', ' ');
        text += QByteArray(depth, '\t') + toWinLatin(oneLine) + "\r\n";
        writeEntries(text, entry.children, depth + 1);
    }
}

} // namespace

QByteArray StandardTextLibrary::toText() const {
    QByteArray text;
    writeEntries(text, top_, 0);
    return text;
}

QString StandardTextLibrary::filePath(const ProgramFolder& folder) {
    return folder.path(kFileName);
}

std::optional<StandardTextLibrary> StandardTextLibrary::load(const ProgramFolder& folder) {
    QFile file(filePath(folder));
    if (!file.open(QIODevice::ReadOnly))
        return std::nullopt;
    return fromText(file.readAll());
}

QString StandardTextLibrary::save(const ProgramFolder& folder) const {
    return replaceFileContents(filePath(folder), toText());
}

} // namespace winorbis
