// SPDX-License-Identifier: GPL-3.0-or-later
#include "PixelCodec.h"

#include <QImage>

#include <algorithm>

namespace winorbis::pixelcodec {

namespace {

int clampByte(int v) {
    return std::clamp(v, 0, 255);
}

// Two's complement byte with its lowest bit cleared.
std::uint8_t evenSigned(int v) {
    return std::uint8_t(std::uint8_t(std::int8_t(v)) & 0xFE);
}

} // namespace

namespace {

// Encodes two pixels given by their components into a block at out.
inline void encodeComponents(int r1, int g1, int b1, int r2, int g2, int b2, std::uint8_t* out) {
    const int s1 = 45 * r1 + 89 * g1 + 17 * b1; // never negative: the shifts divide exactly
    const int s2 = 45 * r2 + 89 * g2 + 17 * b2;
    const int dr1 = (150 * r1 - s1) / 4, dr2 = (150 * r2 - s2) / 4;
    const int db1 = (150 * b1 - s1) / 4, db2 = (150 * b2 - s2) / 4;
    const int ry = std::clamp((dr1 + dr2) * 619 / 65536, -127, 127);
    const int by = std::clamp((db1 + db2) * 348 / 65536, -127, 127);
    out[0] = std::uint8_t(((s1 >> 8) + 61) | 1);
    out[1] = evenSigned(ry);
    out[2] = std::uint8_t(((s2 >> 8) + 61) & ~1);
    out[3] = evenSigned(by);
}

} // namespace

PairBlock encodePair(QRgb left, QRgb right) {
    PairBlock block;
    encodeComponents(qRed(left), qGreen(left), qBlue(left), qRed(right), qGreen(right),
                     qBlue(right), block.data());
    return block;
}

namespace {

// Decodes a block into the components of its two pixels: left r, g, b, then right r, g, b.
inline void decodeComponents(const std::uint8_t* block, int out[6]) {
    const int a = (int(block[0]) - 61) * 109;
    const int b = (int(block[2]) - 60) * 109;
    const int u = int(std::int8_t(block[1])) * 90;
    const int v = int(std::int8_t(block[3])) * 160;
    const int g = (v * 12218 + u * 33324) / 65536;
    out[0] = clampByte((a + u) / 64);
    out[1] = clampByte((a - g) / 64);
    out[2] = clampByte((a + v) / 64);
    out[3] = clampByte((b + u) / 64);
    out[4] = clampByte((b - g) / 64);
    out[5] = clampByte((b + v) / 64);
}

} // namespace

std::array<QRgb, 2> decodePair(const std::uint8_t* block) {
    int c[6];
    decodeComponents(block, c);
    return {qRgb(c[0], c[1], c[2]), qRgb(c[3], c[4], c[5])};
}

void decodeLineRgb888(const std::uint8_t* line, int first, int count, std::uint8_t* out) {
    first = std::clamp(first, 0, kFrameWidth);
    // Counted against what is left of the line, so that no sum can overflow.
    const int end = first + std::clamp(count, 0, kFrameWidth - first);
    int c[6];
    for (int x = first & ~1; x < end; x += 2) {
        decodeComponents(line + 2 * x, c);
        for (int half = 0; half < 2; ++half) {
            const int pixel = x + half;
            if (pixel < first || pixel >= end)
                continue;
            std::uint8_t* target = out + 3 * (pixel - first);
            target[0] = std::uint8_t(c[3 * half]);
            target[1] = std::uint8_t(c[3 * half + 1]);
            target[2] = std::uint8_t(c[3 * half + 2]);
        }
    }
}

QByteArray encodeLine(const std::array<QRgb, kFrameWidth>& pixels) {
    QByteArray line(kLineBytes, Qt::Uninitialized);
    auto* out = reinterpret_cast<std::uint8_t*>(line.data());
    for (int p = 0; p < kPairsPerLine; ++p) {
        const PairBlock block =
            encodePair(pixels[std::size_t(2 * p)], pixels[std::size_t(2 * p + 1)]);
        std::copy(block.begin(), block.end(), out + 4 * p);
    }
    return line;
}

QByteArray encodeImageRow(const QImage& image, int row) {
    const bool inside = row >= 0 && row < image.height();
    if (inside && image.format() == QImage::Format_RGB888 && image.width() >= kFrameWidth) {
        // The common case of a full-width picture: straight from the picture's bytes.
        QByteArray line(kLineBytes, Qt::Uninitialized);
        auto* out = reinterpret_cast<std::uint8_t*>(line.data());
        const uchar* in = image.constScanLine(row);
        for (int p = 0; p < kPairsPerLine; ++p, in += 6, out += 4)
            encodeComponents(in[0], in[1], in[2], in[3], in[4], in[5], out);
        return line;
    }
    std::array<QRgb, kFrameWidth> pixels;
    pixels.fill(qRgb(255, 255, 255)); // columns beyond the picture count as white
    if (inside) {
        const int width = std::min(image.width(), kFrameWidth);
        const uchar* line = image.constScanLine(row);
        switch (image.format()) {
        case QImage::Format_RGB888:
            for (int x = 0; x < width; ++x)
                pixels[std::size_t(x)] = qRgb(line[3 * x], line[3 * x + 1], line[3 * x + 2]);
            break;
        case QImage::Format_RGB32:
        case QImage::Format_ARGB32:
            std::copy_n(reinterpret_cast<const QRgb*>(line), width, pixels.begin());
            break;
        default:
            for (int x = 0; x < width; ++x)
                pixels[std::size_t(x)] = image.pixel(x, row);
            break;
        }
    }
    return encodeLine(pixels);
}

std::array<QRgb, kFrameWidth> decodeLine(const std::uint8_t* line) {
    std::array<QRgb, kFrameWidth> pixels;
    for (int p = 0; p < kPairsPerLine; ++p) {
        const auto pair = decodePair(line + 4 * p);
        pixels[std::size_t(2 * p)] = pair[0];
        pixels[std::size_t(2 * p + 1)] = pair[1];
    }
    return pixels;
}

const QByteArray& headerLine() {
    static const QByteArray line = [] {
        // Pairs per step and the step's luminance pair (Y1, Y2).
        struct Step {
            int pairs, y1, y2;
        };
        const Step steps[] = {{26, 61, 60},   {26, 83, 82},   {26, 103, 102}, {26, 123, 122},
                              {26, 143, 142}, {26, 167, 166}, {26, 187, 186}, {28, 209, 208}};
        QByteArray bytes;
        for (const Step& step : steps) {
            for (int i = 0; i < step.pairs; ++i)
                bytes.append(char(step.y1)).append('\0').append(char(step.y2)).append('\0');
        }
        return bytes;
    }();
    return line;
}

} // namespace winorbis::pixelcodec
