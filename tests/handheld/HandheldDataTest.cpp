// SPDX-License-Identifier: GPL-3.0-or-later
// What the program makes of the handheld's bytes: interval, page addresses, page records, call
// sign.
#include "handheld/HandheldData.h"

#include <gtest/gtest.h>

using namespace winorbis;

TEST(HandheldInterval, ConvertsSecondsToTicksAndBack) {
    using namespace handheldinterval;
    EXPECT_EQ(secondsToTicks(60), 4000);
    EXPECT_EQ(secondsToTicks(1), 67);
    EXPECT_EQ(secondsToTicks(960), 64000);
    EXPECT_EQ(ticksToSeconds(4000), 60);
    EXPECT_EQ(ticksToSeconds(67), 1);
    EXPECT_EQ(ticksToSeconds(64000), 960);
    EXPECT_EQ(ticksToSeconds(65535), 983);
    // Every value of the window survives the round trip.
    for (int s = kMinSeconds; s <= kMaxSeconds; ++s)
        ASSERT_EQ(ticksToSeconds(secondsToTicks(s)), s) << s;
    // Beyond the window's limits the ticks would no longer fit their two bytes.
    EXPECT_EQ(secondsToTicks(0), 67);
    EXPECT_EQ(secondsToTicks(5000), 64000);
}

TEST(HandheldPages, AddressesAreSentMostSignificantByteFirst) {
    using namespace handheldpage;
    const std::array<std::array<std::uint8_t, 4>, 10> status = {{{2, 4, 0, 8},
                                                                 {2, 4, 100, 8},
                                                                 {2, 4, 200, 8},
                                                                 {2, 5, 44, 8},
                                                                 {2, 5, 144, 8},
                                                                 {2, 5, 244, 8},
                                                                 {2, 6, 88, 8},
                                                                 {2, 6, 188, 8},
                                                                 {2, 7, 32, 8},
                                                                 {2, 7, 132, 8}}};
    for (int index = 0; index < kCount; ++index) {
        EXPECT_EQ(addressBytes(statusAddress(index)), status[std::size_t(index)]) << index;
        auto hold = status[std::size_t(index)];
        hold[3] = 10;
        EXPECT_EQ(addressBytes(holdAddress(index)), hold) << index;
    }
    EXPECT_FALSE(isValidIndex(-1));
    EXPECT_FALSE(isValidIndex(10));
}

TEST(HandheldPages, RecordsTellPictureHoldAndBlockedNextPage) {
    const PageRecord free{{255, 0, 0, 0}};
    EXPECT_TRUE(free.holdsPicture());
    EXPECT_FALSE(free.isHeld());
    EXPECT_FALSE(free.blocksNextPage());
    const PageRecord wide{{150, 105, 0, 0}};
    EXPECT_TRUE(wide.blocksNextPage());
    const PageRecord held{{200, 55, 255, 0}};
    EXPECT_TRUE(held.holdsPicture());
    EXPECT_TRUE(held.isHeld());
    EXPECT_FALSE(held.blocksNextPage());
    const PageRecord empty{{7, 7, 0, 0}};
    EXPECT_FALSE(empty.holdsPicture());
    // r1 above 100 blocks only behind a picture.
    EXPECT_FALSE((PageRecord{{7, 200, 0, 0}}.blocksNextPage()));
}

TEST(HandheldBlock, YieldsCallSignColourAndInterval) {
    HandheldData data;
    EXPECT_EQ(data.callSign(), QString());
    EXPECT_EQ(data.intervalTicks(), 0);
    const char call[8] = {' ', '\t', 'D', 'L', '1', 'A', 'B', '\0'};
    std::copy_n(call, 8, data.HandheldBlock.begin() + 32);
    data.HandheldBlock[40] = 'X'; // past the call sign's 8 bytes
    data.HandheldBlock[43] = 6;
    data.HandheldBlock[44] = 15;
    data.HandheldBlock[45] = 160;
    EXPECT_EQ(data.callSign(), QStringLiteral("DL1AB"));
    EXPECT_EQ(data.callColour(), 6);
    EXPECT_EQ(data.intervalTicks(), 4000);
    // Blanks inside stay; 8-bit characters are Windows Latin.
    const char inner[8] = {'A', ' ', 'B', char(0xc4), ' ', ' ', ' ', ' '};
    std::copy_n(inner, 8, data.HandheldBlock.begin() + 32);
    EXPECT_EQ(data.callSign(), QStringLiteral("A B\u00c4"));
}

TEST(HandheldBlock, BlockThatNoHandheldSendsSaysWhy) {
    struct Case {
        QByteArray call; // the call sign field's 8 bytes
        std::uint8_t colour;
        std::uint16_t ticks;
        const char* why; // nullptr: the block keeps the rules
    };
    const Case cases[] = {
        {QByteArray("DL1AB/P\0", 8), 6, 64000, nullptr},
        {QByteArray("\0\0 DL1AB", 8), 7, 67, nullptr}, // filled up at the front
        {QByteArray("dl1ab   ", 8), 6, 4000, "the byte 100"},
        {QByteArray("DL1\0AB  ", 8), 6, 4000, "zero byte between"},
        {QByteArray("DL1AB   ", 8), 8, 4000, "colour 8"},
        {QByteArray("DL1AB   ", 8), 6, 64001, "64001 ticks"},
    };
    for (const Case& c : cases) {
        HandheldData data;
        std::copy_n(c.call.constData(), 8, data.HandheldBlock.begin() + 32);
        data.HandheldBlock[43] = c.colour;
        data.HandheldBlock[44] = std::uint8_t(c.ticks >> 8);
        data.HandheldBlock[45] = std::uint8_t(c.ticks);
        const QString problem = data.problem();
        if (c.why)
            EXPECT_TRUE(problem.contains(QLatin1String(c.why))) << problem.toStdString();
        else
            EXPECT_EQ(problem, QString()) << c.call.toStdString();
    }
}
