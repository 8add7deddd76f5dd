// SPDX-License-Identifier: GPL-3.0-or-later
// The reception side of the station without a window: the box's monitor, the end-of-reception
// timer and the repeater, on scripted bytes and virtual time.
#include "link/ReceptionController.h"
#include "link/BoxConverter.h"
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
    MemoryPort* port = nullptr;
    CommandGate gate;
    RecordingView view;
    std::unique_ptr<ReceptionController> reception;
    std::unique_ptr<BoxConverter> box;
    ConverterLink* link = nullptr;

    void SetUp() override {
        auto memory = std::make_unique<MemoryPort>(clock);
        port = memory.get();
        reception = std::make_unique<ReceptionController>(gate, clock, view);
        box = std::make_unique<BoxConverter>(std::move(memory), QStringLiteral("Orbis 70p"), clock,
                                             gate, *reception);
        link = &box->link();
        reception->attach(box.get());
        box->start(true);
    }
    void TearDown() override {
        gate.shut();
        box.reset();
        reception.reset();
    }
    void announce(std::uint8_t status) {
        port->arrive(QByteArray(1, char(status)));
        ASSERT_TRUE(pumpUntil([&] { return reception->receiveTimerRunning(); }));
    }
};

} // namespace

TEST_F(ReceptionFixture, TheEndOfTheReceptionTimeFetchesWithSavePicAutoAndRepeatsInItsMode) {
    EXPECT_TRUE(link->isIdle());
    reception->switchRepeater(true);
    EXPECT_TRUE(view.shownSwitch);
    announce(184); // Scottie 2
    EXPECT_EQ(link->LastStatus(), 184);
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
    EXPECT_TRUE(link->isIdle());
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
    box->stop();
    reception->stop();
    EXPECT_EQ(link->linkState(), LinkState::Ended);
    reception->Timer2Timer();
    EXPECT_EQ(link->linkState(), LinkState::Ended);
    // A hold taken after the end is harmless.
    const MonitorHold hold(&box->monitor());
    EXPECT_TRUE(box->monitor().isHeld());
}
