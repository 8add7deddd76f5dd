// SPDX-License-Identifier: GPL-3.0-or-later
#include "StartupPictures.h"

#include "BmpFiles.h"
#include "PictureTexts.h"
#include "WorkingPictures.h"

#include "platform/Dialogs.h"
#include "platform/ProgramFolder.h"
#include "platform/SafeFile.h"

#include <QDir>

#include <algorithm>
#include <cstdint>

namespace winorbis {

namespace {

constexpr int kHeaderSize = 14 + 40;

void put16(QByteArray& bytes, int at, std::uint16_t value) {
    bytes[at] = char(value & 0xFF);
    bytes[at + 1] = char(value >> 8);
}

void put32(QByteArray& bytes, int at, std::uint32_t value) {
    for (int i = 0; i < 4; ++i)
        bytes[at + i] = char((value >> (8 * i)) & 0xFF);
}

// A 24-bit BMP of the given size with the headers filled in and every pixel byte zero.
QByteArray emptyBmp(int width, int height) {
    const int stride = (width * 3 + 3) / 4 * 4;
    const int size = kHeaderSize + stride * height;
    QByteArray bytes(size, '\0');
    // File header: "BM", file size, two reserved words 0, offset of the pixels.
    bytes[0] = 'B';
    bytes[1] = 'M';
    put32(bytes, 2, std::uint32_t(size));
    put32(bytes, 10, kHeaderSize);
    // Information header: size 40, width, height (rows bottom-up), 1 plane, 24 bits, no
    // compression; image size, resolutions and colour counts 0.
    put32(bytes, 14, 40);
    put32(bytes, 18, std::uint32_t(width));
    put32(bytes, 22, std::uint32_t(height));
    put16(bytes, 26, 1);
    put16(bytes, 28, 24);
    return bytes;
}

} // namespace

QByteArray StartupPictures::defaultPictureBytes() {
    constexpr int width = 410;
    constexpr int height = 256;
    constexpr int stride = 1232;
    QByteArray bytes = emptyBmp(width, height);
    char* pixels = bytes.data() + kHeaderSize;
    for (int row = 0; row < height; ++row) {
        char* line = pixels + row * stride;
        for (int x = 0; x < width; ++x) {
            const char grey = char(x * 255 / 419);
            line[3 * x] = line[3 * x + 1] = line[3 * x + 2] = grey;
        }
        // The two padding bytes stay zero.
    }
    return bytes;
}

QByteArray StartupPictures::grayPictureBytes() {
    QByteArray bytes = emptyBmp(80, 60);
    std::fill(bytes.begin() + kHeaderSize, bytes.end(), char(160));
    return bytes;
}

bool StartupPictures::writeDefaultPicture() const {
    const QString path = folder_.path(kDefaultName);
    const QString reason = replaceFileContents(path, defaultPictureBytes());
    if (reason.isEmpty())
        return true;
    dialogs_.error(PictureTexts::cannotWrite(QDir::toNativeSeparators(path), reason));
    return false;
}

void StartupPictures::loadDefaultPicture(WorkingPictures& pictures, bool written) const {
    QImage picture;
    if (written) {
        QString error;
        picture = BmpFiles::read(folder_.path(kDefaultName), &error);
        if (picture.isNull())
            dialogs_.error(error);
    }
    if (picture.isNull())
        picture = WorkingPictures::defaultGradient();
    pictures.tx = picture;
    pictures.rx = picture;
}

bool StartupPictures::writeGrayPicture() const {
    const QString path = folder_.path(kGrayName);
    const QString reason = replaceFileContents(path, grayPictureBytes());
    if (reason.isEmpty())
        return true;
    dialogs_.error(PictureTexts::cannotWrite(QDir::toNativeSeparators(path), reason));
    return false;
}

void StartupPictures::run(WorkingPictures& pictures) const {
    const bool written = writeDefaultPicture();
    loadDefaultPicture(pictures, written);
    writeGrayPicture();
}

} // namespace winorbis
