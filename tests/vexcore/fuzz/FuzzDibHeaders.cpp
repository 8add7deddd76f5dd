// SPDX-License-Identifier: GPL-3.0-or-later
// Fuzz target for the DIB header helpers: random headers and colour tables in blocks of exactly
// the size the header declares, so reading past the declared table is caught.
#include "vexcore/Palette.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <cstring>

namespace {

template <typename T> T field(const std::uint8_t* data, std::size_t offset) {
    T value;
    std::memcpy(&value, data + offset, sizeof value);
    return value;
}

std::size_t tableEntries(WORD bitCount) {
    return bitCount == 1 ? 2 : bitCount == 4 ? 16 : bitCount == 8 ? 256 : 0;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 40)
        return 0;
    // The block: the input, at least 40 bytes for the fields every helper may read.
    auto* block = static_cast<std::uint8_t*>(std::malloc(size));
    std::memcpy(block, data, size);
    const auto* header = reinterpret_cast<const BITMAPINFOHEADER*>(block);
    const DWORD headerSize = field<DWORD>(block, 0);
    const WORD colours = DibNumColors(block);

    // CreateBIPalette reads DibNumColors entries after a 40-byte header.
    if (headerSize == 40 && 40 + std::size_t(colours) * 4 <= size) {
        const HPALETTE palette = CreateBIPalette(header);
        const UINT entries = VexGetPaletteEntries(palette, 0, 0, nullptr);
        const WORD bitCount = field<WORD>(block, 14);
        if (palette != nullptr && entries != (colours > 0 ? colours : 256u))
            std::abort();
        if (palette == nullptr && (colours > 0 || bitCount == 24))
            std::abort();
        winorbis::vex::palettes().remove(palette);
    }
    // IsGrayImage reads no more than the declared table, whatever the header says.
    const std::size_t declared =
        std::min<std::size_t>(tableEntries(field<WORD>(block, 14)), colours);
    if (headerSize >= 40 && headerSize <= size && headerSize + declared * 4 <= size) {
        const BOOL grey = IsGrayImage(header);
        if (grey != 0 && grey != 1)
            std::abort();
    }
    std::free(block);
    return 0;
}
