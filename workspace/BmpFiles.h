// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QImage>
#include <QString>

namespace winorbis {

// Reading, writing and deleting the program's own picture files. Pictures come back as 24-bit
// RGB; files are written as 24-bit BMP and replaced as one step, so a failed save never leaves a
// cut file in place of the old one. Failures are described in the picture library's words
// (PictureTexts); paths are native paths.
namespace BmpFiles {

// The picture of a file, converted to QImage::Format_RGB888; a null image and the reason when
// the file cannot be read.
QImage read(const QString& path, QString* error);

// Writes the picture as a 24-bit BMP file; false and the reason when it cannot be written (the
// old file then stays as it was).
bool write(const QImage& picture, const QString& path, QString* error);

// Deletes the file. A file that does not exist is no failure; false and the reason only when an
// existing file could not be deleted.
bool remove(const QString& path, QString* error);

} // namespace BmpFiles

} // namespace winorbis
