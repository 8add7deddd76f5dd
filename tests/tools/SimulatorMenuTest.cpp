// SPDX-License-Identifier: GPL-3.0-or-later
// The Simulator menu drives the simulated converter on a pseudo-terminal; the link reads what the
// converter sends.
#include "tools/simulator/ui/SimulatorMenu.h"
#include "converter/Modes.h"
#include "converter/PixelCodec.h"
#include "link/ConverterLink.h"
#include "platform/Clock.h"
#include "support/ScriptedDialogs.h"
#include "support/TestPictures.h"
#include "tools/simulator/ConverterSimulator.h"

#include <QAction>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace winorbis;
using winorbis::test::randomPicture;
using winorbis::test::ScriptedDialogs;
namespace pc = winorbis::pixelcodec;

namespace {

struct SimulatorMenuFixture : ::testing::Test {
    ConverterSimulator sim;
    SystemClock clock;
    ScriptedDialogs dialogs;
    ConverterLink link{clock, failureBoxes(dialogs)};
    SimulatorMenu menu{sim, dialogs};
    QTemporaryDir folder;

    void SetUp() override {
        QString device, error;
        ASSERT_TRUE(sim.openPseudoTerminal(&device, &error)) << error.toStdString();
        ASSERT_TRUE(link.OpenConverterPort(LinkSpeed::Baud115200, device));
    }

    QAction* action(const QString& name) {
        QAction* found = menu.findChild<QAction*>(name);
        EXPECT_NE(found, nullptr) << name.toStdString();
        return found;
    }
    // The next byte the converter sends; -1 when none comes.
    int nextByte() {
        std::uint8_t byte = 0;
        return link.port().readByte(byte) ? byte : -1;
    }
    bool memoryHolds(const QImage& picture) const {
        for (int row = 0; row < pc::kFrameLines; row += 15)
            if (sim.memoryLine(1, row) != pc::encodeImageRow(picture, row))
                return false;
        return true;
    }
};

} // namespace

TEST_F(SimulatorMenuFixture, ATestPictureReceptionSendsTheModesStatusAndANewPictureEachTime) {
    EXPECT_EQ(menu.objectName(), "SimulatorMenu");
    EXPECT_EQ(menu.title(), "&Simulator");
    int frame = 0;
    for (const Mode& m : boxModeRows()) {
        QAction* receive = action("SimulatorReceiveTest" + m.shortName);
        ASSERT_NE(receive, nullptr);
        receive->trigger();
        EXPECT_EQ(nextByte(), m.box->statusByte) << m.shortName.toStdString();
        EXPECT_TRUE(memoryHolds(ConverterSimulator::cameraPicture(++frame)))
            << m.shortName.toStdString();
    }
    EXPECT_EQ(nextByte(), -1);
}

TEST_F(SimulatorMenuFixture, APictureFileReceptionServesThatPictureOnTheNextFetch) {
    const QImage picture = randomPicture(420, 256, 77);
    const QString path = folder.filePath("received.bmp");
    ASSERT_TRUE(picture.save(path));
    dialogs.answerFile(path);
    action("SimulatorReceiveFileS2")->trigger();
    EXPECT_EQ(nextByte(), mode(ModeId::Scottie2).box->statusByte);
    ASSERT_EQ(dialogs.fileRequests().size(), 1);
    EXPECT_TRUE(dialogs.fileRequests()[0].filter.contains("*.jpg"));

    ASSERT_TRUE(link.SendCommandAwaitAck(command::kBeginTransfer));
    link.SendCommandByte(command::kNextLine);
    std::uint8_t line[pc::kFetchLineBytes];
    int got = 0;
    while (got < pc::kFetchLineBytes) {
        const int n = link.port().read(line + got, pc::kFetchLineBytes - got);
        ASSERT_GT(n, 0);
        got += n;
    }
    EXPECT_EQ(QByteArray(reinterpret_cast<char*>(line), pc::kLineBytes),
              pc::encodeImageRow(picture, 0));
    EXPECT_TRUE(memoryHolds(picture));
}

TEST_F(SimulatorMenuFixture, ACancelledOrUnreadablePictureFileBringsNoReception) {
    const QStringList before = sim.events();
    dialogs.answerFile(std::nullopt);
    action("SimulatorReceiveFileM1")->trigger();
    EXPECT_TRUE(dialogs.texts().isEmpty());

    const QString path = folder.filePath("broken.jpg");
    QFile broken(path);
    ASSERT_TRUE(broken.open(QIODevice::WriteOnly));
    broken.write("no picture at all");
    broken.close();
    dialogs.answerFile(path);
    action("SimulatorReceiveFileM1")->trigger();
    ASSERT_EQ(dialogs.texts().size(), 1);
    EXPECT_TRUE(dialogs.texts()[0].contains(path));
    EXPECT_EQ(nextByte(), -1);
    EXPECT_EQ(sim.events(), before);
}

TEST_F(SimulatorMenuFixture, TheStatusBytesWithoutAModeGoOutAlone) {
    action("SimulatorStatus68")->trigger();
    action("SimulatorStatus72")->trigger();
    EXPECT_EQ(nextByte(), kStatusWaitLong);
    EXPECT_EQ(nextByte(), kStatusWaitLonger);
    EXPECT_EQ(nextByte(), -1);
}

TEST_F(SimulatorMenuFixture, ASilentConverterDoesNotAnswerIdentifyUntilItIsSwitchedOff) {
    QAction* silent = action("SimulatorSilent");
    ASSERT_TRUE(silent->isCheckable());
    silent->trigger();
    EXPECT_TRUE(silent->isChecked());
    EXPECT_EQ(link.IdentifyConverter(), 0);
    silent->trigger();
    EXPECT_EQ(link.IdentifyConverter(), 76);
    // The mark follows the simulator when the menu opens.
    sim.setSilent(true);
    emit menu.aboutToShow();
    EXPECT_TRUE(silent->isChecked());
}

TEST_F(SimulatorMenuFixture, ClosingTheLineLeavesTheProgramsPortGoneAndTheMenuIdle) {
    action("SimulatorCloseLine")->trigger();
    EXPECT_FALSE(sim.isRunning());
    EXPECT_EQ(nextByte(), -1);
    EXPECT_TRUE(link.port().hasVanished());
    for (const char* name :
         {"SimulatorReceiveTestR36", "SimulatorStatus68", "SimulatorSilent", "SimulatorCloseLine"})
        EXPECT_FALSE(action(name)->isEnabled()) << name;
}

TEST(SimulatorMenu, AConverterBehindAStableNameIsUnpluggedAndPluggedInAgain) {
    QTemporaryDir dir;
    const QString name = dir.filePath("Orbis70p");
    ConverterSimulator sim;
    QString error;
    ASSERT_TRUE(sim.openPseudoTerminalAt(name, &error)) << error.toStdString();
    ScriptedDialogs dialogs;
    SimulatorMenu menu{sim, dialogs};
    auto* unplug = menu.findChild<QAction*>("SimulatorUnplug");
    auto* plugIn = menu.findChild<QAction*>("SimulatorPlugIn");
    ASSERT_NE(unplug, nullptr);
    ASSERT_NE(plugIn, nullptr);
    emit menu.aboutToShow();
    EXPECT_TRUE(unplug->isEnabled());
    EXPECT_FALSE(plugIn->isEnabled());

    unplug->trigger();
    EXPECT_FALSE(sim.isRunning());
    EXPECT_FALSE(QFileInfo(name).isSymLink()) << "the name goes with the plug";
    EXPECT_FALSE(unplug->isEnabled());
    EXPECT_TRUE(plugIn->isEnabled());

    plugIn->trigger();
    EXPECT_TRUE(sim.isRunning());
    SystemClock clock;
    ConverterLink link{clock, failureBoxes(dialogs)};
    ASSERT_TRUE(link.OpenConverterPort(LinkSpeed::Baud115200, name));
    EXPECT_EQ(link.IdentifyConverter(), 76);
    EXPECT_TRUE(dialogs.texts().isEmpty());
}

TEST(SimulatorMenu, ALineWithoutStableNameOffersNoPlug) {
    ConverterSimulator sim;
    QString device, error;
    ASSERT_TRUE(sim.openPseudoTerminal(&device, &error)) << error.toStdString();
    ScriptedDialogs dialogs;
    SimulatorMenu menu{sim, dialogs};
    EXPECT_EQ(menu.findChild<QAction*>("SimulatorUnplug"), nullptr);
    EXPECT_EQ(menu.findChild<QAction*>("SimulatorPlugIn"), nullptr);
}
