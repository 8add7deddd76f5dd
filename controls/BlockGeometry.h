// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QRect>
#include <QSize>

#include <cstdint>

namespace winorbis::blocks {

// The arithmetic of the segmented progress bar, free of any window: how many block
// places fit, how many are reached, where a block lies and which colour zone it belongs to.
// Blocks are separated by gaps of kGap pixels.
inline constexpr int kGap = 2;

// Number of block places along an inner length for a block length: (length + 2) div (len + 2),
// plus one when the division leaves a remainder, so the last place may be cut off or lie wholly
// outside the bar. 0 when the arguments admit no block (negative lengths).
int BlockCount(int innerLength, int blockLength);

// Reached places: ((position - min) * count) div (max - min) with 32-bit signed wrap-around as
// the system computes it, a divisor of 1 when max equals min, and the quotient truncated toward
// zero. 64 bits wide only so that the one quotient beyond 32 bits (-2^31 div -1) stays exact.
std::int64_t ReachedBlocks(std::int32_t position, std::int32_t min, std::int32_t max,
                           std::int32_t count);

// The rectangle of place i (1-based) in an inner area, for the bar's orientation and direction:
// left to right, right to left, bottom to top or top to bottom. May reach beyond the inner area.
QRect BlockRect(bool vertical, bool invert, QSize inner, int blockLength, int i);

// The colour zone of place i (1-based) among count places for a colour style given by its
// ordinal (csOne = 0, csTwo = 1, csThree = 2): two zones split after count div 2 places, three
// after count div 3 and 2 * (count div 3). The zone depends on the place, not on the position.
enum class Zone { Start, Middle, End };
Zone BlockZone(int colorStyle, int i, int count);

// The inner length that exactly holds count blocks of a length: (len + 2) * count - 2.
std::int64_t NeededLength(int blockLength, int count);

} // namespace winorbis::blocks
