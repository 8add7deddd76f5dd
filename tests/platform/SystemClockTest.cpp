// SPDX-License-Identifier: GPL-3.0-or-later
// The real clock: its timers and its waits on the user-interface thread.
#include "platform/Clock.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTimer>

#include <gtest/gtest.h>

using namespace winorbis;

// A window timer ends a reception: one that fires early cuts off the last lines of the picture
// that the converter is still receiving. Qt's default coarse timers may fire 5 % early.
TEST(SystemClock, TimersNeverFireBeforeTheirInterval) {
    SystemClock clock;
    const std::vector<int> intervals = {730, 1170, 1630};
    std::vector<qint64> firedAt(intervals.size(), -1);
    std::vector<std::unique_ptr<ClockTimer>> timers;
    QElapsedTimer elapsed;
    elapsed.start();
    for (std::size_t i = 0; i < intervals.size(); ++i) {
        timers.push_back(clock.createTimer([&, i] {
            if (firedAt[i] < 0)
                firedAt[i] = elapsed.elapsed();
            timers[i]->stop();
        }));
        timers.back()->start(intervals[i]);
    }
    while (elapsed.elapsed() < 2000)
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 50);
    for (std::size_t i = 0; i < intervals.size(); ++i)
        EXPECT_GE(firedAt[i], intervals[i]) << "interval " << intervals[i];
}

TEST(SystemClock, TheProgramsEndCutsARunningWaitShortAndEveryLaterOne) {
    SystemClock clock;
    QTimer::singleShot(100, [&] { clock.endWaits(); });
    QElapsedTimer elapsed;
    elapsed.start();
    EXPECT_FALSE(clock.waitPainting(10000));
    EXPECT_LT(elapsed.elapsed(), 5000);
    EXPECT_FALSE(clock.waitPainting(10000));
    EXPECT_FALSE(clock.keepPainting());
    EXPECT_LT(elapsed.elapsed(), 5000);
}

TEST(SystemClock, AWaitThatRunsOutReportsItAndAnEndedEventLoopCountsAsTheProgramsEnd) {
    SystemClock clock;
    EXPECT_TRUE(clock.waitPainting(20));
    EXPECT_TRUE(clock.keepPainting());
    // QCoreApplication's exit ends every running loop: the program is ending.
    QTimer::singleShot(20, [] { QCoreApplication::exit(0); });
    EXPECT_FALSE(clock.waitPainting(10000));
}
