// SPDX-License-Identifier: GPL-3.0-or-later
#include "link/TransmitCommands.h"
#include "link/CommandGate.h"
#include "link/ConverterLink.h"
#include "link/PictureTransfer.h"
#include "link/PixelCodec.h"
#include "link/TRecThread.h"
#include "support/EventPump.h"
#include "support/MemoryConverter.h"
#include "support/ScriptedDialogs.h"
#include "support/VirtualClock.h"
#include "tools/simulator/ConverterSimulator.h"

#include <QImage>

#include <gtest/gtest.h>

using namespace winorbis;
using namespace winorbis::test;

namespace {

class RecordingHost final : public CommandHost {
public:
    void removeFrames() override { events << "frames"; }
    void setStatusText(const QString& text) override { events << "status " + text; }
    MonitorHold holdMonitor() override {
        events << "hold";
        return MonitorHold(monitor);
    }
    const QImage& txPicture() const override { return picture; }
    void playConfirmation() override { events << "sound"; }

    QStringList events;
    QImage picture = QImage(410, 256, QImage::Format_RGB888);
    TRecThread* monitor = nullptr;
};

struct CommandsFixture : ::testing::Test {
    VirtualClock clock;
    ScriptedDialogs dialogs;
    ConverterLink link{clock, failureBoxes(dialogs)};
    MemoryPort* port = nullptr;
    std::unique_ptr<MemoryConverter> converter;
    PictureTransfer transfer{link, clock};
    CommandGate gate;
    RecordingHost host;
    SilentMonitorHost monitorHost;
    TRecThread monitor{link, gate, monitorHost, clock}; // not started: holds are only counted
    TransmitCommands commands{link, transfer, gate, clock, host};
    // Each plain command byte with the virtual time it was written at.
    std::vector<std::pair<int, std::int64_t>> timed;

    void SetUp() override {
        auto memory = std::make_unique<MemoryPort>(clock);
        port = memory.get();
        link.attachPort(std::move(memory));
        converter = std::make_unique<MemoryConverter>(*port);
        host.picture.fill(Qt::white);
        host.monitor = &monitor;
    }
    // Records the command bytes outside transfers.
    void recordTimes() {
        port->setResponder([this](std::uint8_t byte, MemoryPort&) {
            timed.emplace_back(byte, clock.elapsedMs());
        });
    }
};

} // namespace

TEST_F(CommandsFixture, WithNeitherOptionATransmitWritesOnlyTheModesByte) {
    for (const Mode& m : modeTable()) {
        port->setResponder({});
        const qsizetype before = port->written().size();
        host.events.clear();
        commands.transmit(*modeByName(m.shortName), false, false);
        EXPECT_EQ(port->written().mid(before), QByteArray(1, char(m.txByte)));
        EXPECT_EQ(host.events, QStringList({"frames", "frames", "status " + m.transmitText}));
    }
}

TEST_F(CommandsFixture, PicTxUploadsWithTheMonitorHeldBeforeTheTxByte) {
    bool heldDuringUpload = true;
    transfer.setProgress(
        [&](int, int) { heldDuringUpload = heldDuringUpload && monitor.isHeld(); });
    commands.transmit(ModeId::S2, true, false);
    EXPECT_EQ(converter->uploadedLines(), 256);
    EXPECT_TRUE(heldDuringUpload);
    EXPECT_FALSE(monitor.isHeld());
    EXPECT_EQ(host.events.mid(0, 4),
              QStringList({"frames", "status Load picture from PC to Orbis 70", "hold", "frames"}));
    EXPECT_EQ(port->written().back(), char(54));
    EXPECT_EQ(port->written().front(), char(1));
}

TEST_F(CommandsFixture, AFailedUploadDoesNotStopTheSending) {
    converter->ackBeginTransfer = false;
    commands.transmit(ModeId::R36, true, false);
    EXPECT_EQ(dialogs.texts(), QStringList{"Communication error[com]"});
    EXPECT_EQ(port->written(), QByteArray("\x01\x3E", 2));
}

TEST_F(CommandsFixture, AcqTxDigitizesTwiceThenWaitsFourteenSecondsBeforeTheTxByte) {
    recordTimes();
    commands.transmit(ModeId::M1, false, true);
    const std::vector<std::pair<int, std::int64_t>> expected = {{36, 0}, {36, 200}, {56, 14200}};
    EXPECT_EQ(timed, expected);
    EXPECT_TRUE(host.events.contains("status Picture digitize"));
    EXPECT_EQ(
        host.events.last(),
        "status Send in Martin 1, stopped the transfer with the \" RX \" Button on the remote "
        "maintenance");
}

TEST_F(CommandsFixture, TheTenSecondSelfTimerCountsDownDigitizesAndSounds) {
    recordTimes();
    commands.selfTimer10s();
    QStringList countdown;
    for (const QString& e : host.events)
        if (e.startsWith("status Self - timer "))
            countdown << e.mid(7);
    EXPECT_EQ(countdown, QStringList({"Self - timer 1s", "Self - timer 2s", "Self - timer 3s",
                                      "Self - timer 4s", "Self - timer 5s", "Self - timer 6s",
                                      "Self - timer 7s", "Self - timer 8s", "Self - timer 9s",
                                      "Self - timer 10s"}));
    const std::vector<std::pair<int, std::int64_t>> expected = {{36, 10000}, {36, 10200}};
    EXPECT_EQ(timed, expected);
    EXPECT_EQ(host.events.last(), "sound");
}

TEST_F(CommandsFixture, DigitizeSelfTimerMemoryAndFreeRunWriteTheirBytes) {
    recordTimes();
    commands.digitize();
    commands.selfTimer2s();
    commands.memory(1);
    commands.memory(2);
    commands.freeRun(ModeId::R72);
    const std::vector<std::pair<int, std::int64_t>> expected = {{36, 0},   {36, 0},   {36, 200},
                                                                {32, 200}, {33, 200}, {57, 200}};
    EXPECT_EQ(timed, expected);
    EXPECT_TRUE(host.events.contains("status Self - timer after 2s"));
    EXPECT_TRUE(host.events.contains("status Orbis 70 - Memory 2"));
    EXPECT_EQ(host.events.last(),
              "status Free Run Mode R72, stopped use the Button \" RX Stop \" ");
}

// The program's end (a signal) cuts a running wait short: the command stops there and nothing
// more reaches the converter, which would otherwise start to transmit while the program ends.
TEST_F(CommandsFixture, TheProgramsEndDuringAWaitSendsNothingMore) {
    struct Case {
        const char* name;
        int endAtMs;
        std::vector<std::pair<int, std::int64_t>> sent;
    };
    const std::vector<Case> cases = {
        {"ACQ/Tx in its 14 s wait", 5000, {{36, 0}, {36, 200}}},
        {"ACQ/Tx between the digitize bytes", 100, {{36, 0}}},
        {"10 s self-timer", 3500, {}},
        {"2 s self-timer", 100, {{36, 0}}},
    };
    for (const Case& c : cases) {
        VirtualClock local;
        ConverterLink localLink(local, failureBoxes(dialogs));
        auto memory = std::make_unique<MemoryPort>(local);
        MemoryPort* localPort = memory.get();
        localLink.attachPort(std::move(memory));
        PictureTransfer localTransfer(localLink, local);
        CommandGate localGate;
        RecordingHost localHost;
        TransmitCommands localCommands(localLink, localTransfer, localGate, local, localHost);
        std::vector<std::pair<int, std::int64_t>> sent;
        localPort->setResponder(
            [&](std::uint8_t byte, MemoryPort&) { sent.emplace_back(byte, local.elapsedMs()); });
        auto signal = local.createTimer([&] { local.endWaits(); });
        signal->start(c.endAtMs);
        if (std::string(c.name).starts_with("ACQ"))
            localCommands.transmit(ModeId::M1, false, true);
        else if (std::string(c.name).starts_with("10"))
            localCommands.selfTimer10s();
        else
            localCommands.selfTimer2s();
        EXPECT_EQ(sent, c.sent) << c.name;
        EXPECT_FALSE(localHost.events.contains("sound")) << c.name;
    }
}

TEST_F(CommandsFixture, TheProgramsEndDuringAPicTxUploadStopsItAndSendsNoTxByte) {
    int lines = 0;
    transfer.setProgress([&](int position, int) {
        lines = position;
        if (position == 40)
            clock.endWaits();
    });
    commands.transmit(ModeId::S2, true, false);
    EXPECT_EQ(lines, 40);
    EXPECT_LT(converter->uploadedLines(), 45);
    EXPECT_NE(port->written().back(), char(54));
    EXPECT_FALSE(monitor.isHeld());
}

TEST_F(CommandsFixture, NoCommandStartsWhileAnotherConverterOperationRuns) {
    CommandGate::Operation operation(gate);
    commands.transmit(ModeId::M2, false, false);
    commands.digitize();
    commands.memory(1);
    commands.freeRun(ModeId::S1);
    commands.selfTimer10s();
    EXPECT_TRUE(port->written().isEmpty());
}

TEST(TransmitEndToEnd, EveryModeAndOptionSendsItsBytesToTheSimulatedConverter) {
    ConverterSimulator sim;
    QString device, error;
    ASSERT_TRUE(sim.openPseudoTerminal(&device, &error)) << error.toStdString();
    VirtualClock clock; // the 14 s digitize wait passes in virtual time; the line is real
    ScriptedDialogs dialogs;
    ConverterLink link(clock, failureBoxes(dialogs));
    ASSERT_TRUE(link.OpenConverterPort(LinkSpeed::Baud115200, device));
    PictureTransfer transfer(link, clock);
    CommandGate gate;
    RecordingHost host;
    host.picture.fill(Qt::black);
    TransmitCommands commands(link, transfer, gate, clock, host);

    QByteArray expected;
    int events = 0;
    for (const Mode& m : modeTable()) {
        const ModeId id = *modeByName(m.shortName);
        commands.transmit(id, false, false);
        expected += char(m.txByte);
        commands.transmit(id, false, true);
        expected += QByteArray("\x24\x24", 2) + char(m.txByte);
        events += 4;
    }
    commands.transmit(ModeId::M2, true, false);
    expected += QByteArray("\x01\x08", 2) + pixelcodec::headerLine();
    for (int row = 1; row < 256; ++row)
        expected += '\x08' + pixelcodec::encodeImageRow(host.picture, row);
    expected += char(48);
    events += 1 + 256 + 1;
    ASSERT_TRUE(sim.waitForEvents(events, 5000));
    EXPECT_EQ(sim.received(), expected);
    EXPECT_TRUE(dialogs.texts().isEmpty());
    EXPECT_EQ(sim.events().last(), "transmit Martin 2");
}

TEST_F(CommandsFixture, WhileTheConverterIsLostEveryCommandAnswersAtOnceWithTheLostMessage) {
    port->vanish();
    monitor.start();
    ASSERT_TRUE(pumpUntil([&] { return link.converterLost(); }));
    const std::int64_t t0 = clock.elapsedMs();
    const QString lost = "Connection to the converter lost: waiting for the converter's port";
    const auto answeredAtOnce = [&](const char* what) {
        EXPECT_EQ(host.events.back(), "status " + lost) << what;
        ASSERT_FALSE(dialogs.texts().isEmpty()) << what;
        EXPECT_EQ(dialogs.texts().back(), lost) << what;
        dialogs.clear();
        host.events.clear();
    };
    commands.transmit(ModeId::M1, true, false); // with the upload
    answeredAtOnce("transmit");
    commands.transmit(ModeId::R36, false, true); // with the camera's 14 s
    answeredAtOnce("acq/tx");
    commands.selfTimer10s();
    answeredAtOnce("self-timer");
    commands.freeRun(ModeId::S1);
    answeredAtOnce("free run");
    commands.memory(2);
    answeredAtOnce("memory");
    EXPECT_EQ(clock.elapsedMs() - t0, 0);
    EXPECT_TRUE(port->written().isEmpty());
    EXPECT_EQ(host.events, QStringList()); // nothing held, no frames touched

    // Back: the commands go out again.
    port->setComesBack(true);
    port->setResponder(converterAnswers(0xC4));
    ASSERT_TRUE(pumpUntil([&] { return !link.converterLost(); }));
    const qsizetype before = port->written().size();
    commands.memory(1);
    EXPECT_EQ(port->written().mid(before), QByteArray(1, char(command::kMemory1)));
    monitor.stop();
}
