// SPDX-License-Identifier: GPL-3.0-or-later
#include "LinkState.h"

#include <array>
#include <utility>

namespace winorbis {

namespace {

// The box's modes and the monitor's states for their announced receptions.
constexpr std::array<std::pair<ModeId, LinkState>, 6> kAnnounced = {{
    {ModeId::Robot36, LinkState::AnnouncedR36},
    {ModeId::Robot72, LinkState::AnnouncedR72},
    {ModeId::Martin1, LinkState::AnnouncedM1},
    {ModeId::Martin2, LinkState::AnnouncedM2},
    {ModeId::Scottie1, LinkState::AnnouncedS1},
    {ModeId::Scottie2, LinkState::AnnouncedS2},
}};

} // namespace

std::optional<LinkState> announcedState(ModeId id) {
    for (const auto& [mode, state] : kAnnounced)
        if (mode == id)
            return state;
    return std::nullopt;
}

std::optional<ModeId> modeByLinkState(LinkState state) {
    for (const auto& [mode, announced] : kAnnounced)
        if (announced == state)
            return mode;
    return std::nullopt;
}

} // namespace winorbis
