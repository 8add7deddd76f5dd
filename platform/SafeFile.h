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
QString replaceFileContents(const QString& path, const QByteArray& bytes);

} // namespace winorbis
