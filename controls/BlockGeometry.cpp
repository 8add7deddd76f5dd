// SPDX-License-Identifier: GPL-3.0-or-later
#include "controls/BlockGeometry.h"

#include <algorithm>

namespace winorbis::blocks {

namespace {

// A 32-bit signed result as the system's integer arithmetic gives it (two's complement wrap).
std::int32_t wrap(std::int64_t value) {
    return static_cast<std::int32_t>(static_cast<std::uint32_t>(value));
}

} // namespace

int BlockCount(int innerLength, int blockLength) {
    const std::int64_t length = std::int64_t(innerLength) + kGap;
    const std::int64_t step = std::int64_t(blockLength) + kGap;
    if (length <= 0 || step <= 0)
        return 0;
    return int(length / step + (length % step != 0 ? 1 : 0));
}

std::int64_t ReachedBlocks(std::int32_t position, std::int32_t min, std::int32_t max,
                           std::int32_t count) {
    const std::int32_t span = max == min ? 1 : wrap(std::int64_t(max) - min);
    const std::int32_t product = wrap(std::int64_t(wrap(std::int64_t(position) - min)) * count);
    return std::int64_t(product) / span;
}

QRect BlockRect(bool vertical, bool invert, QSize inner, int blockLength, int i) {
    // In 64 bits, then held to a range that QRect takes: a block far outside the inner area
    // stays outside it.
    const std::int64_t o = (std::int64_t(i) - 1) * (std::int64_t(blockLength) + kGap);
    const std::int64_t length = blockLength;
    const std::int64_t along = vertical ? inner.height() : inner.width();
    const std::int64_t start = invert != vertical ? along - o - length : o;
    constexpr std::int64_t kFar = std::int64_t(1) << 28;
    const int from = int(std::clamp(start, -kFar, kFar));
    const int extent = int(std::clamp(length, std::int64_t(0), kFar));
    // QRect(left, top, width, height); the system's rectangles exclude right and bottom.
    return vertical ? QRect(0, from, inner.width(), extent)
                    : QRect(from, 0, extent, inner.height());
}

Zone BlockZone(int colorStyle, int i, int count) {
    switch (colorStyle) {
    case 1: { // csTwo
        const int h = count / 2;
        return i <= h ? Zone::Start : Zone::End;
    }
    case 2: { // csThree
        const int t = count / 3;
        if (i <= t)
            return Zone::Start;
        return i <= 2 * t ? Zone::Middle : Zone::End;
    }
    default: // csOne
        return Zone::Start;
    }
}

std::int64_t NeededLength(int blockLength, int count) {
    return (std::int64_t(blockLength) + kGap) * count - kGap;
}

} // namespace winorbis::blocks
