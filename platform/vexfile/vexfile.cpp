// SPDX-License-Identifier: GPL-3.0-or-later
// The four picture-file functions over Qt's image I/O. Files are written through the checked
// writer, so a failed save never leaves a half-written picture in place of the old one.
#include "platform/vexfile/vexfile.h"

#include "platform/SafeFile.h"
#include "platform/vexfile/DibImage.h"

#include <QBuffer>
#include <QFile>
#include <QImageReader>
#include <QImageWriter>

#include <algorithm>
#include <cstring>
#include <string>

using namespace winorbis::vexfile;

namespace {

thread_local std::string t_lastError;

void fail(const QString& text) {
    t_lastError = text.toStdString();
}

void succeed() {
    t_lastError.clear();
}

QString pathText(LPCSTR path) {
    return QFile::decodeName(path);
}

HGLOBAL load(LPCSTR path, const char* format) {
    if (path == nullptr || *path == '\0') {
        fail(QStringLiteral("No picture file was named."));
        return nullptr;
    }
    const QString name = pathText(path);
    QImageReader reader(name, format);
    reader.setAutoDetectImageFormat(format == nullptr);
    reader.setDecideFormatFromContent(format == nullptr);
    const QImage image = reader.read();
    if (image.isNull()) {
        fail(QStringLiteral("The picture file \"%1\" cannot be read: %2")
                 .arg(name, reader.errorString()));
        return nullptr;
    }
    QString error;
    const HGLOBAL block = imageToDib(image, &error);
    if (block == nullptr) {
        fail(QStringLiteral("The picture file \"%1\" cannot be read: %2").arg(name, error));
        return nullptr;
    }
    succeed();
    return block;
}

// Writes the bytes as the file's new contents in one step (the checked writer); the error names
// the file.
bool writeFile(LPCSTR path, const QByteArray& bytes) {
    if (path == nullptr || *path == '\0') {
        fail(QStringLiteral("No picture file was named."));
        return false;
    }
    const QString name = pathText(path);
    const QString reason = winorbis::replaceFileContents(name, bytes);
    if (!reason.isEmpty()) {
        fail(QStringLiteral("The picture file \"%1\" cannot be written: %2").arg(name, reason));
        return false;
    }
    succeed();
    return true;
}

} // namespace

HGLOBAL VexelJpegFileLoad(LPCSTR path, LPCSTR, LPCSTR, int) {
    return load(path, "jpeg");
}

HGLOBAL VexelFileLoad(LPCSTR path, LPCSTR, LPCSTR) {
    return load(path, nullptr);
}

int VexelBmpFileSave(LPCSTR path, HGLOBAL image, LPCSTR, LPCSTR, int) {
    const DWORD size = VexelMemSize(image);
    const auto* bytes = static_cast<const BYTE*>(VexGlobalLock(image));
    if (bytes == nullptr) {
        fail(QStringLiteral("The image handle holds no image."));
        return 0;
    }
    QString error;
    const std::optional<DibLayout> layout = dibLayout(bytes, size, &error);
    if (!layout) {
        VexGlobalUnlock(image);
        fail(error);
        return 0;
    }
    // The DIB as it is, behind a file header.
    BITMAPFILEHEADER fileHeader{};
    fileHeader.bfType = 0x4D42; // "BM"
    fileHeader.bfSize = DWORD(sizeof fileHeader + layout->totalSize);
    fileHeader.bfOffBits = DWORD(sizeof fileHeader + layout->pixelOffset);
    QByteArray contents(reinterpret_cast<const char*>(&fileHeader), sizeof fileHeader);
    contents.append(reinterpret_cast<const char*>(bytes), qsizetype(layout->totalSize));
    VexGlobalUnlock(image);
    return writeFile(path, contents) ? 1 : 0;
}

int VexelJpegFileSave(LPCSTR path, HGLOBAL image, LPCSTR, LPCSTR, int quality, int) {
    QString error;
    const QImage picture = imageOfBlock(image, &error);
    if (picture.isNull()) {
        fail(error);
        return 0;
    }
    QByteArray contents;
    QBuffer buffer(&contents);
    buffer.open(QIODevice::WriteOnly);
    QImageWriter writer(&buffer, "jpeg");
    writer.setQuality(std::clamp(quality, 0, 100));
    if (!writer.write(picture)) {
        fail(QStringLiteral("The picture file \"%1\" cannot be written: %2")
                 .arg(pathText(path), writer.errorString()));
        return 0;
    }
    return writeFile(path, contents) ? 1 : 0;
}

LPCSTR VexelFileLastError(void) {
    return t_lastError.c_str();
}
