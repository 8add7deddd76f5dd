// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QImage>
#include <QString>

namespace winorbis {

// Loads a BMP or JPEG file as the program loads a picture into the TX picture: scaled into
// 410 x 256. A null picture and the reason when it cannot be read.
QImage loadTxPictureFile(const QString& path, QString* error);

// Why a picture cannot be written under this name (it ends neither in .bmp nor in .jpg or .jpeg);
// empty when it can.
QString pictureNameProblem(const QString& path);
// The name's problem, or why the file cannot be written there (a folder that does not exist or is
// not writable, a folder of that name); empty when nothing speaks against writing it. Checked
// before a transfer, so that no transfer is thrown away for a bad name.
QString pictureOutputProblem(const QString& path);

// Writes a picture as BMP or, for ".jpg" and ".jpeg", as JPEG of quality 50, the way the program
// writes its pictures. An empty text on success, otherwise the reason.
QString savePictureFile(const QImage& picture, const QString& path);

} // namespace winorbis
