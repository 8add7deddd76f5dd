// SPDX-License-Identifier: GPL-3.0-or-later
#include "ProgramFolder.h"

#include "SafeFile.h"

#include <QDir>
#include <QFileInfo>

namespace winorbis {

namespace {

// The entry of dir whose name equals part ignoring case, or part itself when none does.
QString matchEntry(const QString& dir, const QString& part) {
    if (QFileInfo::exists(dir + '/' + part))
        return part;
    const QStringList entries =
        QDir(dir).entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
    for (const QString& entry : entries) {
        if (entry.compare(part, Qt::CaseInsensitive) == 0)
            return entry;
    }
    return part;
}

} // namespace

ProgramFolder::ProgramFolder(const QString& folder)
    : folder_(QDir::cleanPath(folder)) {
    if (folder_.size() > 1 && folder_.endsWith('/'))
        folder_.chop(1);
}

QString ProgramFolder::path(QStringView name) const {
    QString result = folder_;
    const auto parts = name.split(QLatin1Char('\\'), Qt::SkipEmptyParts);
    for (QStringView part : parts) {
        const QString text = part.toString();
        if (text == QLatin1String("."))
            continue;
        result += '/' + matchEntry(result, text);
    }
    return result;
}

bool ProgramFolder::exists(QStringView name) const {
    return QFileInfo::exists(path(name));
}

QStringList ProgramFolder::pictureFolders() {
    QStringList names = {QStringLiteral("\\Kleinbilder"), QStringLiteral("\\TxKatalog"),
                         QStringLiteral("\\RxKatalog"), QStringLiteral("\\AutoSpeichern")};
    for (int page = 0; page < 18; ++page)
        names << QStringLiteral("\\im%1").arg(page);
    return names;
}

QStringList ProgramFolder::createMissingFolders() const {
    QStringList failed;
    for (const QString& name : pictureFolders()) {
        const QString native = path(name);
        if (QFileInfo(native).isDir())
            continue;
        if (!QDir().mkpath(native))
            failed << name;
    }
    return failed;
}

int ProgramFolder::removeStaleTemporaryFiles() const {
    int removed = winorbis::removeStaleTemporaryFiles(folder_);
    for (const QString& name : pictureFolders())
        removed += winorbis::removeStaleTemporaryFiles(path(name));
    return removed;
}

} // namespace winorbis
