// SPDX-License-Identifier: GPL-3.0-or-later
#include "WebGallery.h"

#include "workspace/ReceptionLog.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <limits>

namespace winorbis::web {

namespace {

QString logPath(const QString& folder) {
    return QDir(folder).filePath(QStringLiteral("AutoSpeichern/") + ReceptionLog::kFileName);
}

} // namespace

Gallery::Gallery(const QString& programFolder)
    : folder_(QDir::cleanPath(programFolder))
    , canonical_(QFileInfo(programFolder).canonicalFilePath()) {}

QString Gallery::relativeName(const QString& nativePath) const {
    const QString path = QDir::cleanPath(QDir::fromNativeSeparators(nativePath));
    if (path.isEmpty() || path == QLatin1String("-"))
        return {};
    QString relative;
    if (QDir::isRelativePath(path))
        relative = path;
    else if (path.startsWith(folder_ + QLatin1Char('/')))
        relative = path.mid(folder_.size() + 1);
    else if (!canonical_.isEmpty() && path.startsWith(canonical_ + QLatin1Char('/')))
        relative = path.mid(canonical_.size() + 1);
    else
        return {};
    if (relative.startsWith(QLatin1String("../")) || relative == QLatin1String(".."))
        return {};
    return relative;
}

GalleryEntry Gallery::entryOf(const QDateTime& when, const QString& mode,
                              const QStringList& files) const {
    GalleryEntry entry{when, mode, {}};
    // The JPEG copy first: the slot files are overwritten by later receptions.
    QStringList ordered;
    for (const QString& f : files)
        (f.endsWith(QLatin1String(".jpg"), Qt::CaseInsensitive) ? ordered.prepend(f)
                                                                : ordered.append(f));
    for (const QString& f : ordered) {
        entry.name = relativeName(f);
        if (!entry.name.isEmpty())
            break;
    }
    return entry;
}

QList<GalleryEntry> Gallery::parse(const QByteArray& text, int limit) const {
    QList<GalleryEntry> entries;
    const QList<QByteArray> lines = text.split('\n');
    for (auto it = lines.crbegin(); it != lines.crend() && entries.size() < limit; ++it) {
        const QList<QByteArray> fields = it->split('\t');
        if (fields.size() < 4)
            continue;
        const QDateTime when =
            QDateTime::fromString(QString::fromUtf8(fields[0]).trimmed(), Qt::ISODate);
        if (!when.isValid())
            continue;
        const QString mode = QString::fromUtf8(fields[1]).trimmed();
        GalleryEntry entry = entryOf(
            when, mode == QLatin1String("-") ? QString() : mode,
            {QString::fromUtf8(fields[2]).trimmed(), QString::fromUtf8(fields[3]).trimmed()});
        if (fields.size() > 4)
            entry.callsign = QString::fromUtf8(fields[4]).trimmed();
        if (!entry.name.isEmpty())
            entries.append(entry);
    }
    return entries;
}

const QList<GalleryEntry>& Gallery::all() const {
    const QFileInfo info(logPath(folder_));
    const qint64 size = info.exists() ? info.size() : -1;
    if (size == readSize_ && info.lastModified() == readModified_)
        return entries_;
    readSize_ = size;
    readModified_ = info.lastModified();
    entries_.clear();
    names_.clear();
    QFile file(info.filePath());
    if (!file.open(QIODevice::ReadOnly))
        return entries_;
    // The end of a long log: the newest pictures; the first, cut line is dropped.
    if (size > kLogTail) {
        file.seek(size - kLogTail);
        file.readLine();
    }
    entries_ = parse(file.readAll(), std::numeric_limits<int>::max());
    for (const GalleryEntry& entry : entries_)
        names_.insert(entry.name);
    return entries_;
}

QList<GalleryEntry> Gallery::entries(int limit) const {
    return all().mid(0, limit);
}

QString Gallery::file(const QString& name) const {
    if (canonical_.isEmpty() || name.isEmpty())
        return {};
    all();
    if (!names_.contains(name))
        return {};
    // The canonical path resolves every symbolic link: it must still lie inside the folder.
    const QFileInfo info(QDir(canonical_).filePath(name));
    const QString canonical = info.canonicalFilePath();
    if (canonical.isEmpty() || !canonical.startsWith(canonical_ + QLatin1Char('/')))
        return {};
    if (!QFileInfo(canonical).isFile())
        return {};
    return canonical;
}

} // namespace winorbis::web
