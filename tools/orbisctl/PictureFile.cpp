// SPDX-License-Identifier: GPL-3.0-or-later
#include "PictureFile.h"

#include "workspace/WorkingPictures.h"

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
    if (!picture.save(path, jpeg ? "JPG" : "BMP", jpeg ? 50 : -1))
        return QStringLiteral("cannot write %1").arg(path);
    return {};
}

} // namespace winorbis
