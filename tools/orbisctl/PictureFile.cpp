// SPDX-License-Identifier: GPL-3.0-or-later
#include "PictureFile.h"

#include "platform/SafeFile.h"
#include "platform/vexfile/PictureConversions.h"
#include "workspace/WorkingPictures.h"

#include <QBuffer>
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

namespace {

bool isJpegName(const QString& path) {
    const QString suffix = QFileInfo(path).suffix().toLower();
    return suffix == QLatin1String("jpg") || suffix == QLatin1String("jpeg");
}

} // namespace

QString pictureNameProblem(const QString& path) {
    const QString suffix = QFileInfo(path).suffix().toLower();
    if (!isJpegName(path) && suffix != QLatin1String("bmp"))
        return QStringLiteral("%1: the name must end in .bmp or .jpg").arg(path);
    return {};
}

QString pictureOutputProblem(const QString& path) {
    if (QString problem = pictureNameProblem(path); !problem.isEmpty())
        return problem;
    const QFileInfo info(path);
    if (info.isDir())
        return QStringLiteral("cannot write %1: it is a folder").arg(path);
    const QFileInfo folder(info.absolutePath());
    if (!folder.isDir())
        return QStringLiteral("cannot write %1: the folder %2 does not exist")
            .arg(path, folder.absoluteFilePath());
    if (!folder.isWritable())
        return QStringLiteral("cannot write %1: the folder %2 is not writable")
            .arg(path, folder.absoluteFilePath());
    return {};
}

QString savePictureFile(const QImage& picture, const QString& path) {
    if (QString problem = pictureNameProblem(path); !problem.isEmpty())
        return problem;
    if (!isJpegName(path)) {
        // Through the checked writer: a full disk leaves an existing file whole.
        QByteArray bytes;
        QBuffer buffer(&bytes);
        buffer.open(QIODevice::WriteOnly);
        if (!picture.save(&buffer, "BMP"))
            return QStringLiteral("cannot write %1").arg(path);
        const QString reason = replaceFileContents(path, bytes);
        return reason.isEmpty() ? QString()
                                : QStringLiteral("cannot write %1: %2").arg(path, reason);
    }
    // JPEG files go through the picture library's BMP-to-JPEG conversion, as the program's do.
    if (!PictureConversions::imageToJpeg(path, picture))
        return QStringLiteral("cannot write %1: %2").arg(path, PictureConversions::lastError());
    return {};
}

} // namespace winorbis
