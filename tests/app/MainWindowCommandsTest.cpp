// SPDX-License-Identifier: GPL-3.0-or-later
// The main window's transmit and capture controls and option boxes, against a converter in memory.
#include "MainWindowFixture.h"

#include "app/HandheldWindowWiring.h"
#include "app/TForm1.h"
#include "controls/TFlyingButton.h"
#include "handheld/TForm4.h"
#include "support/MemoryConverter.h"
#include "support/ScriptedDialogs.h"
#include "support/VirtualClock.h"

#include <QAction>
#include <QCheckBox>
#include <QFile>
#include <QMouseEvent>
#include <QStatusTipEvent>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QToolButton>

#include <gtest/gtest.h>

#include <atomic>
#include <mutex>
#include <thread>

using namespace winorbis;
using namespace winorbis::test;

namespace {

struct CommandsWindowFixture : MainWindowFixture {
    void SetUp() override {
        start();
        form->show();
    }
};

} // namespace

TEST_F(CommandsWindowFixture, PicTxAndAcqTxExcludeEachOtherAndPicTxIsKept) {
    auto* picTx = control<QCheckBox>("CheckBox3");
    auto* acqTx = control<QCheckBox>("ACQandTX");
    EXPECT_TRUE(picTx->isChecked()); // from the settings of a first start
    EXPECT_FALSE(acqTx->isChecked());
    acqTx->click();
    EXPECT_TRUE(acqTx->isChecked());
    EXPECT_FALSE(picTx->isChecked());
    picTx->click();
    EXPECT_TRUE(picTx->isChecked());
    EXPECT_FALSE(acqTx->isChecked());
    picTx->click(); // clearing changes nothing else
    EXPECT_FALSE(picTx->isChecked());
    EXPECT_FALSE(acqTx->isChecked());
    form.reset();
    QFile comDat(dir.path() + "/COM.DAT");
    ASSERT_TRUE(comDat.open(QIODevice::ReadOnly));
    EXPECT_EQ(comDat.readAll().split('\n').value(582).trimmed(), "0");
}

TEST_F(CommandsWindowFixture, TheModeButtonsTransmitAfterTheUploadWhenPicTxIsChecked) {
    QTest::mouseClick(control<TFlyingButton>("FlyingButton4"), Qt::LeftButton);
    settle();
    EXPECT_EQ(converter->uploadedLines(), 256);
    EXPECT_EQ(port->written().back(), char(48));
    EXPECT_EQ(form->statusText(), "Send in Martin 2, stopped the transfer with the \" RX \" "
                                  "Button on the remote maintenance");

    control<QCheckBox>("CheckBox3")->click(); // neither box: the byte alone
    const qsizetype before = port->written().size();
    QTest::mouseClick(control<TFlyingButton>("FlyingButton1"), Qt::LeftButton);
    settle();
    EXPECT_EQ(sentSince(before), QByteArray(1, char(62)));
}

TEST_F(CommandsWindowFixture, AcqTxSendsTwoDigitizeBytesAndWaitsFourteenSeconds) {
    control<QCheckBox>("ACQandTX")->click();
    const qsizetype before = port->written().size();
    const auto start = clock.elapsedMs();
    QTest::mouseClick(control<TFlyingButton>("FlyingButton6"), Qt::LeftButton);
    settle();
    EXPECT_EQ(sentSince(before), QByteArray("\x24\x24\x36", 3));
    EXPECT_GE(clock.elapsedMs() - start, 14200);
}

TEST_F(CommandsWindowFixture, TheFreeRunMemoryAndDigitizeControlsWriteTheirBytes) {
    const qsizetype before = port->written().size();
    QTest::mouseClick(control<TFlyingButton>("FlyingButton9"), Qt::LeftButton);
    settle();
    EXPECT_EQ(form->statusText(), "Free Run Mode M1, stopped use the Button \" RX Stop \"");
    control<QToolButton>("SpeedButton7")->click();
    settle();
    control<QToolButton>("SpeedButton8")->click();
    settle();
    control<QToolButton>("SpeedButton16")->click();
    settle();
    control<QAction>("Selbstauslser2s1")->trigger();
    settle();
    EXPECT_EQ(sentSince(before), QByteArray("\x3A\x20\x21\x24\x24\x24", 6));
}

TEST_F(CommandsWindowFixture, TheTenSecondSelfTimerInANewFolderEndsWithoutABox) {
    // The start-up wrote the confirmation sound the self-timer plays.
    EXPECT_TRUE(QFile::exists(form->programFolder().path(u"\\ok.wav")));
    control<QAction>("VerzgerterAuslser10s1")->trigger();
    settle();
    EXPECT_TRUE(port->written().endsWith("\x24\x24"));
    EXPECT_TRUE(dialogs.texts().isEmpty()) << dialogs.texts().join('|').toStdString();
}

TEST_F(CommandsWindowFixture, TheTenSecondSelfTimerWithoutOkWavShowsTheError) {
    ASSERT_TRUE(QFile::remove(form->programFolder().path(u"\\ok.wav")));
    control<QAction>("VerzgerterAuslser10s1")->trigger();
    settle();
    EXPECT_TRUE(port->written().endsWith("\x24\x24"));
    ASSERT_EQ(dialogs.texts().size(), 1);
    EXPECT_TRUE(dialogs.texts().first().contains("ok.wav"));
}

TEST_F(CommandsWindowFixture, MovingTheMouseOverAControlShowsItsStatusText) {
    auto move = [&](const char* name) {
        QWidget* w = control<QWidget>(name);
        QMouseEvent event(QEvent::MouseMove, QPointF(3, 3), w->mapToGlobal(QPointF(3, 3)),
                          Qt::NoButton, Qt::NoButton, Qt::NoModifier);
        QCoreApplication::sendEvent(w, &event);
        return form->statusText();
    };
    EXPECT_EQ(move("SpeedButton16"), "Digitize ");
    EXPECT_EQ(move("SpeedButton18"), "Self - timer after 10s");
    EXPECT_EQ(move("ACQandTX"), "Digitize and send in the selected TX Mode");
    EXPECT_EQ(move("CheckBox2"), "The Picture is download automatical from Orbis 70");
}

TEST_F(CommandsWindowFixture, SavePicAutoShowsItsColourFromTheStartInEitherState) {
    auto colour = [&] {
        return control<QCheckBox>("CheckBox2")->palette().color(QPalette::WindowText);
    };
    EXPECT_EQ(colour(), QColor(0, 255, 0)); // checked at a first start
    control<QCheckBox>("CheckBox2")->click();
    EXPECT_EQ(colour(), QColor(255, 0, 0));
    form.reset();
    start();
    EXPECT_FALSE(control<QCheckBox>("CheckBox2")->isChecked());
    EXPECT_EQ(colour(), QColor(255, 0, 0)) << "saved unchecked: red from the start";
    EXPECT_TRUE(control<TFlyingButton>("FromOrbis")->isEnabled());
}

TEST_F(CommandsWindowFixture, OpeningAMenuLeavesTheStatusText) {
    form->setStatusText("Load picture from Orbis 70 to PC");
    QStatusTipEvent empty{QString()};
    QCoreApplication::sendEvent(form.get(), &empty);
    EXPECT_EQ(form->statusText(), "Load picture from Orbis 70 to PC");
}

TEST_F(CommandsWindowFixture, TheMenuKeysAreThoseOfTheCommands) {
    const std::pair<const char*, const char*> keys[] = {
        {"Digitalisieren1", "F2"}, {"Selbstauslser2s1", "F3"}, {"VerzgerterAuslser10s1", "F4"},
        {"Bildspeicher11", "F6"},  {"Bildspeicher21", "F7"},   {"PCOrbis701", "F10"},
        {"Orbis70PC1", "F11"},     {"RXStop1", "F12"}};
    for (const auto& [name, key] : keys)
        EXPECT_EQ(control<QAction>(name)->shortcut(), QKeySequence(QString::fromLatin1(key)))
            << name;
}

// The handheld's window, opened from the main window: every exchange with the handheld runs on
// the converter's worker, none on the window's thread, and the window shows what it answered and
// closes in order.
TEST_F(CommandsWindowFixture, TheHandheldWindowTalksToTheHandheldOnTheConvertersWorker) {
    const auto windowThread = std::this_thread::get_id();
    std::atomic<int> writtenOnWindowThread{0};
    std::mutex mutex;
    QByteArray heard, params;
    // A VC-H1: its switches, its 64-byte block, and an acknowledge for everything else.
    port->setResponder([&](std::uint8_t byte, MemoryPort& line) {
        if (std::this_thread::get_id() == windowThread)
            ++writtenOnWindowThread;
        std::lock_guard lock(mutex);
        heard.append(char(byte));
        params.append(char(byte));
        const auto command = std::uint8_t(params[0]);
        const int got = int(params.size()) - 1;
        if (got == 0 && (command == 16 || command == 101)) {
            line.arrive(command == 16 ? QByteArray("\x00\x96\x00", 3)
                                      : QByteArray(64, 'A') + QByteArray(1, '\0'));
            params.clear();
            return;
        }
        const int needed = command == 96 ? 5 : 1;
        if (got == 0)
            line.arrive(QByteArray(1, '\x06'));
        else if (got >= needed) {
            line.arrive(command == 96 ? QByteArray("\xff\x00\x00\x00\x01\x02", 6)
                                      : QByteArray("\x06\x00", 2));
            params.clear();
        }
    });
    TForm4 window;
    QTimer close;
    QObject::connect(&close, &QTimer::timeout, &window, [&] {
        if (window.isVisible() && !window.busy())
            window.reject();
    });
    close.start(10);
    Button5Click(*form, window, dialogs, clock);

    EXPECT_EQ(writtenOnWindowThread, 0);
    EXPECT_TRUE(window.controller().panel().answered);
    EXPECT_EQ(window.data().HandheldFlags, 0x96);
    std::lock_guard lock(mutex);
    EXPECT_TRUE(heard.startsWith(QByteArray(1, char(handheldcommand::kReadFlags))))
        << heard.toHex().toStdString();
    EXPECT_TRUE(heard.contains(char(handheldcommand::kReadBlock)));
    EXPECT_FALSE(form->station().busy());
}
