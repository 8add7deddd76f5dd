// SPDX-License-Identifier: GPL-3.0-or-later
// The progress bar's arithmetic: block places, reached places, block rectangles and zones.
#include "controls/BlockGeometry.h"

#include <gtest/gtest.h>

#include <limits>

namespace winorbis::blocks {
namespace {

TEST(BlockGeometry, CountAddsAPlaceForARemainder) {
    // 233 / 6 is not whole: 38 whole places and a 39th that is cut off.
    EXPECT_EQ(BlockCount(231, 4), 39);
    // 12 / 6 = 2 exactly.
    EXPECT_EQ(BlockCount(10, 4), 2);
    EXPECT_EQ(BlockCount(11, 4), 3);
    // A block longer than the bar still has one place.
    EXPECT_EQ(BlockCount(3, 10), 1);
    // The empty off-screen bitmap of a new control: (0 + 2) / (0 + 2) = 1.
    EXPECT_EQ(BlockCount(0, 0), 1);
    // Square blocks in a 96 x 13 inner area: 98 / 15.
    EXPECT_EQ(BlockCount(96, 13), 7);
}

TEST(BlockGeometry, CountAdmitsNoNegativeLengths) {
    EXPECT_EQ(BlockCount(-5, 4), 0);
    EXPECT_EQ(BlockCount(10, -2), 0);
    EXPECT_EQ(BlockCount(10, std::numeric_limits<int>::max()), 1);
}

TEST(BlockGeometry, ReachedPlacesTruncateTowardZero) {
    EXPECT_EQ(ReachedBlocks(50, 0, 100, 39), 19); // 1950 div 100
    EXPECT_EQ(ReachedBlocks(100, 0, 100, 39), 39);
    EXPECT_EQ(ReachedBlocks(280, 0, 280, 39), 39);
    EXPECT_EQ(ReachedBlocks(0, 0, 100, 39), 0);
    EXPECT_EQ(ReachedBlocks(-5, 0, 10, 10), -5); // below Min: negative
    EXPECT_EQ(ReachedBlocks(-1, 0, 100, 39), 0); // -39 div 100 is 0, not -1
    EXPECT_EQ(ReachedBlocks(20, 0, 10, 10), 20); // past Max: more than every place
}

TEST(BlockGeometry, MinEqualToMaxDividesByOne) {
    EXPECT_EQ(ReachedBlocks(5, 5, 5, 10), 0);
    EXPECT_EQ(ReachedBlocks(7, 5, 5, 10), 20);
    EXPECT_EQ(ReachedBlocks(4, 5, 5, 10), -10);
}

TEST(BlockGeometry, ReachedPlacesWrapAround32Bits) {
    // (2^30 * 4) wraps to 0 in 32 bits.
    EXPECT_EQ(ReachedBlocks(1 << 30, 0, 10, 4), 0);
    // Position - Min wraps as well: INT_MAX - (-1) is INT_MIN.
    const int max = std::numeric_limits<int>::max();
    const int min = std::numeric_limits<int>::min();
    EXPECT_EQ(ReachedBlocks(max, -1, 0, 1), std::int64_t(min));
    // The one quotient beyond 32 bits stays exact instead of trapping.
    EXPECT_EQ(ReachedBlocks(min, 0, -1, 1), std::int64_t(1) << 31);
}

TEST(BlockGeometry, RectanglesForEveryOrientationAndDirection) {
    const QSize inner(36, 6);
    // Horizontal, normal: left to right.
    EXPECT_EQ(BlockRect(false, false, inner, 4, 1), QRect(0, 0, 4, 6));
    EXPECT_EQ(BlockRect(false, false, inner, 4, 2), QRect(6, 0, 4, 6));
    // Horizontal, inverted: right to left.
    EXPECT_EQ(BlockRect(false, true, inner, 4, 1), QRect(32, 0, 4, 6));
    EXPECT_EQ(BlockRect(false, true, inner, 4, 2), QRect(26, 0, 4, 6));
    const QSize upright(6, 231);
    // Vertical, normal: bottom to top.
    EXPECT_EQ(BlockRect(true, false, upright, 4, 1), QRect(0, 227, 6, 4));
    EXPECT_EQ(BlockRect(true, false, upright, 4, 2), QRect(0, 221, 6, 4));
    // Vertical, inverted: top to bottom; the 39th place starts 3 pixels before the end.
    EXPECT_EQ(BlockRect(true, true, upright, 4, 1), QRect(0, 0, 6, 4));
    EXPECT_EQ(BlockRect(true, true, upright, 4, 39), QRect(0, 228, 6, 4));
}

TEST(BlockGeometry, ThreeZonesOfTenPlaces) {
    const Zone expected[] = {Zone::Start,  Zone::Start, Zone::Start, Zone::Middle, Zone::Middle,
                             Zone::Middle, Zone::End,   Zone::End,   Zone::End,    Zone::End};
    for (int i = 1; i <= 10; ++i)
        EXPECT_EQ(BlockZone(2, i, 10), expected[i - 1]) << "place " << i;
}

TEST(BlockGeometry, TwoZonesOfFivePlaces) {
    const Zone expected[] = {Zone::Start, Zone::Start, Zone::End, Zone::End, Zone::End};
    for (int i = 1; i <= 5; ++i)
        EXPECT_EQ(BlockZone(1, i, 5), expected[i - 1]) << "place " << i;
}

TEST(BlockGeometry, OneZoneAndTheMainWindowsThirtyNinePlaces) {
    for (int i = 1; i <= 7; ++i)
        EXPECT_EQ(BlockZone(0, i, 7), Zone::Start);
    EXPECT_EQ(BlockZone(2, 13, 39), Zone::Start);
    EXPECT_EQ(BlockZone(2, 14, 39), Zone::Middle);
    EXPECT_EQ(BlockZone(2, 26, 39), Zone::Middle);
    EXPECT_EQ(BlockZone(2, 27, 39), Zone::End);
    // Fewer places than zones: no start or middle place.
    EXPECT_EQ(BlockZone(2, 1, 2), Zone::End);
}

TEST(BlockGeometry, NeededLength) {
    EXPECT_EQ(NeededLength(4, 39), 232);
    EXPECT_EQ(NeededLength(0, 1), 0);
    EXPECT_EQ(NeededLength(5, 14), 96);
}

} // namespace
} // namespace winorbis::blocks
