// SPDX-License-Identifier: GPL-3.0-or-later
// The reception side of the main window without a window: monitor, end-of-reception timer,
// receive stop and repeater, on scripted bytes and virtual time.
#include "link/ReceptionController.h"
#include "link/CommandGate.h"
#include "link/ConverterLink.h"
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

class RecordingView final : public ReceptionView {
public:
    void selectTxModeItem(std::uint8_t status) override {
        calls << QStringLiteral("tx mode %1").arg(status);
    }
    void setStatusText(const QString& text) override { status = text; }
    void setLoadButtonEnabled(bool on) override { loadEnabled = on; }
    void setRxStopFace(const QString& text, std::optional<std::uint32_t> colour) override {
        rxStop = text;
        if (colour)
            rxStopColour = *colour;
    }
    void showRepeaterItem(int item) override { shownItem = item; }
    void showRepeaterSwitch(bool on) override { shownSwitch = on; }
    void removeFrames() override { calls << "frames"; }
    bool savesAutomatically() const override { return saveAuto; }
    void fetchReceivedPicture() override { calls << "fetch"; }

    QStringList calls;
    QString status, rxStop;
    std::uint32_t rxStopColour = 0;
    bool loadEnabled = true;
    int shownItem = -1;
    bool shownSwitch = false;
    bool saveAuto = true;
};

struct ReceptionFixture : ::testing::Test {
    VirtualClock clock;
    ScriptedDialogs dialogs;
    ConverterLink link{clock, failureBoxes(dialogs)};
    MemoryPort* port = nullptr;
    CommandGate gate;
    RecordingView view;
    std::unique_ptr<ReceptionController> reception;

    void SetUp() override {
        auto memory = std::make_unique<MemoryPort>(clock);
        port = memory.get();
        link.attachPort(std::move(memory));
        reception = std::make_unique<ReceptionController>(link, gate, clock, view);
        reception->start();
    }
    void TearDown() override {
        gate.shut();
        reception.reset();
    }
    void announce(std::uint8_t status) {
        port->arrive(QByteArray(1, char(status)));
        ASSERT_TRUE(pumpUntil([&] { return reception->receiveTimerRunning(); }));
    }
};

} // namespace

TEST_F(ReceptionFixture, TheEndOfTheReceptionTimeFetchesWithSavePicAutoAndRepeatsInItsMode) {
    EXPECT_TRUE(link.isIdle());
    reception->switchRepeater(true);
    EXPECT_TRUE(view.shownSwitch);
    announce(184); // Scottie 2
    EXPECT_EQ(link.LastStatus(), 184);
    EXPECT_EQ(view.shownItem, 5);
    EXPECT_FALSE(view.loadEnabled);
    EXPECT_EQ(view.rxStop, "RX Stop");
    EXPECT_EQ(view.rxStopColour, 65280u);
    clock.advance(72999);
    EXPECT_FALSE(view.calls.contains("fetch"));
    clock.advance(1);
    EXPECT_TRUE(view.calls.contains("fetch"));
    EXPECT_EQ(view.rxStop, "Lade");
    ASSERT_TRUE(pumpUntil([&] { return port->written().size() == 1; }));
    EXPECT_EQ(port->written(), QByteArray(1, char(54)));
    EXPECT_EQ(view.rxStopColour, 255u);
    EXPECT_TRUE(view.loadEnabled);
    EXPECT_TRUE(link.isIdle());
}

TEST_F(ReceptionFixture, TheReceiveStopSendsTheStopByteAndEndsTheWaitWithoutAFetch) {
    reception->switchRepeater(false);
    announce(136);
    reception->receiveStop();
    EXPECT_EQ(view.status, "Receive stopped, ready for receive");
    EXPECT_EQ(port->written(), QByteArray(1, '\x01'));
    ASSERT_TRUE(pumpUntil([&] { return view.status == " Ready for Receive "; }));
    EXPECT_FALSE(reception->receiveTimerRunning());
    clock.advance(40000);
    QCoreApplication::processEvents();
    EXPECT_FALSE(view.calls.contains("fetch"));
    EXPECT_EQ(port->written(), QByteArray(1, '\x01')); // the repeater is off
}

TEST_F(ReceptionFixture, TheRepeaterSendsNothingWithoutAnItemAndTheOperatorCanChooseOne) {
    reception->switchRepeater(true);
    view.saveAuto = false;
    announce(68);
    EXPECT_EQ(reception->repeaterItem(), -1);
    clock.advance(1000000);
    ASSERT_TRUE(pumpUntil([&] { return view.status == " Ready for Receive "; }));
    QThread::msleep(30);
    QCoreApplication::processEvents();
    EXPECT_TRUE(port->written().isEmpty());
    reception->selectRepeaterItem(7); // no such item: nothing changes
    EXPECT_EQ(reception->repeaterItem(), -1);
    reception->selectRepeaterItem(3);
    EXPECT_EQ(view.shownItem, 3);
}

TEST_F(ReceptionFixture, AfterTheMonitorHasStoppedNothingRevivesTheLink) {
    reception->stop();
    EXPECT_EQ(link.linkState(), LinkState::Ended);
    reception->receiveStop();
    reception->Timer2Timer();
    EXPECT_EQ(link.linkState(), LinkState::Ended);
    // A hold taken after the end is harmless.
    const MonitorHold hold = reception->hold();
    EXPECT_TRUE(reception->monitor().isHeld());
}
