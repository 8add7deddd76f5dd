// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <optional>

namespace winorbis {

// The converter line's speed (8N1). The numbers are those of the settings file and of the
// command lines' --speed; a number read from a settings file that names neither is kept as it
// stands (written back unchanged) and opens no port.
enum class LinkSpeed : int { Baud1200 = 1, Baud115200 = 2 };

// The line's baud rate; 0 for a speed that names neither.
constexpr int baudOf(LinkSpeed speed) {
    switch (speed) {
    case LinkSpeed::Baud1200:
        return 1200;
    case LinkSpeed::Baud115200:
        return 115200;
    }
    return 0;
}

// The speed a command line's --speed 1|2 names; none for any other number.
constexpr std::optional<LinkSpeed> linkSpeedOption(int number) {
    if (number == int(LinkSpeed::Baud1200) || number == int(LinkSpeed::Baud115200))
        return LinkSpeed(number);
    return std::nullopt;
}

// The converter model the setup window offers. A number read from a settings file that names
// neither is kept as it stands and selects no model.
enum class OrbisModel : int { OR100 = 0, OR150 = 1 };

} // namespace winorbis
