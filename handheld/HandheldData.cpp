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

QString HandheldData::problem() const {
    // The handheld shows capitals, digits, the blank and ! - / ?; the field is filled up with
    // blanks or zero bytes.
    for (int i = 0; i < kCallSignLength; ++i) {
        const std::uint8_t b = HandheldBlock[std::size_t(kCallSignOffset + i)];
        const bool shown = (b >= 'A' && b <= 'Z') || (b >= '0' && b <= '9') || b == ' ' ||
                           b == '!' || b == '-' || b == '/' || b == '?' || b == 0;
        if (!shown)
            return QStringLiteral("the call sign holds the byte %1, which the handheld cannot show")
                .arg(b);
    }
    // Zero bytes fill the field up; between its characters they would cut the call sign short.
    if (callSign().contains(QChar(0)))
        return QStringLiteral("the call sign holds a zero byte between its characters");
    if (callColour() >= kHandheldColourCount)
        return QStringLiteral("the call sign colour %1 is beyond the handheld's 8 colours")
            .arg(callColour());
    if (intervalTicks() > handheldinterval::secondsToTicks(handheldinterval::kMaxSeconds))
        return QStringLiteral("the interval of %1 ticks is longer than 960 s").arg(intervalTicks());
    return {};
}

} // namespace winorbis
