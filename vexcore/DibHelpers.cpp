// SPDX-License-Identifier: GPL-3.0-or-later
// Helpers for device-independent bitmaps: colour-table length, palettes from colour tables, grey
// detection, and mirroring of scan lines of 24, 8, 4 and 1 bits per pixel.
#include "vexcore/vexcore.h"

#include "vexcore/Palette.h"

#include <algorithm>

#include <cstring>
#include <new>
#include <vector>

using namespace winorbis::vex;

namespace {

template <typename T> T readField(const void* header, std::size_t offset) {
    T value;
    std::memcpy(&value, static_cast<const BYTE*>(header) + offset, sizeof value);
    return value;
}

constexpr DWORD kCoreHeaderSize = 12;
constexpr DWORD kInfoHeaderSize = 40;

WORD colorsForBitCount(WORD bitCount) {
    switch (bitCount) {
    case 1:
        return 2;
    case 4:
        return 16;
    case 8:
        return 256;
    default:
        return 0;
    }
}

// The information header and its later versions (with masks, V4, V5).
bool isKnownInfoHeaderSize(DWORD size) {
    return size == 40 || size == 52 || size == 56 || size == 108 || size == 124;
}

// A copy of the source when it overlaps the destination, so that mirroring in place works.
const BYTE* separateSource(const BYTE* source, const BYTE* destination, std::size_t bytes,
                           std::vector<BYTE>& copy) {
    if (source + bytes <= destination || destination + bytes <= source)
        return source;
    try {
        copy.assign(source, source + bytes);
    } catch (const std::bad_alloc&) {
        return nullptr;
    }
    return copy.data();
}

} // namespace

WORD VEXAPI DibNumColors(const void* header) {
    if (header == nullptr)
        return 0;
    const auto size = readField<DWORD>(header, offsetof(BITMAPINFOHEADER, biSize));
    if (size == kCoreHeaderSize)
        return colorsForBitCount(readField<WORD>(header, offsetof(BITMAPCOREHEADER, bcBitCount)));
    const auto used = readField<DWORD>(header, offsetof(BITMAPINFOHEADER, biClrUsed));
    if (used != 0)
        return static_cast<WORD>(used & 0xFFFF);
    return colorsForBitCount(readField<WORD>(header, offsetof(BITMAPINFOHEADER, biBitCount)));
}

HPALETTE VEXAPI CreateBIPalette(const BITMAPINFOHEADER* header) {
    if (header == nullptr || readField<DWORD>(header, 0) != kInfoHeaderSize)
        return nullptr;
    try {
        const WORD count = DibNumColors(header);
        if (count > 0) {
            std::vector<PALETTEENTRY> entries(count);
            const BYTE* table = reinterpret_cast<const BYTE*>(header) + kInfoHeaderSize;
            for (WORD i = 0; i < count; ++i) {
                RGBQUAD quad;
                std::memcpy(&quad, table + std::size_t(i) * sizeof quad, sizeof quad);
                entries[i] = PALETTEENTRY{quad.rgbRed, quad.rgbGreen, quad.rgbBlue, 0};
            }
            return createPalette(std::move(entries));
        }
        if (readField<WORD>(header, offsetof(BITMAPINFOHEADER, biBitCount)) == 24) {
            // The 3-3-2 colour cube.
            std::vector<PALETTEENTRY> entries(256);
            for (int i = 0; i < 256; ++i) {
                entries[std::size_t(i)] = PALETTEENTRY{BYTE(32 * (i % 8)), BYTE(32 * ((i / 8) % 8)),
                                                       BYTE(64 * (i / 64)), 0};
            }
            return createPalette(std::move(entries));
        }
    } catch (const std::bad_alloc&) {
    }
    return nullptr;
}

BOOL VEXAPI IsGrayImage(const BITMAPINFOHEADER* header) {
    // Only an information header has the fields read here; a core header is shorter.
    if (header == nullptr || readField<DWORD>(header, 0) < kInfoHeaderSize)
        return 0;
    const WORD bitCount = readField<WORD>(header, offsetof(BITMAPINFOHEADER, biBitCount));
    const WORD full = colorsForBitCount(bitCount);
    if (full == 0)
        return 0; // 24 bits and every other count without a colour table of 2^n entries
    // Never beyond the table the header declares.
    const WORD count = std::min(full, DibNumColors(header));
    if (count == 0)
        return 0;
    const DWORD headerSize = readField<DWORD>(header, 0);
    if (!isKnownInfoHeaderSize(headerSize))
        return 0;
    const BYTE* table = reinterpret_cast<const BYTE*>(header) + headerSize;
    for (WORD i = 0; i < count; ++i) {
        RGBQUAD quad;
        std::memcpy(&quad, table + std::size_t(i) * sizeof quad, sizeof quad);
        if (quad.rgbBlue != quad.rgbGreen || quad.rgbGreen != quad.rgbRed)
            return 0;
    }
    return 1;
}

void VEXAPI InvertLine0(const BYTE* source, BYTE* destination, int pixelCount) {
    if (source == nullptr || destination == nullptr || pixelCount <= 0)
        return;
    const std::size_t count = std::size_t(pixelCount);
    std::vector<BYTE> copy;
    source = separateSource(source, destination, count * 3, copy);
    if (source == nullptr)
        return;
    for (std::size_t k = 0; k < count; ++k)
        std::memcpy(destination + 3 * k, source + 3 * (count - 1 - k), 3);
}

void VEXAPI InvertLine8(const BYTE* source, BYTE* destination, int pixelCount) {
    if (source == nullptr || destination == nullptr || pixelCount <= 0)
        return;
    const std::size_t count = std::size_t(pixelCount);
    std::vector<BYTE> copy;
    source = separateSource(source, destination, count, copy);
    if (source == nullptr)
        return;
    for (std::size_t i = 0; i < count; ++i)
        destination[i] = source[count - 1 - i];
}

void VEXAPI InvertLine4(const BYTE* source, BYTE* destination, int pixelCount) {
    if (source == nullptr || destination == nullptr || pixelCount <= 0)
        return;
    const std::size_t count = std::size_t(pixelCount);
    std::vector<BYTE> copy;
    source = separateSource(source, destination, (count + 1) / 2, copy);
    if (source == nullptr)
        return;
    for (std::size_t i = 0; i < count; ++i) {
        const std::size_t j = count - 1 - i;
        const BYTE pixel = (j % 2 == 0 ? source[j / 2] >> 4 : source[j / 2]) & 0x0F;
        destination[i / 2] |= static_cast<BYTE>(i % 2 == 0 ? pixel << 4 : pixel);
    }
}

void VEXAPI InvertLine1(const BYTE* source, BYTE* destination, int pixelCount) {
    if (source == nullptr || destination == nullptr || pixelCount <= 0)
        return;
    const std::size_t count = std::size_t(pixelCount);
    std::vector<BYTE> copy;
    source = separateSource(source, destination, (count + 7) / 8, copy);
    if (source == nullptr)
        return;
    for (std::size_t i = 0; i < count; ++i) {
        const std::size_t j = count - 1 - i;
        if (source[j / 8] & (0x80 >> (j % 8)))
            destination[i / 8] |= static_cast<BYTE>(0x80 >> (i % 8));
    }
}

int VEXAPI VexelSystemPalette(void) {
    // Displays here are true colour; none has a system palette.
    return 0;
}
