// SPDX-License-Identifier: GPL-3.0-or-later
// The spectrum analyzer window on a recording input fed from the test: its layout, capture while
// it is shown, the display drawn from generated tones, the failures shown, and the recording
// device chosen by the operator and kept from run to run.
#include "analyzer/Tunit8.h"
#include "FakeAudioInput.h"
#include "analyzer/AnalyzerTexts.h"
#include "analyzer/DisplayBox.h"
#include "analyzer/TuningDisplay.h"
#include "controls/TFlyingButton.h"
#include "platform/ProgramFolder.h"
#include "settings/StationOptions.h"
#include "support/ScriptedDialogs.h"

#include <QFile>
#include <QFrame>
#include <QLabel>
#include <QListWidget>
#include <QMenu>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

#include <cmath>
#include <numbers>
#include <vector>

using namespace winorbis;
using namespace winorbis::test;

namespace {

constexpr int Period = TSoundDevice::BufferLength;

// Unsigned 8-bit audio at 8000 Hz, tones following each other without a phase jump.
struct Audio {
    Audio& tone(double hertz, int count) {
        for (int i = 0; i < count; ++i) {
            samples.push_back(std::uint8_t(std::lround(128.0 + 100.0 * std::sin(phase))));
            phase =
                std::fmod(phase + 2.0 * std::numbers::pi * hertz / 8000.0, 2.0 * std::numbers::pi);
        }
        return *this;
    }
    std::vector<std::uint8_t> samples;
    double phase = 0.0;
};

// The display's columns whose green curve reaches the top row.
std::vector<int> columnsAtTheTop(const QImage& canvas) {
    std::vector<int> columns;
    for (int x = 0; x < canvas.width(); ++x) {
        if (canvas.pixelColor(x, 0) == QColor(0, 255, 0))
            columns.push_back(x);
    }
    return columns;
}

struct AnalyzerWindow : ::testing::Test {
    ScriptedDialogs dialogs;
    FakeAudioInput* input = nullptr; // owned by the window
    std::unique_ptr<Tunit8> window;

    void make(std::function<void(FakeAudioInput&)> setUp = {}) {
        auto fake = std::make_unique<FakeAudioInput>();
        input = fake.get();
        if (setUp)
            setUp(*fake);
        window = std::make_unique<Tunit8>(dialogs, std::move(fake));
    }
    void SetUp() override { make(); }
    template <typename T> T* control(const char* name) {
        return window->findChild<T*>(QString::fromLatin1(name));
    }
    void feed(const std::vector<std::uint8_t>& samples) { input->feed(samples); }
    const QImage& canvas() const { return window->displayBox().canvas(); }
};

} // namespace

TEST_F(AnalyzerWindow, LayoutHasItsPlacesTextsAndFilterList) {
    EXPECT_EQ(window->size(), QSize(365, 107));
    EXPECT_EQ(window->windowTitle(), "Spectrum Analyzer");
    EXPECT_TRUE(window->windowFlags() & Qt::WindowStaysOnTopHint);
    EXPECT_FALSE(window->windowFlags() & Qt::WindowMaximizeButtonHint);
    auto* panel = control<QFrame>("Panel1");
    ASSERT_TRUE(panel);
    EXPECT_EQ(panel->geometry(), QRect(8, 8, 273, 89));
    EXPECT_EQ(panel->frameShadow(), QFrame::Sunken);
    EXPECT_EQ(control<DisplayBox>("PaintBox1")->geometry(), QRect(8, 8, 256, 60));
    EXPECT_EQ(control<DisplayBox>("PaintBox1")->parent(), panel);
    auto* scale = control<QLabel>("Image1");
    EXPECT_EQ(scale->geometry(), QRect(8, 68, 256, 15));
    const QImage picture = scale->pixmap().toImage();
    ASSERT_EQ(picture.size(), QSize(256, 15));
    for (const int tick : {39, 85, 213})
        EXPECT_EQ(picture.pixelColor(tick, 1), Qt::black) << tick;
    EXPECT_EQ(picture.pixelColor(60, 1), Qt::yellow);

    auto* help = control<TFlyingButton>("FlyingButton1");
    auto* exit = control<TFlyingButton>("FlyingButton2");
    EXPECT_EQ(help->geometry(), QRect(295, 40, 66, 25));
    EXPECT_EQ(exit->geometry(), QRect(296, 80, 66, 25));
    EXPECT_EQ(help->Text(), "Help");
    EXPECT_EQ(exit->Text(), "Exit");
    EXPECT_EQ(help->FaceColor(), colours::clSilver);

    auto* list = control<QListWidget>("FilterDaten1");
    EXPECT_FALSE(list->isEnabled());
    EXPECT_TRUE(list->isHidden());
    ASSERT_EQ(list->count(), 37);
    EXPECT_EQ(list->item(0)->text(), "36");
    EXPECT_EQ(list->item(1)->text(), "0,00506761234978022");
    // A fresh window shows a black display.
    EXPECT_EQ(canvas().pixelColor(128, 30), Qt::black);
}

TEST_F(AnalyzerWindow, ShowingRecordsAndClosingStopsWithoutResettingTheAnalysis) {
    window->show();
    EXPECT_EQ(input->calls, QStringList({"open", "start"}));
    EXPECT_EQ(input->format, (RecordingFormat{1, 1, 8000}));
    EXPECT_TRUE(window->soundDevice().isPrepared());
    // Samples reach the analysis a buffer at a time; the first display comes with the first
    // sample of the second buffer.
    feed(Audio().tone(1900, Period).samples);
    EXPECT_EQ(window->periodsShown(), 0);
    EXPECT_EQ(window->analysis().phaseCounter(), Period);
    feed(Audio().tone(1900, Period).samples);
    EXPECT_EQ(window->periodsShown(), 1);

    // "Tune" again only brings the window to the front.
    window->showOrRaise();
    EXPECT_EQ(input->calls.count("open"), 1);

    // The part of a buffer recorded when the window closes is still analysed.
    feed(Audio().tone(1900, 60).samples);
    input->pending = Audio().tone(1900, 40).samples;
    QTest::mouseClick(control<TFlyingButton>("FlyingButton2"), Qt::LeftButton);
    EXPECT_FALSE(window->isVisible());
    EXPECT_FALSE(window->soundDevice().isOpen());
    EXPECT_EQ(input->calls.mid(2), QStringList({"stop", "stop", "close"}));
    EXPECT_EQ(window->analysis().phaseCounter(), 2 * Period + 100);
    feed(Audio().tone(1900, Period).samples);
    EXPECT_EQ(window->analysis().phaseCounter(), 2 * Period + 100);

    // Shown again, it goes on where it stopped: the third display comes 3572 samples after the
    // second.
    window->show();
    EXPECT_EQ(input->calls.count("open"), 2);
    feed(Audio().tone(1900, Period).samples);
    EXPECT_EQ(window->analysis().phaseCounter(), 3 * Period + 100);
    EXPECT_EQ(window->periodsShown(), 3);
    EXPECT_TRUE(dialogs.shown().isEmpty());
}

TEST_F(AnalyzerWindow, TonesSitAtTheScaleColumnsAndTheSyncMarkerIsRed) {
    struct Case {
        double hertz;
        int column;
    };
    for (const Case c : {Case{1200, 38}, Case{1500, 83}, Case{1900, 149}, Case{2300, 214}}) {
        make();
        window->show();
        feed(Audio().tone(c.hertz, 4 * Period).samples);
        ASSERT_EQ(window->periodsShown(), 3) << c.hertz;
        EXPECT_NEAR(tuningdisplay::summarize(window->lastPeriod()).mean, c.column, 0.5) << c.hertz;
        // The curve leaves the top only around the tone's column.
        const std::vector<int> top = columnsAtTheTop(canvas());
        ASSERT_FALSE(top.empty()) << c.hertz;
        EXPECT_GE(top.front(), c.column - 5) << c.hertz;
        EXPECT_LE(top.back(), c.column + 5) << c.hertz;
        // It starts at the bottom left, and a steady tone draws no red marker.
        EXPECT_EQ(canvas().pixelColor(0, 57), QColor(0, 255, 0)) << c.hertz;
        for (int x = 0; x < 256; ++x)
            ASSERT_NE(canvas().pixelColor(x, 59), QColor(255, 0, 0)) << c.hertz << " at " << x;
    }
    // Sync pulses of 40 samples, recorded as 39 (the filter rounds their edges): the marker at
    // column 80 - 39, from the bottom to the top.
    make();
    window->show();
    Audio audio;
    for (int i = 0; i < 17; ++i)
        audio.tone(1900, 800).tone(1200, 40);
    feed(audio.samples);
    ASSERT_EQ(window->periodsShown(), 2);
    EXPECT_EQ(window->lastPeriod().syncLength, 39);
    EXPECT_EQ(canvas().pixelColor(41, 0), QColor(255, 0, 0));
    EXPECT_EQ(canvas().pixelColor(41, 59), QColor(255, 0, 0));
}

TEST_F(AnalyzerWindow, WithoutRecordingDeviceTheWindowStaysOpenAndNeverUpdates) {
    make([](FakeAudioInput& fake) { fake.withoutDevices(); });
    window->show();
    EXPECT_TRUE(window->isVisible());
    ASSERT_EQ(dialogs.texts(), QStringList({"No recording device is present."}));
    feed(Audio().tone(1900, 3 * Period).samples);
    EXPECT_EQ(window->periodsShown(), 0);
    EXPECT_TRUE(columnsAtTheTop(canvas()).empty());
    // The right-click menu says so too.
    QMenu* menu = window->recordingDeviceMenu();
    ASSERT_EQ(menu->actions().size(), 2);
    EXPECT_EQ(menu->actions()[1]->text(), "No recording device is present.");
    EXPECT_FALSE(menu->actions()[1]->isEnabled());
    window->close();
    EXPECT_FALSE(window->isVisible());
}

TEST_F(AnalyzerWindow, HelpBeepsAndExplainsTheConnection) {
    QTest::mouseClick(control<TFlyingButton>("FlyingButton1"), Qt::LeftButton);
    ASSERT_EQ(dialogs.shown().size(), 2);
    EXPECT_EQ(dialogs.shown()[0].what, "beep");
    EXPECT_EQ(dialogs.shown()[0].text, "2");
    EXPECT_EQ(dialogs.shown()[1].text,
              "Connect the Microphone or NF Input(Line In) from the Soundcard with the SP IN vom "
              "Orbis 70p or the Speaker from Tranceivers.");
}

TEST_F(AnalyzerWindow, TheChosenRecordingDeviceIsUsedAtOnceAndKeptFromRunToRun) {
    QTemporaryDir dir;
    const ProgramFolder folder(dir.path());
    const auto twoCards = [](FakeAudioInput& fake) {
        fake.present = {{"pci-analog", "Built-in Audio"}, {"usb-codec", "USB Audio CODEC"}};
    };
    make(twoCards);
    window->setProgramFolder(folder);
    window->show();
    EXPECT_EQ(input->openedDevice, "pci-analog");

    QMenu* menu = window->recordingDeviceMenu();
    QStringList texts;
    for (QAction* action : menu->actions()) {
        if (!action->isSeparator())
            texts << action->text();
    }
    EXPECT_EQ(texts,
              QStringList({"Default recording device", "Built-in Audio", "USB Audio CODEC"}));
    EXPECT_TRUE(menu->actions()[0]->isChecked());
    menu->actions().back()->trigger();
    EXPECT_EQ(input->openedDevice, "usb-codec");
    EXPECT_TRUE(window->displayBox().toolTip().startsWith("Recording from: USB Audio CODEC\n"));
    EXPECT_EQ(input->calls.count("open"), 2);
    EXPECT_TRUE(input->started);
    EXPECT_EQ(StationOptions::load(folder).value("RecordingDevice"), "usb-codec");
    EXPECT_FALSE(QFile::exists(folder.path(u"\\COM.DAT")));

    // The next run records from it; while it is unplugged it stays chosen.
    make([](FakeAudioInput& fake) { fake.present = {{"pci-analog", "Built-in Audio"}}; });
    window->setProgramFolder(folder);
    EXPECT_EQ(input->chosen(), "usb-codec");
    menu = window->recordingDeviceMenu();
    EXPECT_TRUE(menu->actions().back()->isChecked());
    EXPECT_EQ(menu->actions().back()->text(), "usb-codec (not present)");
    make(twoCards);
    window->setProgramFolder(folder);
    window->show();
    EXPECT_EQ(input->openedDevice, "usb-codec");
    EXPECT_TRUE(window->recordingDeviceMenu()->actions().back()->isChecked());

    // Back to the default device.
    window->recordingDeviceMenu()->actions().front()->trigger();
    EXPECT_EQ(StationOptions::load(folder).value("RecordingDevice", "none"), "");
    EXPECT_EQ(input->openedDevice, "pci-analog");
    EXPECT_TRUE(dialogs.shown().isEmpty());
}
