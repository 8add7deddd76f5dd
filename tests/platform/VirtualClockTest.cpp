// SPDX-License-Identifier: GPL-3.0-or-later
#include "support/VirtualClock.h"

#include <gtest/gtest.h>

using namespace winorbis;
using namespace winorbis::test;

TEST(VirtualClock, TimersFireInTimeOrderAtTheirOwnTime) {
    VirtualClock clock;
    std::vector<std::pair<char, std::int64_t>> fired;
    auto a = clock.createTimer([&] { fired.emplace_back('a', clock.elapsedMs()); });
    auto b = clock.createTimer([&] { fired.emplace_back('b', clock.elapsedMs()); });
    a->start(1000);
    b->start(1500);
    clock.advance(3100);
    const std::vector<std::pair<char, std::int64_t>> expected = {
        {'a', 1000}, {'b', 1500}, {'a', 2000}, {'a', 3000}, {'b', 3000}};
    EXPECT_EQ(fired, expected);
    EXPECT_EQ(clock.elapsedMs(), 3100);
}

TEST(VirtualClock, ATimerStoppedInItsHandlerFiresOnce) {
    VirtualClock clock;
    int ticks = 0;
    std::unique_ptr<ClockTimer> timer;
    timer = clock.createTimer([&] {
        ++ticks;
        timer->stop();
    });
    timer->start(115000);
    clock.waitPainting(14000);
    EXPECT_EQ(ticks, 0);
    clock.advance(200000);
    EXPECT_EQ(ticks, 1);
    EXPECT_FALSE(timer->isActive());
    EXPECT_EQ(timer->interval(), 115000);
}

TEST(VirtualClock, SleepsMoveTimeWithoutFiringTimers) {
    VirtualClock clock;
    int ticks = 0;
    auto timer = clock.createTimer([&] { ++ticks; });
    timer->start(10);
    clock.sleep(1000);
    EXPECT_EQ(ticks, 0);
    EXPECT_EQ(clock.elapsedMs(), 1000);
    clock.advance(0);
    EXPECT_EQ(ticks, 1); // due times that passed while sleeping fire at the next advance
}
