// SPDX-License-Identifier: GPL-3.0-or-later
#include "StartupPictures.h"

#include "PictureTexts.h"
#include "WorkingPictures.h"

#include "platform/Dialogs.h"
#include "platform/ProgramFolder.h"
#include "platform/SafeFile.h"

#include <QDir>
#include <QFile>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <numbers>

namespace winorbis {

namespace {

// Writes the file's bytes unless it holds them already: a start in a folder that has them costs
// a read instead of a safe replacement with its syncs. The reason when it cannot be written.
QString writeUnlessSame(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    if (file.size() == bytes.size() && file.open(QIODevice::ReadOnly) && file.readAll() == bytes)
        return {};
    file.close();
    return replaceFileContents(path, bytes);
}

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

QByteArray StartupPictures::confirmationSoundBytes() {
    constexpr int kHeader = 44;
    constexpr int kBeepSamples = kSoundRate / 10;
    constexpr int kRampSamples = 40; // 5 ms up and down, so that no beep starts with a click
    constexpr double kFrequency = 1000.0;
    constexpr double kAmplitude = 90.0;
    QByteArray bytes(kHeader + kSoundSamples, '\0');
    // RIFF header, the 16-byte "fmt " chunk of PCM (format 1), and the "data" chunk.
    bytes.replace(0, 4, "RIFF");
    put32(bytes, 4, std::uint32_t(bytes.size() - 8));
    bytes.replace(8, 8, "WAVEfmt ");
    put32(bytes, 16, 16);
    put16(bytes, 20, 1);          // PCM
    put16(bytes, 22, 1);          // mono
    put32(bytes, 24, kSoundRate); // samples per second
    put32(bytes, 28, kSoundRate); // bytes per second
    put16(bytes, 32, 1);          // bytes per sample frame
    put16(bytes, 34, 8);          // bits per sample
    bytes.replace(36, 4, "data");
    put32(bytes, 40, kSoundSamples);
    // 8-bit samples are unsigned, silence is 128.
    for (int i = 0; i < kSoundSamples; ++i) {
        const int inPart = i % kBeepSamples;
        const bool beeping = (i / kBeepSamples) % 2 == 0; // beep, pause, beep
        double value = 0;
        if (beeping) {
            const int edge = std::min(inPart, kBeepSamples - 1 - inPart);
            const double envelope = std::min(1.0, double(edge) / kRampSamples);
            value = kAmplitude * envelope *
                    std::sin(2 * std::numbers::pi * kFrequency * i / kSoundRate);
        }
        bytes[kHeader + i] = char(128 + int(std::lround(value)));
    }
    return bytes;
}

bool StartupPictures::writeMissingConfirmationSound() const {
    if (folder_.exists(kSoundName))
        return true;
    const QString path = folder_.path(kSoundName);
    const QString reason = replaceFileContents(path, confirmationSoundBytes());
    if (reason.isEmpty())
        return true;
    dialogs_.error(QStringLiteral("The sound file \"%1\" cannot be written: %2")
                       .arg(QDir::toNativeSeparators(path), reason));
    return false;
}

bool StartupPictures::writeDefaultPicture() const {
    const QString path = folder_.path(kDefaultName);
    const QString reason = writeUnlessSame(path, defaultPictureBytes());
    if (reason.isEmpty())
        return true;
    dialogs_.error(PictureTexts::cannotWrite(QDir::toNativeSeparators(path), reason));
    return false;
}

void StartupPictures::loadDefaultPicture(WorkingPictures& pictures) {
    const QImage picture = WorkingPictures::defaultGradient();
    pictures.tx = picture;
    pictures.rx = picture;
}

bool StartupPictures::writeGrayPicture() const {
    const QString path = folder_.path(kGrayName);
    const QString reason = writeUnlessSame(path, grayPictureBytes());
    if (reason.isEmpty())
        return true;
    dialogs_.error(PictureTexts::cannotWrite(QDir::toNativeSeparators(path), reason));
    return false;
}

void StartupPictures::run(WorkingPictures& pictures) const {
    writeDefaultPicture();
    loadDefaultPicture(pictures);
    writeGrayPicture();
}

} // namespace winorbis
