// SPDX-License-Identifier: GPL-3.0-or-later
// The link's exchanges end to end: the program's serial code against the simulated converter
// over a pseudo-terminal.
#include "converter/Modes.h"
#include "converter/PixelCodec.h"
#include "link/ConverterLink.h"
#include "platform/Clock.h"
#include "platform/ConsoleDialogs.h"
#include "support/ScriptedDialogs.h"
#include "tools/simulator/ConverterSimulator.h"

#include <QElapsedTimer>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>

using namespace winorbis;
using winorbis::test::ScriptedDialogs;

namespace {

struct SimulatorFixture : ::testing::Test {
    ConverterSimulator sim;
    SystemClock clock;
    ScriptedDialogs dialogs;
    ConverterLink link{clock, failureBoxes(dialogs)};
    QString device;

    void SetUp() override {
        QString error;
        ASSERT_TRUE(sim.openPseudoTerminal(&device, &error)) << error.toStdString();
        ASSERT_TRUE(link.OpenConverterPort(LinkSpeed::Baud115200, device));
    }
};

} // namespace

TEST_F(SimulatorFixture, IdentifyGetsTheAnswerAndNothingIsLeftOver) {
    sim.setIdentifyAnswer(194);
    EXPECT_EQ(link.IdentifyConverter(), 194);
    EXPECT_EQ(link.LastStatus(), 194);
    std::uint8_t byte;
    EXPECT_FALSE(link.port().readByte(byte)); // the five after the answer were eaten
    EXPECT_TRUE(dialogs.shown().isEmpty());
}

TEST_F(SimulatorFixture, ASilentConverterFailsIdentifyAfterAboutHalfASecond) {
    sim.setSilent(true);
    QElapsedTimer timer;
    timer.start();
    EXPECT_EQ(link.IdentifyConverter(), 0);
    EXPECT_GE(timer.elapsed(), 400);
    EXPECT_EQ(dialogs.count("beep"), 1);
    EXPECT_EQ(dialogs.texts(), QStringList{"No connection to Orbis 70p. Control please the "
                                           "interface (Setup) and the jumper in the Orbis 70p."});
}

TEST_F(SimulatorFixture, ASilentConverterIsNotedWithTheDeviceOnStandardError) {
    sim.setSilent(true);
    char* text = nullptr;
    std::size_t size = 0;
    std::FILE* notes = open_memstream(&text, &size);
    {
        const ConsoleNotes::Scope scope(QStringLiteral("winorbis"), notes);
        EXPECT_EQ(link.IdentifyConverter(), 0);
        sim.setSilent(false);
        sim.setIdentifyAnswer(196);
        EXPECT_EQ(link.IdentifyConverter(), 196); // an answer is not noted
    }
    std::fclose(notes);
    EXPECT_EQ(QByteArray(text, qsizetype(size)),
              "winorbis: no answer from the converter on " + device.toLocal8Bit() + "\n");
    std::free(text);
}

TEST_F(SimulatorFixture, AnUploadedLineIsAcknowledgedAndStored) {
    ASSERT_TRUE(link.SendCommandAwaitAck(command::kBeginTransfer));
    ASSERT_TRUE(link.SendCommandAwaitAck(command::kLineFollows));
    for (char c : pixelcodec::headerLine())
        link.SendCommandByte(std::uint8_t(c));
    ASSERT_TRUE(link.AwaitLineAck());
    EXPECT_EQ(sim.memoryLine(1, 0), pixelcodec::headerLine());
    std::uint8_t byte;
    EXPECT_FALSE(link.port().readByte(byte)); // exactly one byte followed the acknowledge
}

TEST_F(SimulatorFixture, GarbageBeforeTheAcknowledgesIsSkipped) {
    sim.setGarbageBeforeAnswers(7);
    EXPECT_TRUE(link.SendCommandAwaitAck(command::kBeginTransfer));
    EXPECT_EQ(link.IdentifyConverter(), 0x55); // garbage is no help to identify
    EXPECT_TRUE(dialogs.shown().isEmpty());
}

TEST_F(SimulatorFixture, FetchedLinesComeAs841Bytes) {
    ASSERT_TRUE(link.SendCommandAwaitAck(command::kBeginTransfer));
    link.SendCommandByte(command::kNextLine);
    std::uint8_t line[pixelcodec::kFetchLineBytes];
    int got = 0;
    while (got < pixelcodec::kFetchLineBytes) {
        const int n = link.port().read(line + got, pixelcodec::kFetchLineBytes - got);
        ASSERT_GT(n, 0);
        got += n;
    }
    EXPECT_EQ(QByteArray(reinterpret_cast<char*>(line), pixelcodec::kLineBytes),
              sim.memoryLine(1, 0));
}

TEST_F(SimulatorFixture, PlainCommandsReachTheConverterAsSingleBytes) {
    link.SendCommandByte(mode(ModeId::Martin2).box->txByte);
    link.SendCommandByte(mode(ModeId::Scottie1).box->freeRunByte);
    link.SendCommandByte(command::kMemory2);
    link.SendCommandByte(command::kDigitize);
    ASSERT_TRUE(sim.waitForEvents(4, 2000));
    EXPECT_EQ(sim.events(), QStringList({"transmit Martin 2", "free run S1", "memory 2",
                                         "digitize into memory 2"}));
    EXPECT_EQ(sim.received(), QByteArray("\x30\x3c\x21\x24"));
    EXPECT_EQ(sim.activeMemory(), 2);
}

TEST_F(SimulatorFixture, AReceptionSendsItsStatusByteAndFillsTheMemory) {
    QImage red(420, 256, QImage::Format_RGB32);
    red.fill(qRgb(255, 0, 0));
    sim.receive(mode(ModeId::Martin1).box->statusByte, red);
    std::uint8_t byte = 0;
    ASSERT_TRUE(link.port().readByte(byte));
    EXPECT_EQ(byte, 172);
    EXPECT_EQ(sim.memoryPicture(1).pixel(100, 100), qRgb(252, 0, 0));
}

TEST_F(SimulatorFixture, ALineClosedInTheMiddleOfATransferLeavesReadsEmptyWithoutHanging) {
    sim.closeAfterLines(2);
    ASSERT_TRUE(link.SendCommandAwaitAck(command::kBeginTransfer));
    std::uint8_t buffer[pixelcodec::kFetchLineBytes];
    for (int i = 0; i < 2; ++i) {
        link.SendCommandByte(command::kNextLine);
        int got = 0;
        while (got < pixelcodec::kFetchLineBytes) {
            const int n = link.port().read(buffer + got, pixelcodec::kFetchLineBytes - got);
            if (n == 0)
                break;
            got += n;
        }
    }
    ASSERT_TRUE(sim.waitForEvents(4, 2000));
    link.SendCommandByte(command::kNextLine);
    QElapsedTimer timer;
    timer.start();
    EXPECT_EQ(link.port().read(buffer, 10), 0);
    EXPECT_GE(timer.elapsed(), 19); // waited instead of spinning
    EXPECT_TRUE(link.port().hasVanished());
    EXPECT_EQ(link.IdentifyConverter(), 0);
}

TEST(ConverterPort, TheSpeedSelectorSetsTheLineSpeedAndOtherValuesFail) {
    ConverterSimulator sim;
    QString device, error;
    ASSERT_TRUE(sim.openPseudoTerminal(&device, &error)) << error.toStdString();
    SystemClock clock;
    ScriptedDialogs dialogs;
    {
        ConverterLink link(clock, failureBoxes(dialogs));
        ASSERT_TRUE(link.OpenConverterPort(LinkSpeed::Baud1200, device));
        EXPECT_EQ(link.port().baudRate(), 1200);
        EXPECT_EQ(link.port().kind(), "serial device");
    }
    {
        ConverterLink link(clock, failureBoxes(dialogs));
        EXPECT_FALSE(link.OpenConverterPort(LinkSpeed(3), device));
        EXPECT_EQ(dialogs.texts(), QStringList{"No response from the interface"});
    }
}

TEST(PacedConverter, At1200BaudUploadedLinesAreAcknowledgedAndFetchedLinesArriveWhole) {
    // The line's real pace: 840 bytes take 7 s each way, so only a few lines are moved.
    ConverterSimulator sim(ConverterSimulator::Options{.paced = true, .baud = 1200});
    QString device, error;
    ASSERT_TRUE(sim.openPseudoTerminal(&device, &error)) << error.toStdString();
    SystemClock clock;
    ScriptedDialogs dialogs;
    ConverterLink link(clock, failureBoxes(dialogs));
    ASSERT_TRUE(link.OpenConverterPort(LinkSpeed::Baud1200, device));
    QElapsedTimer timer;
    timer.start();

    const QByteArray lines[] = {pixelcodec::headerLine(), QByteArray(pixelcodec::kLineBytes, 'u')};
    ASSERT_TRUE(link.SendCommandAwaitAck(command::kBeginTransfer));
    for (const QByteArray& line : lines) {
        ASSERT_TRUE(link.SendCommandAwaitAck(command::kLineFollows));
        for (char c : line)
            link.SendCommandByte(std::uint8_t(c));
        ASSERT_TRUE(link.AwaitLineAck()) << dialogs.texts().join('\n').toStdString();
    }
    EXPECT_EQ(sim.memoryLine(1, 0), lines[0]);
    EXPECT_EQ(sim.memoryLine(1, 1), lines[1]);
    // Two lines cannot have passed a 1200-baud line in less than 2 x 7 s.
    EXPECT_GE(timer.elapsed(), 13000);

    ASSERT_TRUE(link.SendCommandAwaitAck(command::kBeginTransfer));
    link.SendCommandByte(command::kNextLine);
    std::uint8_t fetched[pixelcodec::kFetchLineBytes];
    // A read that times out is tried again for a while: on a loaded machine the simulator's pace
    // may fall behind the port's timeout, which is no fault of the line.
    int got = 0;
    QElapsedTimer fetching;
    fetching.start();
    while (got < pixelcodec::kFetchLineBytes) {
        const int n = link.port().read(fetched + got, pixelcodec::kFetchLineBytes - got);
        ASSERT_TRUE(n > 0 || fetching.elapsed() < 20000) << "after " << got << " bytes";
        got += std::max(n, 0);
    }
    EXPECT_EQ(QByteArray(reinterpret_cast<char*>(fetched), pixelcodec::kLineBytes), lines[0]);
    std::uint8_t byte;
    EXPECT_FALSE(link.port().readByte(byte));
    EXPECT_TRUE(dialogs.shown().isEmpty());
}
