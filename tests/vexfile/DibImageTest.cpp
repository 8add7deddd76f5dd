// SPDX-License-Identifier: GPL-3.0-or-later
// Packed DIBs of every supported form decoded to pictures, and the checks that refuse others.
#include "platform/vexfile/DibImage.h"

#include <QImage>

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

using namespace winorbis::vexfile;

namespace {

// A packed DIB put together by hand: header, optional masks or table, then rows as given.
std::vector<BYTE> dib(LONG width, LONG height, WORD bits, DWORD compression,
                      const std::vector<DWORD>& masksOrTable, const std::vector<BYTE>& rows,
                      DWORD colorsUsed = 0) {
    BITMAPINFOHEADER header{40, width, height, 1, bits, compression, 0, 0, 0, colorsUsed, 0};
    std::vector<BYTE> bytes(sizeof header);
    std::memcpy(bytes.data(), &header, sizeof header);
    for (DWORD value : masksOrTable) {
        const auto* p = reinterpret_cast<const BYTE*>(&value);
        bytes.insert(bytes.end(), p, p + 4);
    }
    bytes.insert(bytes.end(), rows.begin(), rows.end());
    return bytes;
}

QImage decode(const std::vector<BYTE>& bytes, QString* error = nullptr) {
    return dibToImage(bytes.data(), bytes.size(), error);
}

} // namespace

TEST(DibToImage, PalettedLinesOfOneFourAndEightBits) {
    // 1 bit, 3 x 2, bottom-up: stored row 0 is the picture's last row.
    const std::vector<BYTE> mono =
        dib(3, 2, 1, BI_RGB, {0x000000FF, 0x0000FF00}, {0xA0, 0, 0, 0, 0x40, 0, 0, 0});
    const QImage one = decode(mono);
    ASSERT_FALSE(one.isNull());
    EXPECT_EQ(one.pixel(0, 1), qRgb(0, 255, 0)); // bit 1 of stored row 0
    EXPECT_EQ(one.pixel(1, 1), qRgb(0, 0, 255));
    EXPECT_EQ(one.pixel(2, 1), qRgb(0, 255, 0));
    EXPECT_EQ(one.pixel(1, 0), qRgb(0, 255, 0));

    // 4 bits with a table of 2 colours: index 5 lies beyond it and shows black.
    const std::vector<BYTE> four =
        dib(3, 1, 4, BI_RGB, {0x00FFFFFF, 0x00FF0000}, {0x10, 0x50, 0, 0}, 2);
    const QImage image4 = decode(four);
    ASSERT_FALSE(image4.isNull());
    EXPECT_EQ(image4.pixel(0, 0), qRgb(255, 0, 0));
    EXPECT_EQ(image4.pixel(1, 0), qRgb(255, 255, 255));
    EXPECT_EQ(image4.pixel(2, 0), qRgb(0, 0, 0));

    std::vector<DWORD> greys(256);
    for (DWORD i = 0; i < 256; ++i)
        greys[i] = i * 0x010101;
    const QImage image8 = decode(dib(2, 1, 8, BI_RGB, greys, {7, 200, 0, 0}));
    EXPECT_EQ(image8.pixel(1, 0), qRgb(200, 200, 200));
}

TEST(DibToImage, DirectColourForms) {
    // 16 bits 5-5-5 without masks, and 5-6-5 with masks.
    const QImage rgb555 = decode(dib(1, 1, 16, BI_RGB, {}, {0x00, 0x7C, 0, 0}));
    EXPECT_EQ(rgb555.pixel(0, 0), qRgb(255, 0, 0));
    const QImage rgb565 =
        decode(dib(1, 1, 16, BI_BITFIELDS, {0xF800, 0x07E0, 0x001F}, {0xE0, 0x07, 0, 0}));
    EXPECT_EQ(rgb565.pixel(0, 0), qRgb(0, 255, 0));
    const QImage rgb24 = decode(dib(1, 1, 24, BI_RGB, {}, {1, 2, 3, 0}));
    EXPECT_EQ(rgb24.pixel(0, 0), qRgb(3, 2, 1));
    const QImage rgb32 = decode(dib(1, 1, 32, BI_RGB, {}, {1, 2, 3, 99}));
    EXPECT_EQ(rgb32.pixel(0, 0), qRgb(3, 2, 1));
    const QImage masked32 =
        decode(dib(1, 1, 32, BI_BITFIELDS, {0x000000FF, 0x0000FF00, 0x00FF0000}, {1, 2, 3, 0}));
    EXPECT_EQ(masked32.pixel(0, 0), qRgb(1, 2, 3));
}

TEST(DibToImage, TopDownRows) {
    const QImage image = decode(dib(1, -2, 24, BI_RGB, {}, {0, 0, 255, 0, 255, 0, 0, 0}));
    EXPECT_EQ(image.pixel(0, 0), qRgb(255, 0, 0));
    EXPECT_EQ(image.pixel(0, 1), qRgb(0, 0, 255));
}

TEST(DibToImage, RefusesWhatItCannotReadSafely) {
    QString error;
    EXPECT_TRUE(decode({}, &error).isNull());
    EXPECT_FALSE(error.isEmpty());
    const std::vector<BYTE> rows(16, 0);
    EXPECT_TRUE(decode(dib(0, 1, 24, BI_RGB, {}, rows)).isNull());
    EXPECT_TRUE(decode(dib(1, 0, 24, BI_RGB, {}, rows)).isNull());
    EXPECT_TRUE(decode(dib(1, 1, 2, BI_RGB, {}, rows)).isNull());
    EXPECT_TRUE(decode(dib(1, 1, 8, 1 /* RLE8 */, {}, rows)).isNull());
    EXPECT_TRUE(decode(dib(1, 1, 24, BI_BITFIELDS, {}, rows)).isNull());
    EXPECT_TRUE(decode(dib(4, 4, 24, BI_RGB, {}, rows), &error).isNull()); // rows missing
    EXPECT_TRUE(error.contains("do not fit"));
    EXPECT_TRUE(decode(dib(1, 1, 8, BI_RGB, {}, rows, 0xFFFFFFFF)).isNull()); // huge table
    std::vector<BYTE> strange = dib(1, 1, 24, BI_RGB, {}, rows);
    strange[0] = 64; // no header of that size
    EXPECT_TRUE(decode(strange).isNull());
    EXPECT_TRUE(decode(dib(1, LONG(0x80000000), 24, BI_RGB, {}, rows)).isNull());
}

TEST(ImageToDib, RowsArePaddedAndBottomUp) {
    QImage image(3, 2, QImage::Format_RGB32);
    image.fill(qRgb(10, 20, 30));
    image.setPixel(0, 0, qRgb(1, 2, 3));
    QString error;
    const HGLOBAL block = imageToDib(image, &error);
    ASSERT_NE(block, nullptr);
    EXPECT_EQ(VexelMemSize(block), 40u + 12u * 2u);
    const auto* bytes = static_cast<const BYTE*>(VexGlobalLock(block));
    const BYTE* topRow = bytes + 40 + 12; // stored second
    EXPECT_EQ(topRow[0], 3);
    EXPECT_EQ(topRow[1], 2);
    EXPECT_EQ(topRow[2], 1);
    EXPECT_EQ(topRow[9], 0); // padding
    VexGlobalUnlock(block);
    EXPECT_EQ(imageOfBlock(block, &error), image);
    VexelMemFree(block);
    EXPECT_EQ(imageToDib(QImage(), &error), nullptr);
    EXPECT_TRUE(imageOfBlock(nullptr, &error).isNull());
}
