// SPDX-License-Identifier: GPL-3.0-or-later
// Colour tables, palettes, grey detection, line mirroring and DrawBitmap.
#include "vexcore/vexcore.h"

#include <QImage>
#include <QPainter>

#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <vector>

namespace {

// A 40-byte information header followed by exactly `entries` colour-table entries, in a block
// of its own so that reading past the table is caught by the address sanitizer.
struct Dib {
    std::unique_ptr<BYTE[]> bytes;
    BITMAPINFOHEADER* header() { return reinterpret_cast<BITMAPINFOHEADER*>(bytes.get()); }
    RGBQUAD* table() { return reinterpret_cast<RGBQUAD*>(bytes.get() + sizeof(BITMAPINFOHEADER)); }
};

Dib makeDib(WORD bitCount, DWORD colorsUsed, std::size_t entries) {
    Dib dib{std::make_unique<BYTE[]>(sizeof(BITMAPINFOHEADER) + entries * sizeof(RGBQUAD))};
    BITMAPINFOHEADER header{};
    header.biSize = 40;
    header.biWidth = 4;
    header.biHeight = 4;
    header.biPlanes = 1;
    header.biBitCount = bitCount;
    header.biClrUsed = colorsUsed;
    std::memcpy(dib.bytes.get(), &header, sizeof header);
    for (std::size_t i = 0; i < entries; ++i) {
        const BYTE v = BYTE(i);
        dib.table()[i] = RGBQUAD{v, v, v, 0};
    }
    return dib;
}

std::vector<PALETTEENTRY> entriesOf(HPALETTE palette) {
    std::vector<PALETTEENTRY> entries(VexGetPaletteEntries(palette, 0, 0, nullptr));
    EXPECT_EQ(VexGetPaletteEntries(palette, 0, UINT(entries.size()), entries.data()),
              entries.size());
    return entries;
}

} // namespace

TEST(DibNumColors, FromBitCountOrColoursUsed) {
    struct Case {
        WORD bitCount;
        DWORD used;
        WORD expected;
    };
    for (const Case& c :
         {Case{1, 0, 2}, Case{4, 0, 16}, Case{8, 0, 256}, Case{8, 100, 100}, Case{24, 0, 0},
          Case{16, 0, 0}, Case{32, 0, 0}, Case{24, 7, 7}, Case{8, 0x10005, 5}}) {
        Dib dib = makeDib(c.bitCount, c.used, 0);
        EXPECT_EQ(DibNumColors(dib.header()), c.expected) << c.bitCount << " " << c.used;
    }
    for (const WORD bits : {1, 4, 8, 24}) {
        const BITMAPCOREHEADER core{12, 4, 4, 1, bits};
        EXPECT_EQ(DibNumColors(&core), bits == 1 ? 2 : bits == 4 ? 16 : bits == 8 ? 256 : 0);
    }
    EXPECT_EQ(DibNumColors(nullptr), 0);
}

TEST(CreateBIPalette, ColourCubeFor24Bits) {
    Dib dib = makeDib(24, 0, 0);
    const HPALETTE palette = CreateBIPalette(dib.header());
    ASSERT_NE(palette, nullptr);
    const std::vector<PALETTEENTRY> entries = entriesOf(palette);
    ASSERT_EQ(entries.size(), 256u);
    EXPECT_EQ(entries[9].peRed, 32);
    EXPECT_EQ(entries[9].peGreen, 32);
    EXPECT_EQ(entries[9].peBlue, 0);
    EXPECT_EQ(entries[255].peRed, 224);
    EXPECT_EQ(entries[255].peGreen, 224);
    EXPECT_EQ(entries[255].peBlue, 192);
    EXPECT_EQ(entries[0].peRed + entries[0].peGreen + entries[0].peBlue, 0);
    for (const PALETTEENTRY& e : entries)
        EXPECT_EQ(e.peFlags, 0);
    EXPECT_TRUE(VexDeleteObject(palette));
    EXPECT_FALSE(VexDeleteObject(palette));
    EXPECT_EQ(VexGetPaletteEntries(palette, 0, 0, nullptr), 0u);
}

TEST(CreateBIPalette, FromTheColourTable) {
    Dib dib = makeDib(8, 3, 3);
    dib.table()[1] = RGBQUAD{10, 20, 30, 99}; // blue, green, red, reserved
    const HPALETTE palette = CreateBIPalette(dib.header());
    const std::vector<PALETTEENTRY> entries = entriesOf(palette);
    ASSERT_EQ(entries.size(), 3u);
    EXPECT_EQ(entries[1].peRed, 30);
    EXPECT_EQ(entries[1].peGreen, 20);
    EXPECT_EQ(entries[1].peBlue, 10);
    EXPECT_EQ(entries[1].peFlags, 0);
    PALETTEENTRY part[2] = {};
    EXPECT_EQ(VexGetPaletteEntries(palette, 2, 5, part), 1u);
    EXPECT_EQ(part[0].peRed, 2);
    EXPECT_EQ(VexGetPaletteEntries(palette, 3, 1, part), 0u);
    VexDeleteObject(palette);

    Dib four = makeDib(4, 0, 16);
    const HPALETTE sixteen = CreateBIPalette(four.header());
    EXPECT_EQ(VexGetPaletteEntries(sixteen, 0, 0, nullptr), 16u);
    VexDeleteObject(sixteen);
}

TEST(CreateBIPalette, NoPaletteWithoutATable) {
    EXPECT_EQ(CreateBIPalette(nullptr), nullptr);
    Dib sixteen = makeDib(16, 0, 0);
    EXPECT_EQ(CreateBIPalette(sixteen.header()), nullptr);
    const BITMAPCOREHEADER core[4] = {{12, 4, 4, 1, 8}};
    EXPECT_EQ(CreateBIPalette(reinterpret_cast<const BITMAPINFOHEADER*>(core)), nullptr);
}

TEST(IsGrayImage, EqualComponentsInEveryEntry) {
    Dib grey = makeDib(8, 0, 256);
    EXPECT_TRUE(IsGrayImage(grey.header()));
    grey.table()[200].rgbRed ^= 1;
    EXPECT_FALSE(IsGrayImage(grey.header()));

    Dib mono = makeDib(1, 0, 2);
    EXPECT_TRUE(IsGrayImage(mono.header()));
    // A table shorter than 2^n entries is read no further than its end.
    Dib shortTable = makeDib(8, 3, 3);
    EXPECT_TRUE(IsGrayImage(shortTable.header()));
    shortTable.table()[2].rgbGreen = 7;
    EXPECT_FALSE(IsGrayImage(shortTable.header()));
}

TEST(IsGrayImage, ZeroWithoutAColourTable) {
    for (const WORD bits : {24, 16, 32, 2, 0}) {
        Dib dib = makeDib(bits, 0, 0);
        EXPECT_FALSE(IsGrayImage(dib.header())) << bits;
    }
    EXPECT_FALSE(IsGrayImage(nullptr));
    const BITMAPCOREHEADER core[4] = {{12, 4, 4, 1, 1}};
    EXPECT_FALSE(IsGrayImage(reinterpret_cast<const BITMAPINFOHEADER*>(core)));
}

TEST(InvertLine, TwentyFourBitsKeepEachPixelsByteOrder) {
    const BYTE source[] = {1, 2, 3, 4, 5, 6, 7, 8, 9};
    BYTE destination[10] = {};
    destination[9] = 0xEE;
    InvertLine0(source, destination, 3);
    const BYTE expected[] = {7, 8, 9, 4, 5, 6, 1, 2, 3, 0xEE};
    EXPECT_EQ(0, std::memcmp(destination, expected, sizeof expected));

    BYTE inPlace[] = {1, 2, 3, 4, 5, 6, 7, 8, 9};
    InvertLine0(inPlace, inPlace, 3);
    EXPECT_EQ(0, std::memcmp(inPlace, expected, 9));
}

TEST(InvertLine, EightBits) {
    const BYTE source[] = {10, 20, 30, 40, 50};
    BYTE destination[6] = {0, 0, 0, 0, 0, 0xEE};
    InvertLine8(source, destination, 5);
    const BYTE expected[] = {50, 40, 30, 20, 10, 0xEE};
    EXPECT_EQ(0, std::memcmp(destination, expected, sizeof expected));
    BYTE inPlace[] = {10, 20, 30, 40, 50};
    InvertLine8(inPlace, inPlace, 5);
    EXPECT_EQ(0, std::memcmp(inPlace, expected, 5));
}

TEST(InvertLine, FourBitsOnAnOddCount) {
    // pixels 1 2 3 4 5 (high nibble first) become 5 4 3 2 1
    const BYTE source[] = {0x12, 0x34, 0x5F}; // the low nibble of the last byte is no pixel
    BYTE destination[4] = {0, 0, 0, 0xEE};
    InvertLine4(source, destination, 5);
    const BYTE expected[] = {0x54, 0x32, 0x10, 0xEE};
    EXPECT_EQ(0, std::memcmp(destination, expected, sizeof expected));

    BYTE one[1] = {};
    const BYTE pixel[] = {0xA0};
    InvertLine4(pixel, one, 1);
    EXPECT_EQ(one[0], 0xA0);
}

TEST(InvertLine, OneBitOnAnOddCount) {
    // 11 pixels: 1 0 1 1 0 0 0 0  1 1 1 -> 1 1 1 0 0 0 0 1  1 0 1
    const BYTE source[] = {0xB0, 0xE0};
    BYTE destination[3] = {0, 0, 0xEE};
    InvertLine1(source, destination, 11);
    EXPECT_EQ(destination[0], 0xE1);
    EXPECT_EQ(destination[1], 0xA0);
    EXPECT_EQ(destination[2], 0xEE);
}

TEST(InvertLine, NothingForNoPixelsOrNoLine) {
    BYTE destination[2] = {0x55, 0x55};
    const BYTE source[2] = {1, 2};
    InvertLine0(source, destination, 0);
    InvertLine8(source, destination, -3);
    InvertLine4(nullptr, destination, 2);
    InvertLine1(source, nullptr, 2);
    EXPECT_EQ(destination[0], 0x55);
    EXPECT_EQ(destination[1], 0x55);
}

TEST(VexelSystemPalette, NoDisplayHasAPalette) {
    EXPECT_EQ(VexelSystemPalette(), 0);
}

TEST(DrawBitmap, CopiesTheBitmapAtSigned16BitCoordinates) {
    const COLORREF pixels[] = {0x0000FF, 0x00FF00, 0xFF0000, 0x000000};
    const HBITMAP bitmap = VexCreateBitmap(2, 2, pixels);
    ASSERT_NE(bitmap, nullptr);
    const HDC dc = VexCreateImageDC(8, 8);
    ASSERT_NE(dc, nullptr);

    DrawBitmap(dc, bitmap, 3, 0x10004); // y counts as 4
    EXPECT_EQ(VexGetPixel(dc, 3, 4), 0x0000FFu);
    EXPECT_EQ(VexGetPixel(dc, 4, 4), 0x00FF00u);
    EXPECT_EQ(VexGetPixel(dc, 3, 5), 0xFF0000u);
    EXPECT_EQ(VexGetPixel(dc, 4, 5), 0x000000u);
    EXPECT_EQ(VexGetPixel(dc, 5, 4), 0xFFFFFFu);
    EXPECT_EQ(VexGetPixel(dc, 2, 4), 0xFFFFFFu);

    DrawBitmap(dc, bitmap, 0xFFFF, 0); // x counts as -1
    EXPECT_EQ(VexGetPixel(dc, 0, 0), 0x00FF00u);
    EXPECT_EQ(VexGetPixel(dc, 0, 1), 0x000000u);
    EXPECT_EQ(VexGetPixel(dc, 1, 0), 0xFFFFFFu);

    DrawBitmap(dc, nullptr, 6, 6);
    DrawBitmap(nullptr, bitmap, 6, 6);
    EXPECT_EQ(VexGetPixel(dc, 6, 6), 0xFFFFFFu);
    EXPECT_EQ(VexGetPixel(dc, 8, 0), CLR_INVALID);

    EXPECT_TRUE(VexDeleteObject(bitmap));
    DrawBitmap(dc, bitmap, 6, 6); // a deleted bitmap draws nothing
    EXPECT_EQ(VexGetPixel(dc, 6, 6), 0xFFFFFFu);
    EXPECT_TRUE(VexDeleteDC(dc));
    EXPECT_FALSE(VexDeleteDC(dc));
}

TEST(DrawBitmap, SizeIsKeptInDevicePixelsUnderTheMappingMode) {
    QImage target(16, 16, QImage::Format_RGB32);
    target.fill(Qt::white);
    QImage source(2, 2, QImage::Format_RGB32);
    source.fill(Qt::red);
    const HBITMAP bitmap = VexBitmapFromQImage(&source);
    {
        QPainter painter(&target);
        painter.scale(2, 2); // one logical unit is two device pixels
        const HDC dc = VexCreatePainterDC(&painter);
        ASSERT_NE(dc, nullptr);
        DrawBitmap(dc, bitmap, 3, 3);
        VexDeleteDC(dc);
    }
    EXPECT_EQ(target.pixel(6, 6), qRgb(255, 0, 0));
    EXPECT_EQ(target.pixel(7, 7), qRgb(255, 0, 0));
    EXPECT_EQ(target.pixel(8, 8), qRgb(255, 255, 255)); // 2 x 2 device pixels, not 4 x 4
    EXPECT_EQ(target.pixel(5, 5), qRgb(255, 255, 255));
    VexDeleteObject(bitmap);
}
