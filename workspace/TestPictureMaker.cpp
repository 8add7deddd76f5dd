// SPDX-License-Identifier: GPL-3.0-or-later
// Writes the five test pictures as BMP files into the given folder, each with its thumbnail; the
// build embeds them in the program. 24-bit pictures become 24-bit files; paletted pictures become
// 8-bit files with their 16-entry palette; thumbnails are 24-bit files.
#include "TestPictures.h"

#include <QDir>
#include <QImageWriter>
#include <QSaveFile>

#include <cstdio>
#include <utility>

namespace {

void put16(QByteArray& bytes, quint16 value) {
    bytes.append(char(value & 0xff)).append(char(value >> 8));
}
void put32(QByteArray& bytes, quint32 value) {
    put16(bytes, quint16(value & 0xffff));
    put16(bytes, quint16(value >> 16));
}

// A BMP file of 8 bits per pixel with the picture's own colour table (Qt would write a picture of
// 16 colours with 4 bits per pixel).
QByteArray indexedBmp(const QImage& picture) {
    const int rowBytes = (picture.width() + 3) / 4 * 4;
    const quint32 paletteBytes = 4 * quint32(picture.colorCount());
    const quint32 offset = 14 + 40 + paletteBytes;
    const quint32 imageBytes = quint32(rowBytes) * quint32(picture.height());
    QByteArray bytes("BM");
    put32(bytes, offset + imageBytes);
    put32(bytes, 0);
    put32(bytes, offset);
    put32(bytes, 40);
    put32(bytes, quint32(picture.width()));
    put32(bytes, quint32(picture.height()));
    put16(bytes, 1);
    put16(bytes, 8);
    put32(bytes, 0);
    put32(bytes, imageBytes);
    put32(bytes, 0);
    put32(bytes, 0);
    put32(bytes, quint32(picture.colorCount()));
    put32(bytes, quint32(picture.colorCount()));
    for (const QRgb colour : picture.colorTable())
        bytes.append(char(qBlue(colour)))
            .append(char(qGreen(colour)))
            .append(char(qRed(colour)))
            .append('\0');
    for (int y = picture.height() - 1; y >= 0; --y) {
        bytes.append(reinterpret_cast<const char*>(picture.constScanLine(y)), picture.width());
        bytes.append(QByteArray(rowBytes - picture.width(), '\0'));
    }
    return bytes;
}

bool writePicture(const QImage& picture, const QString& path, QString* error) {
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly)) {
        *error = file.errorString();
        return false;
    }
    if (picture.format() == QImage::Format_Indexed8) {
        const QByteArray bytes = indexedBmp(picture);
        if (file.write(bytes) != bytes.size()) {
            *error = file.errorString();
            return false;
        }
    } else {
        QImageWriter writer(&file, "bmp");
        if (!writer.write(picture)) {
            *error = writer.errorString();
            return false;
        }
    }
    if (!file.commit()) {
        *error = file.errorString();
        return false;
    }
    return true;
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s FOLDER\n", argv[0]);
        return 2;
    }
    const QString folder = QString::fromLocal8Bit(argv[1]);
    if (!QDir().mkpath(folder)) {
        std::fprintf(stderr, "cannot make the folder %s\n", argv[1]);
        return 1;
    }
    for (int i = 0; i < winorbis::TestPictures::kCount; ++i) {
        namespace tp = winorbis::TestPictures;
        const QImage picture = tp::draw(i);
        const std::pair<QImage, QString> files[] = {
            {picture, tp::fileName(i)}, {tp::thumbnail(picture), tp::thumbnailFileName(i)}};
        for (const auto& [image, name] : files) {
            const QString path = QDir(folder).filePath(name);
            QString error;
            if (!writePicture(image, path, &error)) {
                std::fprintf(stderr, "cannot write %s: %s\n", qPrintable(path), qPrintable(error));
                return 1;
            }
        }
    }
    return 0;
}
