// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "platform/ProgramFolder.h"

#include <QImage>
#include <QString>

namespace winorbis {

// The two picture conversions of the program, built on the vexfile functions; every image they
// load is released with VexelMemFree. Paths are native paths.
namespace PictureConversions {

// The one temporary file of the JPEG-to-BMP conversion; each conversion overwrites it.
inline constexpr char16_t kTempBmpName[] = u"\\tempX.bmp";

// Loads the JPEG file and saves it as folder + "\tempX.bmp"; the native path of that file, or
// an empty text when the JPEG cannot be loaded or the BMP cannot be written (then lastError()
// says why, and nothing is to be loaded).
QString jpegToBmp(const ProgramFolder& folder, const QString& jpegPath);

// Loads the BMP file and saves it as a JPEG file of quality 50 under jpegPath. When the load
// yields no image nothing is written. True when the JPEG file was written.
bool bmpToJpeg(const QString& jpegPath, const QString& bmpPath);

// Saves the picture as a JPEG file of quality 50 under jpegPath, straight from memory: the same
// bytes as bmpToJpeg gives for the picture's BMP file. True when the JPEG file was written.
bool imageToJpeg(const QString& jpegPath, const QImage& picture);

// The picture library's text for the last failure of a conversion on this thread.
QString lastError();

} // namespace PictureConversions

} // namespace winorbis
