// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "vexcore/vexcore.h"

#include "vexcore/HandleTable.h"

#include <vector>

namespace winorbis::vex {

// A logical palette: the entries it was made from.
struct Palette {
    std::vector<PALETTEENTRY> entries;
};

HandleTable<Palette>& palettes();
HPALETTE createPalette(std::vector<PALETTEENTRY> entries);

} // namespace winorbis::vex
