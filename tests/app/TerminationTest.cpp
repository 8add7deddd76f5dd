// SPDX-License-Identifier: GPL-3.0-or-later
// SIGTERM in the middle of a converter command: the main window on real time, the simulated
// converter on a pseudo-terminal paced like the real line, and the signal delivered to this
// process and handled as the program handles it.
#include "MainWindowFixture.h"

#include "app/TForm1.h"
#include "controls/TNewProgressBar.h"
#include "platform/Clock.h"
#include "platform/TerminationWatcher.h"
#include "support/ScriptedDialogs.h"
#include "tools/simulator/ConverterSimulator.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <QTimer>

#include <gtest/gtest.h>

#include <csignal>
#include <unistd.h>

using namespace winorbis;
using namespace winorbis::test;

namespace {

ConverterSimulator::Options pacedLine() {
    ConverterSimulator::Options options;
    options.paced = true;
    return options;
}

int lineCount(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return -1;
    return int(file.readAll().count("\r\n"));
}

struct TerminationFixture : ::testing::Test {
    ConverterSimulator sim{pacedLine()};
    QTemporaryDir dir;
    ScriptedDialogs dialogs;
    SystemClock clock;
    TerminationWatcher watcher;
    std::unique_ptr<TForm1> form;
    // The converter's bytes and the progress when the program took the signal.
    qsizetype receivedAtSignal = -1;
    int positionAtSignal = -1;

    void SetUp() override {
        QString device, error;
        ASSERT_TRUE(sim.openPseudoTerminal(&device, &error)) << error.toStdString();
        AppServices services{dialogs, clock, dir.path()};
        services.portDevice = device;
        form = std::make_unique<TForm1>(services);
        dialogs.clear();
        QObject::connect(&watcher, &TerminationWatcher::terminationRequested, [this](int) {
            positionAtSignal = form->findChild<TNewProgressBar*>("ProgressBar1")->Position();
            receivedAtSignal = sim.received().size();
            form->Terminate();
        });
    }
    void TearDown() override {
        form.reset();
        // The program's end asks the application to quit; an event loop that runs now takes that
        // request, so the next test's waits are not cut short by it.
        QTimer::singleShot(0, qApp, &QCoreApplication::quit);
        QCoreApplication::exec();
    }

    static void signalAfter(int ms) {
        QTimer::singleShot(ms, [] { ::kill(::getpid(), SIGTERM); });
    }
    // What the converter received after the program took the signal, once the line has settled.
    QByteArray receivedAfterSignal() {
        pumpUntil([] { return false; }, 400);
        return sim.received().mid(receivedAtSignal);
    }
    // The command runs on the converter's worker; the window's events run until the program has
    // ended in order (the monitor has left its loop).
    void runToTheEnd() {
        ASSERT_TRUE(pumpUntil([&] { return form->link().linkState() == LinkState::Ended; }, 20000));
    }
    void expectEndedInOrder() {
        EXPECT_EQ(form->link().linkState(), LinkState::Ended);
        EXPECT_EQ(lineCount(dir.path() + "/COM.DAT"), 585);
        EXPECT_TRUE(QFile::exists(dir.path() + "/start.bmp"));
        EXPECT_TRUE(dialogs.texts().isEmpty()) << dialogs.texts().join('|').toStdString();
    }
};

} // namespace

TEST_F(TerminationFixture, DuringAFetchThePartialPictureIsKeptAndNoLineIsAskedForAfterwards) {
    QImage frame(420, 256, QImage::Format_RGB888);
    frame.fill(qRgb(0, 0, 255));
    sim.receive(172, frame);
    ASSERT_TRUE(pumpUntil([&] { return form->receiveTimerRunning(); }));
    signalAfter(1500);
    form->FromOrbisClick();
    runToTheEnd();
    ASSERT_GT(positionAtSignal, 0);
    ASSERT_LT(positionAtSignal, 200);
    expectEndedInOrder();
    // The lines asked for are exactly the lines drawn, and the one in progress at the signal was
    // the last: nothing was requested afterwards.
    receivedAfterSignal();
    const qsizetype asked = sim.received().count('\x04');
    EXPECT_EQ(asked, form->findChild<TNewProgressBar*>("ProgressBar1")->Position());
    EXPECT_LE(asked, positionAtSignal + 2);
    receivedAfterSignal();
    EXPECT_EQ(sim.received().count('\x04'), asked);
    // The received part is where a failed fetch keeps it: the mini slot file.
    const QImage partial(dir.path() + "/Kleinbilder/Bild1.bmp");
    ASSERT_FALSE(partial.isNull());
    EXPECT_EQ(partial.pixel(200, 2), qRgb(0, 0, 252) | 0xFF000000u);
}

TEST_F(TerminationFixture, DuringAnUploadTheTransferStopsAtItsNextLine) {
    signalAfter(1500);
    form->ToOrbisClick();
    runToTheEnd();
    ASSERT_GT(positionAtSignal, 0);
    ASSERT_LT(positionAtSignal, 200);
    expectEndedInOrder();
    // At most the line in progress when the signal came is finished; no further line begins.
    const QStringList received = sim.events().filter("line ");
    EXPECT_LE(received.size(), positionAtSignal + 2);
}

TEST_F(TerminationFixture, DuringTheTenSecondSelfTimerNothingIsDigitized) {
    signalAfter(1500);
    form->station().selfTimer10s();
    runToTheEnd();
    expectEndedInOrder();
    EXPECT_FALSE(sim.received().contains('\x24'));
    EXPECT_FALSE(receivedAfterSignal().contains('\x24'));
}

TEST_F(TerminationFixture, DuringTheAcqTxWaitTheTransmissionNeverStarts) {
    form->findChild<QWidget*>("ACQandTX")->setProperty("checked", true);
    signalAfter(1500);
    form->transmitClick(ModeId::Martin1);
    runToTheEnd();
    expectEndedInOrder();
    EXPECT_EQ(sim.received().count('\x24'), 2); // both digitize bytes, 200 ms apart
    EXPECT_FALSE(sim.received().contains(char(56)));
}

TEST_F(TerminationFixture, ClosingTheWindowDuringTheSelfTimerEndsItAtOnceWithoutDigitizing) {
    // The window's close button, answered "Yes", 1.5 s into the 10 s wait.
    QTimer::singleShot(1500, [this] { form->close(); });
    QElapsedTimer waited;
    waited.start();
    form->station().selfTimer10s();
    ASSERT_TRUE(pumpUntil([&] { return !form->station().busy(); }, 10000));
    EXPECT_LT(waited.elapsed(), 3000);
    EXPECT_EQ(dialogs.texts(), QStringList({"WinOrbis 70p close?"}));
    EXPECT_FALSE(receivedAfterSignal().contains('\x24'));
    EXPECT_FALSE(sim.received().contains('\x24'));
}
