// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "platform/ProgramFolder.h"
#include "workspace/BmpFiles.h"

#include <QDir>
#include <QFile>
#include <QImage>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace winorbis::test {

// A program folder in a temporary folder with the catalog folders and "\Gray.BMP", and helpers
// that write catalog pictures of one colour as real BMP and JPEG files.
struct CatalogFolder {
    QTemporaryDir dir;
    ProgramFolder folder{dir.path()};

    CatalogFolder() {
        QDir root(dir.path());
        root.mkdir(QStringLiteral("RxKatalog"));
        root.mkdir(QStringLiteral("TxKatalog"));
        root.mkdir(QStringLiteral("Kleinbilder"));
        for (int page = 0; page < 18; ++page)
            root.mkdir(QStringLiteral("im%1").arg(page));
        QString error;
        BmpFiles::write(solid(64, 48, qRgb(128, 128, 128)), file(QStringLiteral("Gray.BMP")),
                        &error);
    }

    QString file(const QString& relative) const { return dir.path() + '/' + relative; }

    static QImage solid(int width, int height, QRgb colour) {
        QImage picture(width, height, QImage::Format_RGB888);
        picture.fill(colour);
        return picture;
    }
    // A picture file of one colour; the format follows the extension.
    QString write(const QString& relative, QRgb colour, QSize size = {420, 256}) const {
        const QString path = file(relative);
        const bool jpeg = relative.endsWith(QLatin1String(".jpg"), Qt::CaseInsensitive);
        EXPECT_TRUE(solid(size.width(), size.height(), colour).save(path, jpeg ? "JPG" : "BMP"))
            << path.toStdString();
        return path;
    }
    void writeBytes(const QString& relative, const QByteArray& bytes) const {
        QFile out(file(relative));
        ASSERT_TRUE(out.open(QIODevice::WriteOnly));
        out.write(bytes);
    }
    QByteArray bytes(const QString& relative) const {
        QFile in(file(relative));
        return in.open(QIODevice::ReadOnly) ? in.readAll() : QByteArray();
    }
    bool exists(const QString& relative) const { return QFile::exists(file(relative)); }
};

// The colour in the middle of a picture, near enough for JPEG.
inline bool looksLike(const QImage& picture, QRgb colour) {
    if (picture.isNull())
        return false;
    const QRgb seen = picture.pixel(picture.width() / 2, picture.height() / 2);
    return std::abs(qRed(seen) - qRed(colour)) < 12 &&
           std::abs(qGreen(seen) - qGreen(colour)) < 12 &&
           std::abs(qBlue(seen) - qBlue(colour)) < 12;
}

} // namespace winorbis::test
