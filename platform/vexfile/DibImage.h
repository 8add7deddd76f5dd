// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "vexcore/vexcore.h"

#include <QImage>
#include <QString>

#include <optional>

namespace winorbis::vexfile {

// A packed DIB checked against the size of the memory that holds it.
struct DibLayout {
    BITMAPINFOHEADER header{};
    int width = 0;
    int height = 0;          // rows, whatever the direction
    bool topDown = false;    // negative height in the header
    std::size_t masks = 0;   // bytes of colour masks after a 40-byte header (BI_BITFIELDS)
    std::size_t colours = 0; // colour-table entries
    std::size_t stride = 0;  // bytes per row
    std::size_t pixelOffset = 0;
    std::size_t totalSize = 0; // header, table and rows
};

// The layout of the DIB in bytes[0, size), or the reason why it is none.
std::optional<DibLayout> dibLayout(const BYTE* bytes, std::size_t size, QString* error);

// The picture of a packed DIB (1, 4, 8, 16, 24 or 32 bits per pixel, uncompressed or with
// colour masks); a null image and the reason otherwise.
QImage dibToImage(const BYTE* bytes, std::size_t size, QString* error);

// The packed DIB of a picture: 8 bits with a palette for paletted and grey pictures, 24 bits for
// all others. A block of vexcore's global memory, or null (then error says why).
HGLOBAL imageToDib(const QImage& image, QString* error);

// The picture held in a vexcore memory block.
QImage imageOfBlock(HGLOBAL block, QString* error);

} // namespace winorbis::vexfile
