// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "link/ModeTable.h"
#include "modem/SstvModes.h"

#include <optional>

namespace winorbis::radio {

// The box's mode of a modem mode, and back: the box has six of the modem's modes.
inline sstv::ModeId modemMode(ModeId id) {
    return *sstv::modeByShortName(mode(id).shortName);
}
inline std::optional<ModeId> boxMode(sstv::ModeId id) {
    return modeByName(sstv::mode(id).shortName);
}

} // namespace winorbis::radio
