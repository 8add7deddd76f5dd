// SPDX-License-Identifier: GPL-3.0-or-later
#include "PictureFile.h"

#include "platform/vexfile/PictureConversions.h"
#include "workspace/WorkingPictures.h"

#include <QDir>
#include <QTemporaryFile>

#include <QFileInfo>
#include <QImageReader>

namespace winorbis {

QImage loadTxPictureFile(const QString& path, QString* error) {
    QImageReader reader(path);
    const QImage picture = reader.read();
    if (picture.isNull()) {
        if (error)
            *error = QStringLiteral("cannot read %1: %2").arg(path, reader.errorString());
        return {};
    }
    return WorkingPictures::scaledInto(picture, QSize(410, 256));
}

QString savePictureFile(const QImage& picture, const QString& path) {
    const QString suffix = QFileInfo(path).suffix().toLower();
    const bool jpeg = suffix == QLatin1String("jpg") || suffix == QLatin1String("jpeg");
    if (!jpeg && suffix != QLatin1String("bmp"))
        return QStringLiteral("%1: the name must end in .bmp or .jpg").arg(path);
    if (!jpeg)
        return picture.save(path, "BMP") ? QString() : QStringLiteral("cannot write %1").arg(path);
    // JPEG files go through the picture library's BMP-to-JPEG conversion, as the program's do.
    QTemporaryFile bmp(QDir::tempPath() + QStringLiteral("/orbisctl-XXXXXX.bmp"));
    if (!bmp.open() || !picture.save(bmp.fileName(), "BMP"))
        return QStringLiteral("cannot write a temporary picture file");
    if (!PictureConversions::bmpToJpeg(path, bmp.fileName()))
        return QStringLiteral("cannot write %1: %2").arg(path, PictureConversions::lastError());
    return {};
}

} // namespace winorbis
