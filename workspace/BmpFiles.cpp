// SPDX-License-Identifier: GPL-3.0-or-later
#include "BmpFiles.h"

#include "PictureTexts.h"

#include "platform/SafeFile.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImageReader>
#include <QImageWriter>

namespace winorbis::BmpFiles {

namespace {

void setError(QString* error, const QString& text) {
    if (error != nullptr)
        *error = text;
}

} // namespace

QImage read(const QString& path, QString* error) {
    const QString shown = QDir::toNativeSeparators(path);
    if (QFileInfo(path).isDir()) {
        setError(error, PictureTexts::cannotRead(shown, QStringLiteral("It is a folder")));
        return {};
    }
    QImageReader reader(path);
    const QImage picture = reader.read();
    if (picture.isNull()) {
        setError(error, PictureTexts::cannotRead(shown, reader.errorString()));
        return {};
    }
    return picture.convertToFormat(QImage::Format_RGB888);
}

bool write(const QImage& picture, const QString& path, QString* error) {
    const QString shown = QDir::toNativeSeparators(path);
    if (picture.isNull()) {
        setError(error, PictureTexts::cannotWrite(shown, QStringLiteral("There is no picture")));
        return false;
    }
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    QImageWriter writer(&buffer, "bmp");
    if (!writer.write(picture.convertToFormat(QImage::Format_RGB888))) {
        setError(error, PictureTexts::cannotWrite(shown, writer.errorString()));
        return false;
    }
    buffer.close();
    const QString reason = replaceFileContents(path, bytes);
    if (!reason.isEmpty()) {
        setError(error, PictureTexts::cannotWrite(shown, reason));
        return false;
    }
    return true;
}

bool remove(const QString& path, QString* error) {
    QFile file(path);
    if (!QFileInfo::exists(path) && !QFileInfo(path).isSymLink())
        return true;
    if (file.remove())
        return true;
    setError(error, PictureTexts::cannotDelete(QDir::toNativeSeparators(path), file.errorString()));
    return false;
}

} // namespace winorbis::BmpFiles
