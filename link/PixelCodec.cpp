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

PairBlock encodePair(QRgb left, QRgb right) {
    const int r1 = qRed(left), g1 = qGreen(left), b1 = qBlue(left);
    const int r2 = qRed(right), g2 = qGreen(right), b2 = qBlue(right);
    const int s1 = 45 * r1 + 89 * g1 + 17 * b1;
    const int s2 = 45 * r2 + 89 * g2 + 17 * b2;
    const int y1 = ((s1 / 256) + 61) | 1;
    const int y2 = ((s2 / 256) + 61) & ~1;
    const int dr1 = (150 * r1 - s1) / 4, dr2 = (150 * r2 - s2) / 4;
    const int db1 = (150 * b1 - s1) / 4, db2 = (150 * b2 - s2) / 4;
    const int ry = std::clamp((dr1 + dr2) * 619 / 65536, -127, 127);
    const int by = std::clamp((db1 + db2) * 348 / 65536, -127, 127);
    return {std::uint8_t(y1), evenSigned(ry), std::uint8_t(y2), evenSigned(by)};
}

std::array<QRgb, 2> decodePair(const std::uint8_t* block) {
    const int y1 = block[0], y2 = block[2];
    const int ry = std::int8_t(block[1]), by = std::int8_t(block[3]);
    const int a = (y1 - 61) * 109;
    const int b = (y2 - 60) * 109;
    const int u = ry * 90;
    const int v = by * 160;
    const int g = (v * 12218 + u * 33324) / 65536;
    return {qRgb(clampByte((a + u) / 64), clampByte((a - g) / 64), clampByte((a + v) / 64)),
            qRgb(clampByte((b + u) / 64), clampByte((b - g) / 64), clampByte((b + v) / 64))};
}

QByteArray encodeLine(const std::array<QRgb, kFrameWidth>& pixels) {
    QByteArray line(kLineBytes, Qt::Uninitialized);
    for (int p = 0; p < kPairsPerLine; ++p) {
        const PairBlock block =
            encodePair(pixels[std::size_t(2 * p)], pixels[std::size_t(2 * p + 1)]);
        std::copy(block.begin(), block.end(), reinterpret_cast<std::uint8_t*>(line.data()) + 4 * p);
    }
    return line;
}

QByteArray encodeImageRow(const QImage& image, int row) {
    std::array<QRgb, kFrameWidth> pixels;
    const bool inside = row >= 0 && row < image.height();
    for (int x = 0; x < kFrameWidth; ++x)
        pixels[std::size_t(x)] =
            inside && x < image.width() ? image.pixel(x, row) : qRgb(255, 255, 255);
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
