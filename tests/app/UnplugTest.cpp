// SPDX-License-Identifier: GPL-3.0-or-later
// The main window on real time with the simulated converter behind a stable name, unplugged and
// plugged in again as a USB adapter is, and behind ser2net on 127.0.0.1, stopped and started
// again, while the receive monitor watches.
#include "app/TForm1.h"
#include "controls/TNewProgressBar.h"
#include "platform/Clock.h"
#include "platform/ConsoleDialogs.h"
#include "support/EventPump.h"
#include "support/ScriptedDialogs.h"
#include "tools/simulator/ConverterSimulator.h"
#include "tools/simulator/Ser2netServer.h"

#include <QCheckBox>
#include <QElapsedTimer>
#include <QLabel>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>

using namespace winorbis;
using namespace winorbis::test;

namespace {

// Standard error's notes, as far as they have been written.
struct CapturedNotes {
    char* text = nullptr;
    std::size_t size = 0;
    std::FILE* stream = open_memstream(&text, &size);
    ConsoleNotes::Scope scope{QStringLiteral("winorbis"), stream};
    ~CapturedNotes() {
        std::fclose(stream);
        std::free(text);
    }
    QString written() {
        std::fflush(stream);
        return QString::fromLocal8Bit(text, qsizetype(size));
    }
};

} // namespace

TEST(Unplug, TheMonitorSaysTheConverterIsLostAndFindsItAgainUnderTheSameName) {
    QTemporaryDir dir;
    ConverterSimulator sim;
    const QString name = dir.filePath("Orbis70p");
    QString error;
    ASSERT_TRUE(sim.openPseudoTerminalAt(name, &error)) << error.toStdString();
    ScriptedDialogs dialogs;
    SystemClock clock;
    CapturedNotes notes;
    AppServices services{dialogs, clock, dir.path()};
    services.portDevice = name;
    auto form = std::make_unique<TForm1>(services);
    dialogs.clear();

    sim.unplug();
    const QString lost = "Connection to the converter lost: waiting for " + name;
    ASSERT_TRUE(pumpUntil([&] { return form->statusText() == lost; }))
        << form->statusText().toStdString();
    EXPECT_TRUE(notes.written().contains("winorbis: " + lost + "\n"));

    const int identifiesBefore = int(sim.events().count("identify"));
    ASSERT_TRUE(sim.plugIn(&error)) << error.toStdString();
    ASSERT_TRUE(pumpUntil([&] { return form->statusText() == "Converter connected again"; }))
        << form->statusText().toStdString();
    EXPECT_EQ(sim.events().count("identify"), identifiesBefore + 1);
    EXPECT_TRUE(notes.written().contains("winorbis: Converter connected again\n"));

    // Watched as before: a reception is announced.
    sim.receive(172, QImage());
    EXPECT_TRUE(pumpUntil([&] { return form->receiveTimerRunning(); }));
    EXPECT_TRUE(dialogs.texts().isEmpty()) << dialogs.texts().join('|').toStdString();
    form.reset();
}

TEST(Unplug, TheWindowWatchesAConverterBehindSer2netAndFindsItAgainAfterTheServerRestarts) {
    QTemporaryDir dir;
    ConverterSimulator sim;
    QString device, error;
    ASSERT_TRUE(sim.openPseudoTerminal(&device, &error)) << error.toStdString();
    Ser2netServer server(device, true);
    ASSERT_TRUE(server.start(&error)) << error.toStdString();
    sim.setIdentifyAnswer(196);
    ScriptedDialogs dialogs;
    SystemClock clock;
    CapturedNotes notes;
    AppServices services{dialogs, clock, dir.path()};
    services.portDevice = server.portName();
    auto form = std::make_unique<TForm1>(services);
    EXPECT_EQ(form->link().LastStatus(), 196);
    // A first start has no start picture yet; the converter answered.
    EXPECT_EQ(dialogs.texts().filter("Orbis 70p").size(), 0);
    EXPECT_EQ(dialogs.texts().filter("interface").size(), 0);
    dialogs.clear();

    server.kill();
    const QString lost = "Connection to the converter lost: waiting for " + server.hostPort();
    ASSERT_TRUE(pumpUntil([&] { return form->statusText() == lost; }))
        << form->statusText().toStdString();
    ASSERT_TRUE(server.start(&error)) << error.toStdString();
    ASSERT_TRUE(pumpUntil([&] { return form->statusText() == "Converter connected again"; }))
        << form->statusText().toStdString();
    EXPECT_EQ(notes.written().count(lost), 1);

    sim.receive(172, QImage());
    EXPECT_TRUE(pumpUntil([&] { return form->receiveTimerRunning(); }));
    EXPECT_TRUE(dialogs.texts().isEmpty()) << dialogs.texts().join('|').toStdString();
    form.reset();
}

TEST(Unplug, WhileLostATransmitAnswersAtOnceAndTheStatusBarKeepsTheLostText) {
    QTemporaryDir dir;
    ConverterSimulator sim;
    const QString name = dir.filePath("Orbis70p");
    QString error;
    ASSERT_TRUE(sim.openPseudoTerminalAt(name, &error)) << error.toStdString();
    ScriptedDialogs dialogs;
    SystemClock clock;
    CapturedNotes notes;
    AppServices services{dialogs, clock, dir.path()};
    services.portDevice = name;
    auto form = std::make_unique<TForm1>(services);
    auto* field = form->findChild<QLabel*>("ConverterField");
    ASSERT_NE(field, nullptr);
    EXPECT_EQ(field->text(), "Serial device " + name + ": connected");
    dialogs.clear();

    sim.unplug();
    const QString lost = "Connection to the converter lost: waiting for " + name;
    ASSERT_TRUE(pumpUntil([&] { return form->statusText() == lost; }));
    EXPECT_EQ(field->text(), "Serial device " + name + ": lost, reconnecting");
    // "R 36" with "Pic / Tx": an upload into a gone device would wait out its time-outs.
    form->findChild<QCheckBox*>("CheckBox3")->setChecked(true);
    QElapsedTimer answered;
    answered.start();
    form->transmitClick(ModeId::Robot36);
    form->ToOrbisClick();
    form->FromOrbisClick();
    EXPECT_LT(answered.elapsed(), 2000);
    EXPECT_EQ(dialogs.texts(), QStringList({lost, lost, lost}));
    EXPECT_EQ(form->statusText(), lost);

    ASSERT_TRUE(sim.plugIn(&error)) << error.toStdString();
    ASSERT_TRUE(pumpUntil([&] { return form->statusText() == "Converter connected again"; }));
    EXPECT_EQ(field->text(), "Serial device " + name + ": connected");
    form.reset();
}

TEST(Unplug, TheProgressBarCountsAReceptionsTimeUntilTheReceiveStop) {
    QTemporaryDir dir;
    ConverterSimulator sim;
    QString device, error;
    ASSERT_TRUE(sim.openPseudoTerminal(&device, &error)) << error.toStdString();
    ScriptedDialogs dialogs;
    SystemClock clock;
    AppServices services{dialogs, clock, dir.path()};
    services.portDevice = device;
    auto form = std::make_unique<TForm1>(services);
    auto* bar = form->findChild<TNewProgressBar*>("ProgressBar1");
    ASSERT_NE(bar, nullptr);

    sim.receive(136, QImage()); // Robot 36: 37 s
    ASSERT_TRUE(pumpUntil([&] { return form->receiveTimerRunning(); }));
    EXPECT_EQ(bar->Max(), 370);
    ASSERT_TRUE(pumpUntil([&] { return bar->Position() >= 10; }, 3000)) << bar->Position();
    const int early = bar->Position();
    ASSERT_TRUE(pumpUntil([&] { return bar->Position() > early; }, 2000));
    form->RXSTOPClick();
    ASSERT_TRUE(pumpUntil([&] { return !form->receiveTimerRunning(); }));
    EXPECT_EQ(bar->Position(), 0);
    form.reset();
}
