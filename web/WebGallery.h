// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QDateTime>
#include <QList>
#include <QSet>
#include <QString>
#include <QStringList>

namespace winorbis::web {

// One received picture of the gallery: when, in which mode, and the picture's name, a path
// relative to the program folder in '/' form ("AutoSpeichern/081226_155030.jpg"), and the callsign
// its sender gave in FSK (empty when none came).
struct GalleryEntry {
    QDateTime when;
    QString mode;
    QString name;
    QString callsign = {};
};

// The gallery of the received pictures that "AutoSpeichern/received.log" of a program folder
// names, and the one way from a requested name to a file: only a name that the log gives for a
// file inside the folder leads to that file, so a request can never reach another file of the
// machine (no "..", no absolute path, no symbolic link out of the folder, no file the log does not
// name).
class Gallery {
public:
    explicit Gallery(const QString& programFolder);

    // The log's pictures, newest first, at most limit of them.
    QList<GalleryEntry> entries(int limit = 200) const;
    // The gallery entry of one line's values (the files as the log writes them); an empty name
    // when no file lies inside the folder. The JPEG copy comes before the slot file, which the
    // next receptions overwrite.
    GalleryEntry entryOf(const QDateTime& when, const QString& mode,
                         const QStringList& files) const;
    // The file of a requested name, canonical; empty when the name is not the log's or its file is
    // not a plain file inside the folder.
    QString file(const QString& name) const;

    // The entries of a log's text (tested and fuzzed on its own).
    QList<GalleryEntry> parse(const QByteArray& text, int limit) const;

    // How much of the log's end is read.
    static constexpr qint64 kLogTail = 1024 * 1024;

private:
    QString relativeName(const QString& nativePath) const;
    // Every entry of the log's end, read again only when the log has changed.
    const QList<GalleryEntry>& all() const;

    mutable QList<GalleryEntry> entries_;
    mutable QSet<QString> names_;
    mutable qint64 readSize_ = -1;
    mutable QDateTime readModified_;

    QString folder_;    // as given, cleaned
    QString canonical_; // the folder's canonical path
};

} // namespace winorbis::web
