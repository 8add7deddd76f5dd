// SPDX-License-Identifier: GPL-3.0-or-later
// The command gate between the receive monitor's thread and the user-interface thread.
#include "link/CommandGate.h"

#include <QCoreApplication>

#include <gtest/gtest.h>

#include <atomic>
#include <thread>

using namespace winorbis;

TEST(CommandGate, WorkQueuedBeforeTheGateIsShutNeverRuns) {
    CommandGate gate;
    std::atomic<int> ran{0};
    // Queued from another thread, as the monitor queues its window changes; the user-interface
    // thread has not run its events yet when the program shuts the gate.
    std::thread monitor([&] {
        gate.post([&] { ++ran; });
        gate.post([&] { ++ran; });
    });
    monitor.join();
    gate.shut();
    QCoreApplication::processEvents();
    EXPECT_EQ(ran, 0);
    // And a call made after the shut returns at once, unrun.
    std::thread late([&] { gate.call([&] { ++ran; }); });
    late.join();
    QCoreApplication::processEvents();
    EXPECT_EQ(ran, 0);
}

TEST(CommandGate, WorkDeferredByAnOperationIsDroppedWhenTheGateIsShutMeanwhile) {
    CommandGate gate;
    int ran = 0;
    {
        CommandGate::Operation operation(gate);
        std::thread monitor([&] { gate.post([&] { ++ran; }); });
        monitor.join();
        QCoreApplication::processEvents(); // now deferred behind the operation
        gate.shut();
    }
    QCoreApplication::processEvents();
    EXPECT_EQ(ran, 0);
}

TEST(CommandGate, PostedWorkRunsInOrderOnceTheOperationHasEnded) {
    CommandGate gate;
    QStringList order;
    {
        CommandGate::Operation operation(gate);
        std::thread monitor([&] {
            gate.post([&] { order << "a"; });
            gate.post([&] { order << "b"; });
        });
        monitor.join();
        QCoreApplication::processEvents();
        EXPECT_TRUE(order.isEmpty());
        gate.whenIdle([&] { order << "c"; });
    }
    EXPECT_EQ(order, QStringList({"a", "b", "c"}));
}
