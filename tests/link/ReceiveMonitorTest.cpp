// SPDX-License-Identifier: GPL-3.0-or-later
// The receive monitor on scripted bytes and virtual time; this test's thread plays the
// user-interface thread.
#include "link/CommandGate.h"
#include "link/ConverterLink.h"
#include "link/TRecThread.h"
#include "support/EventPump.h"
#include "support/MemoryPort.h"
#include "support/ScriptedDialogs.h"
#include "support/VirtualClock.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QThread>

#include <gtest/gtest.h>

using namespace winorbis;
using namespace winorbis::test;

namespace {

const QString kReady = " Ready for Receive ";

class RecordingHost final : public MonitorHost {
public:
    explicit RecordingHost(ConverterLink& link)
        : link_(link) {}
    void announce(std::uint8_t status) override {
        calls << QStringLiteral("announce %1 (last status %2)").arg(status).arg(link_.LastStatus());
    }
    void startReceiveTimer(int ms) override {
        calls << QStringLiteral("start timer %1").arg(ms);
        timerRunning = true;
    }
    void stopReceiveTimer() override {
        calls << "stop timer";
        timerRunning = false;
    }
    void setStatusText(const QString& text) override { calls << "status " + text; }
    void setLoadButtonEnabled(bool on) override { calls << (on ? "load on" : "load off"); }
    void setRxStopColour(std::uint32_t colour) override {
        calls << QStringLiteral("rxstop %1").arg(colour);
    }
    void selectRepeaterItem(int item) override { calls << QStringLiteral("item %1").arg(item); }
    int repeaterItemToSend() override {
        calls << "repeater?";
        return repeaterItem;
    }
    void removeFrames() override { calls << "remove frames"; }
    void connectionLost(const QString& device) override { calls << "lost " + device; }
    void connectionRestored() override { calls << "restored"; }

    QStringList calls;
    bool timerRunning = false;
    int repeaterItem = -1;

private:
    ConverterLink& link_;
};

struct MonitorFixture : ::testing::Test {
    VirtualClock clock;
    ScriptedDialogs dialogs;
    ConverterLink link{clock, failureBoxes(dialogs)};
    MemoryPort* port = nullptr;
    CommandGate gate;
    RecordingHost host{link};
    std::unique_ptr<TRecThread> monitor;

    void SetUp() override {
        auto memory = std::make_unique<MemoryPort>(clock);
        port = memory.get();
        link.attachPort(std::move(memory));
        monitor = std::make_unique<TRecThread>(link, gate, host, clock);
        monitor->start();
    }
    void TearDown() override {
        gate.shut();
        monitor.reset();
    }
    void endWait() { monitor->endReception(); }
};

} // namespace

TEST_F(MonitorFixture, AStatusByteAnnouncesTheModeAndStartsTheTimerWithItsTime) {
    port->arrive(QByteArray(1, char(172)));
    ASSERT_TRUE(pumpUntil([&] { return host.timerRunning; }));
    EXPECT_EQ(host.calls,
              QStringList({"load off", "rxstop 65280", "announce 172 (last status 172)",
                           "status  Mode Martin 1, stopped use the Button \" RX Stop \" ", "item 2",
                           "start timer 115000"}));
    EXPECT_EQ(link.linkState(), LinkState::Waiting);
    EXPECT_EQ(link.LastStatus(), 172);
}

TEST_F(MonitorFixture, TheEndOfTheWaitReportsReadyAndTheRepeaterSendsAfterASecond) {
    host.repeaterItem = 2;
    port->arrive(QByteArray(1, char(40)));
    ASSERT_TRUE(pumpUntil([&] { return host.timerRunning; }));
    host.calls.clear();
    const auto before = clock.elapsedMs();
    endWait();
    ASSERT_TRUE(pumpUntil([&] { return port->written().size() == 1; }));
    EXPECT_EQ(host.calls,
              QStringList({"stop timer", "load on", "rxstop 255", "status " + kReady, "repeater?",
                           "remove frames",
                           "status  Senden in Martin 1, stopped the transfer with the \" RX \" "
                           "Button on the remote maintenance"}));
    EXPECT_EQ(port->written(), QByteArray(1, char(56)));
    EXPECT_GE(clock.elapsedMs() - before, 1000);
    EXPECT_TRUE(pumpUntil([&] { return link.isIdle(); }));
}

TEST_F(MonitorFixture, TheModelessStatusBytesWaitLongSayingSoWithoutRepeaterItem) {
    for (int status : {68, 72}) {
        host.calls.clear();
        port->arrive(QByteArray(1, char(status)));
        ASSERT_TRUE(pumpUntil([&] { return host.timerRunning; }));
        EXPECT_EQ(
            host.calls,
            QStringList({"load off", "rxstop 65280",
                         QStringLiteral("announce %1 (last status %1)").arg(status),
                         QStringLiteral("status Status %1: reception without mode, waiting %2 s")
                             .arg(status)
                             .arg(status == 68 ? 1000 : 1040),
                         QStringLiteral("start timer %1").arg(status == 68 ? 1000000 : 1040000)}));
        endWait();
        ASSERT_TRUE(pumpUntil([&] { return host.calls.contains("repeater?"); }));
    }
    // With the repeater on but no reception in a mode yet, nothing is sent.
    EXPECT_TRUE(port->written().isEmpty());
}

TEST_F(MonitorFixture, OtherBytesWhileMonitoringAreDropped) {
    port->arrive(QByteArray("\x80\x00\x63\x04\xff", 5));
    ASSERT_TRUE(pumpUntil([&] { return port->pending() == 0; }));
    QThread::msleep(20);
    QCoreApplication::processEvents();
    EXPECT_TRUE(host.calls.isEmpty());
    EXPECT_EQ(link.linkState(), LinkState::Idle);
}

TEST_F(MonitorFixture, ClosingDuringAWaitEndsTheMonitorWithoutRepeater) {
    host.repeaterItem = 0;
    port->arrive(QByteArray(1, char(136)));
    ASSERT_TRUE(pumpUntil([&] { return host.timerRunning; }));
    host.calls.clear();
    monitor->stop();
    EXPECT_TRUE(monitor->hasEnded());
    EXPECT_EQ(link.linkState(), LinkState::Ended);
    EXPECT_TRUE(host.calls.isEmpty());
    EXPECT_TRUE(port->written().isEmpty());
}

TEST_F(MonitorFixture, AHeldMonitorLeavesThePortAloneUntilTheLastHoldEnds) {
    {
        const MonitorHold outer(monitor.get());
        port->arrive(QByteArray(1, char(12)));
        { const MonitorHold inner(monitor.get()); }
        EXPECT_TRUE(monitor->isHeld()); // the outer hold still keeps it off the port
        QThread::msleep(50);
        QCoreApplication::processEvents();
        EXPECT_EQ(port->pending(), 1);
    }
    EXPECT_FALSE(monitor->isHeld());
    ASSERT_TRUE(pumpUntil([&] { return host.timerRunning; }));
    EXPECT_TRUE(host.calls.contains("start timer 73000"));
}

TEST_F(MonitorFixture, HoldingDoesNotWaitForAMonitorThatWaitsForTheWindow) {
    port->arrive(QByteArray(1, char(60)));
    // The monitor now waits for the announce call; this thread does not run it yet.
    for (int i = 0; i < 5000 && link.linkState() != LinkState::AnnouncedS1; ++i)
        QThread::usleep(200);
    ASSERT_EQ(link.linkState(), LinkState::AnnouncedS1);
    {
        QElapsedTimer timer;
        timer.start();
        const MonitorHold hold(monitor.get());
        EXPECT_LT(timer.elapsed(), 1000);
        // Once the window has run its calls the held monitor stops before the port and the timer.
        QThread::msleep(20);
        QCoreApplication::processEvents();
        EXPECT_FALSE(host.timerRunning);
    }
    ASSERT_TRUE(pumpUntil([&] { return host.timerRunning; }));
    EXPECT_TRUE(host.calls.contains("start timer 111000"));
}

TEST_F(MonitorFixture, WindowCallsWaitWhileAConverterOperationRuns) {
    port->arrive(QByteArray(1, char(184)));
    {
        CommandGate::Operation operation(gate);
        QThread::msleep(50);
        QCoreApplication::processEvents();
        EXPECT_TRUE(host.calls.isEmpty()); // deferred until the operation has ended
    }
    ASSERT_TRUE(pumpUntil([&] { return host.timerRunning; }));
    EXPECT_EQ(host.calls.first(), "load off");
}

// A vanished device: the monitor says so once, tries to get it back about once a second (never
// spinning, never while held), identifies the converter, and watches again.
TEST_F(MonitorFixture, AVanishedDeviceIsReportedOnceAndTriedAgainAboutEverySecond) {
    port->vanish();
    ASSERT_TRUE(pumpUntil([&] { return port->reopenAttempts() >= 1; }));
    QElapsedTimer timer;
    timer.start();
    const int before = port->reopenAttempts();
    pumpUntil([] { return false; }, 2500);
    const int attempts = port->reopenAttempts() - before;
    EXPECT_GE(attempts, 1);
    EXPECT_LE(attempts, int(timer.elapsed() / 900) + 1);
    EXPECT_EQ(host.calls, QStringList{"lost the converter's port"});
    EXPECT_EQ(link.linkState(), LinkState::Idle);
}

TEST_F(MonitorFixture, ADeviceThatComesBackIsIdentifiedAndWatchedAgain) {
    port->setResponder(converterAnswers(76));
    port->vanish();
    ASSERT_TRUE(pumpUntil([&] { return host.calls.contains("lost the converter's port"); }));
    // Back, but the converter does not answer yet: still lost, tried again.
    port->setComesBack(true);
    port->setResponder({});
    ASSERT_TRUE(pumpUntil([&] { return port->written().contains(char(16)); }));
    const int attempts = port->reopenAttempts();
    ASSERT_TRUE(pumpUntil([&] { return port->written().count(char(16)) >= 2; }, 3000));
    EXPECT_FALSE(host.calls.contains("restored"));
    EXPECT_EQ(port->reopenAttempts(), attempts) << "a device that is back is not opened again";
    port->setResponder(converterAnswers(76));
    ASSERT_TRUE(pumpUntil([&] { return host.calls.contains("restored"); }, 3000));
    EXPECT_EQ(link.LastStatus(), 76);
    port->arrive(QByteArray(1, char(172)));
    ASSERT_TRUE(pumpUntil([&] { return host.timerRunning; }));
    EXPECT_EQ(link.linkState(), LinkState::Waiting);
}

TEST_F(MonitorFixture, AHeldMonitorLeavesAVanishedDeviceAlone) {
    port->vanish();
    ASSERT_TRUE(pumpUntil([&] { return host.calls.contains("lost the converter's port"); }));
    {
        const MonitorHold hold(monitor.get());
        const int attempts = port->reopenAttempts();
        pumpUntil([] { return false; }, 1500);
        EXPECT_EQ(port->reopenAttempts(), attempts);
    }
    port->setComesBack(true);
    port->setResponder(converterAnswers(76));
    EXPECT_TRUE(pumpUntil([&] { return host.calls.contains("restored"); }, 3000));
}

TEST(ReceiveMonitor, WithoutReconnectingAVanishedDeviceIsReportedAndNeverOpenedAgain) {
    VirtualClock clock;
    ScriptedDialogs dialogs;
    ConverterLink link{clock, failureBoxes(dialogs)};
    auto memory = std::make_unique<MemoryPort>(clock);
    MemoryPort* port = memory.get();
    link.attachPort(std::move(memory));
    CommandGate gate;
    RecordingHost host{link};
    TRecThread monitor(link, gate, host, clock);
    monitor.setReconnecting(false);
    port->setComesBack(true);
    port->vanish();
    monitor.start();
    ASSERT_TRUE(pumpUntil([&] { return host.calls.contains("lost the converter's port"); }));
    pumpUntil([] { return false; }, 1500);
    EXPECT_EQ(port->reopenAttempts(), 0);
    gate.shut();
    monitor.stop();
}
