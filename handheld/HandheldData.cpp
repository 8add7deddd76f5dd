// SPDX-License-Identifier: GPL-3.0-or-later
#include "HandheldData.h"

#include "platform/CodePage.h"

#include <algorithm>

namespace winorbis {

namespace handheldinterval {

std::uint16_t secondsToTicks(int seconds) {
    const int s = std::clamp(seconds, kMinSeconds, kMaxSeconds);
    return std::uint16_t((s * 1000 + 8) / 15);
}

int ticksToSeconds(std::uint16_t ticks) {
    return (int(ticks) * 15 + 500) / 1000;
}

} // namespace handheldinterval

QString HandheldData::callSign() const {
    const auto* first = HandheldBlock.data() + kCallSignOffset;
    const auto* last = first + kCallSignLength;
    // Blanks and control characters: every byte up to 32, and DEL.
    const auto trimmed = [](std::uint8_t b) { return b <= 32 || b == 127; };
    while (first != last && trimmed(*first))
        ++first;
    while (last != first && trimmed(*(last - 1)))
        --last;
    return fromWinLatin(QByteArrayView(first, last - first));
}

} // namespace winorbis
