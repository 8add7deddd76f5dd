// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>
#include <QStringList>

namespace winorbis {

// The program folder and the one mapping of the program's file names ("\Kleinbilder\Bild3.bmp",
// always relative to the folder and beginning with a backslash) to native paths. An existing file
// or folder is found whatever the letter case of its name, so folders copied from existing
// installations ("\kleinbilder\BILD3.BMP") work unchanged.
class ProgramFolder {
public:
    // folder: a native directory; a trailing separator is dropped.
    explicit ProgramFolder(const QString& folder);

    // The folder as text without a trailing separator.
    const QString& folder() const { return folder_; }

    // The native path of a program file name. Each part of the name that exists in another letter
    // case is taken as it exists; parts that do not exist keep the given spelling.
    QString path(QStringView name) const;
    bool exists(QStringView name) const;

    // The sub-folders that hold the program's pictures: "\Kleinbilder", "\TxKatalog",
    // "\RxKatalog", "\AutoSpeichern" and "\im0" .. "\im17".
    static QStringList pictureFolders();
    // Removes what a program killed while writing left behind: the checked writer's stale
    // temporary files, in the program folder and its picture folders. Returns how many.
    int removeStaleTemporaryFiles() const;
    // Creates every missing picture folder; returns the names of those that could not be made.
    QStringList createMissingFolders() const;

private:
    QString folder_;
};

} // namespace winorbis
