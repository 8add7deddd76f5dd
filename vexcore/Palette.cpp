// SPDX-License-Identifier: GPL-3.0-or-later
// Palette objects and reading their entries back.
#include "vexcore/Palette.h"

#include <algorithm>
#include <cstring>

namespace winorbis::vex {

HandleTable<Palette>& palettes() {
    static HandleTable<Palette> table;
    return table;
}

HPALETTE createPalette(std::vector<PALETTEENTRY> entries) {
    auto palette = std::make_unique<Palette>();
    palette->entries = std::move(entries);
    return toHandle<HPALETTE>(palettes().add(std::move(palette)));
}

} // namespace winorbis::vex

using namespace winorbis::vex;

UINT VexGetPaletteEntries(HPALETTE handle, UINT start, UINT count, PALETTEENTRY* entries) {
    UINT result = 0;
    palettes().with(handle, [&](Palette& palette) {
        const auto size = static_cast<UINT>(palette.entries.size());
        if (entries == nullptr) {
            result = size;
            return;
        }
        if (start >= size)
            return;
        result = std::min(count, size - start);
        std::memcpy(entries, palette.entries.data() + start, result * sizeof(PALETTEENTRY));
    });
    return result;
}
