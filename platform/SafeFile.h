// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QString>

namespace winorbis {

// Replaces a file's contents as one step: the bytes go into a temporary file in the same folder,
// which is flushed to the disk and then renamed over the old file. A failure at any point (a full
// disk, a file size limit, a read-only file or folder) leaves the old file whole and removes the
// temporary one. Every write is checked, short writes included.
// Returns an empty text on success, otherwise the system's reason.
// The temporary file is named after the file with kTemporaryMarker and six random characters
// ("start.bmp.winorbis-a1B2c3"), so that a leftover of a killed program can be told apart from
// every other file.
QString replaceFileContents(const QString& path, const QByteArray& bytes);

inline constexpr char kTemporaryMarker[] = ".winorbis-";

// Removes the temporary files of replaceFileContents in folder (not below it) that a program
// killed while writing has left, when they are at least minimumAgeSeconds old. Files of every
// other name stay. Returns how many were removed.
int removeStaleTemporaryFiles(const QString& folder, int minimumAgeSeconds = 60);

} // namespace winorbis
