// SPDX-License-Identifier: GPL-3.0-or-later
#include "link/PixelCodec.h"

#include <QImage>

#include <vector>

#include <gtest/gtest.h>

using namespace winorbis;
namespace pc = winorbis::pixelcodec;

namespace {

pc::PairBlock block(int y1, int ry, int y2, int by) {
    return {std::uint8_t(y1), std::uint8_t(std::int8_t(ry)), std::uint8_t(y2),
            std::uint8_t(std::int8_t(by))};
}

} // namespace

TEST(PixelCodec, EncodesAndDecodesTheConvertersReferencePairs) {
    struct Case {
        QRgb pixel;
        pc::PairBlock encoded;
        QRgb decoded;
    };
    const Case cases[] = {
        {qRgb(255, 255, 255), block(211, -2, 210, 0), qRgb(252, 255, 255)},
        {qRgb(0, 0, 0), block(61, 0, 60, 0), qRgb(0, 0, 0)},
        {qRgb(255, 0, 0), block(105, 126, 104, -30), qRgb(252, 0, 0)},
        {qRgb(128, 128, 128), block(137, 0, 136, 0), qRgb(129, 129, 129)},
    };
    for (const Case& c : cases) {
        const pc::PairBlock encoded = pc::encodePair(c.pixel, c.pixel);
        EXPECT_EQ(encoded, c.encoded) << std::hex << c.pixel;
        const auto pair = pc::decodePair(encoded.data());
        EXPECT_EQ(pair[0], c.decoded) << std::hex << c.pixel;
        EXPECT_EQ(pair[1], c.decoded) << std::hex << c.pixel;
    }
}

TEST(PixelCodec, LimitsTheColourDifferencesAndKeepsThemEven) {
    // Cyan drives RY below -127: it is limited to -127, which goes out as -128.
    const pc::PairBlock cyan = pc::encodePair(qRgb(0, 255, 255), qRgb(0, 255, 255));
    EXPECT_EQ(std::int8_t(cyan[1]), -128);
    // Odd differences lose their lowest bit; Y1 is always odd, Y2 always even.
    const pc::PairBlock blue = pc::encodePair(qRgb(0, 0, 255), qRgb(0, 0, 254));
    EXPECT_EQ(std::int8_t(blue[3]), 88); // 89 before its lowest bit is cleared
    EXPECT_EQ(blue[0] & 1, 1);
    EXPECT_EQ(blue[2] & 1, 0);
    const pc::PairBlock mixed = pc::encodePair(qRgb(10, 200, 30), qRgb(250, 20, 90));
    EXPECT_EQ(mixed[1] & 1, 0);
    EXPECT_EQ(mixed[3] & 1, 0);
}

TEST(PixelCodec, TheHeaderLineIsAGreyStaircaseOfEightSteps) {
    const QByteArray& header = pc::headerLine();
    ASSERT_EQ(header.size(), pc::kLineBytes);
    const auto pixels = pc::decodeLine(reinterpret_cast<const std::uint8_t*>(header.constData()));
    const int greys[] = {0, 37, 71, 105, 139, 180, 214, 252};
    const int firstPair[] = {0, 26, 52, 78, 104, 130, 156, 182};
    for (int step = 0; step < 8; ++step) {
        const QRgb p = pixels[std::size_t(firstPair[step] * 2)];
        EXPECT_EQ(qRed(p), greys[step]) << step;
        EXPECT_EQ(qGreen(p), greys[step]) << step;
        EXPECT_EQ(qBlue(p), greys[step]) << step;
    }
    EXPECT_EQ(quint8(header[209 * 4]), 209);
    EXPECT_EQ(quint8(header[209 * 4 + 2]), 208);
}

TEST(PixelCodec, ColumnsOutsideTheImageAreWhite) {
    QImage black(410, 256, QImage::Format_RGB32);
    black.fill(Qt::black);
    const QByteArray line = pc::encodeImageRow(black, 1);
    ASSERT_EQ(line.size(), pc::kLineBytes);
    EXPECT_EQ(line.mid(0, 4), QByteArray("\x3D\x00\x3C\x00", 4));       // black pair 0
    EXPECT_EQ(line.mid(204 * 4, 4), QByteArray("\x3D\x00\x3C\x00", 4)); // columns 408, 409
    EXPECT_EQ(line.mid(205 * 4, 4), QByteArray("\xD3\xFE\xD2\x00", 4)); // columns 410, 411
    EXPECT_EQ(line.mid(209 * 4, 4), QByteArray("\xD3\xFE\xD2\x00", 4));
}

TEST(PixelCodec, ADecodedRangeBeyondTheLineStopsAtItsEnd) {
    std::array<QRgb, pc::kFrameWidth> pixels;
    pixels.fill(qRgb(200, 200, 200));
    const QByteArray line = pc::encodeLine(pixels);
    const auto* bytes = reinterpret_cast<const std::uint8_t*>(line.constData());
    std::vector<std::uint8_t> out(3 * pc::kFrameWidth + 3, 0xAB);
    // A count far past the line, even one whose sum with the start would overflow.
    pc::decodeLineRgb888(bytes, 410, 2147483647, out.data());
    EXPECT_NE(out[0], 0xAB);
    EXPECT_EQ(out[3 * 10], 0xAB) << "only ten pixels remain after 410";
    std::fill(out.begin(), out.end(), 0xAB);
    pc::decodeLineRgb888(bytes, 2147483600, 100, out.data());
    EXPECT_EQ(out[0], 0xAB) << "a start past the line decodes nothing";
}
