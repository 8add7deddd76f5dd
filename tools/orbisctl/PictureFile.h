// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QImage>
#include <QString>

namespace winorbis {

// Loads a BMP or JPEG file as the program loads a picture into the TX picture: scaled into
// 410 x 256. A null picture and the reason when it cannot be read.
QImage loadTxPictureFile(const QString& path, QString* error);

// Writes a picture as BMP or, for ".jpg" and ".jpeg", as JPEG of quality 50, the way the program
// writes its pictures. An empty text on success, otherwise the reason.
QString savePictureFile(const QImage& picture, const QString& path);

} // namespace winorbis
