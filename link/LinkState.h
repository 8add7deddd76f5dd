// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "converter/Modes.h"

#include <optional>

namespace winorbis {

// The state of the converter link as the receive monitor keeps it. The monitor is its only
// writer (see ConverterLink.h for the threading rules); everybody else reads it, and takes Idle as
// the sign that the link is free for a converter command. The values are those the converter's
// documentation and older installations use; 8 and 9 are not used.
enum class LinkState : int {
    Stop = 0,         // the monitor is to leave its loop
    Idle = 1,         // the monitor reads the port for status bytes
    AnnouncedR72 = 2, // a reception was announced in the mode named
    AnnouncedR36 = 3,
    AnnouncedS2 = 4,
    AnnouncedS1 = 5,
    AnnouncedM1 = 6,
    AnnouncedM2 = 7,
    Waiting = 10, // a reception runs: waiting for its end
    Ended = 73,   // the monitor has left its loop
};

// True for the six announced states.
constexpr bool isAnnounced(LinkState state) {
    return state >= LinkState::AnnouncedR72 && state <= LinkState::AnnouncedM2;
}

// The announced state of a box mode, and the mode of an announced state.
std::optional<LinkState> announcedState(ModeId id);
std::optional<ModeId> modeByLinkState(LinkState state);

} // namespace winorbis
