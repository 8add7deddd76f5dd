// SPDX-License-Identifier: GPL-3.0-or-later
// The main window's "Tune" button opens the spectrum analyzer window of the program, with the
// sound system's own recording input: on a machine without a recording device it says so once.
#include "analyzer/Tunit8.h"
#include "app/AppWindows.h"
#include "app/TForm1.h"
#include "controls/TFlyingButton.h"
#include "support/MemoryPort.h"
#include "support/ScriptedDialogs.h"
#include "support/VirtualClock.h"

#include <QAudioDevice>
#include <QMediaDevices>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

using namespace winorbis;
using namespace winorbis::test;

TEST(TuneButton, OpensTheAnalyzerWithoutBlockingAndOnlyRaisesItWhenShown) {
    QTemporaryDir dir;
    ScriptedDialogs dialogs;
    VirtualClock clock;
    AppServices services{dialogs, clock, dir.path()};
    services.portFactory = [&clock] { return std::make_unique<MemoryPort>(clock); };
    AppWindows windows(services);
    Tunit8* analyzer = nullptr;
    for (QWidget* window : windows.all()) {
        if (auto* unit8 = qobject_cast<Tunit8*>(window))
            analyzer = unit8;
    }
    ASSERT_TRUE(analyzer);
    windows.main().show();
    dialogs.clear();

    auto* tune = windows.main().findChild<TFlyingButton*>("FlyingButton22");
    ASSERT_TRUE(tune);
    EXPECT_EQ(tune->Text(), "Tune");
    EXPECT_EQ(tune->toolTip(), "Spectrum Analyzer");
    EXPECT_EQ(tune->size(), QSize(57, 23));
    EXPECT_EQ(tune->FaceColor(), colours::clSilver);
    EXPECT_TRUE(tune->isVisible());

    QTest::mouseClick(tune, Qt::LeftButton);
    EXPECT_TRUE(analyzer->isVisible());
    const bool noDevice = QMediaDevices::audioInputs().isEmpty();
    const QStringList shown = dialogs.texts();
    if (noDevice) {
        EXPECT_EQ(shown, QStringList({"No recording device is present."}));
    }
    EXPECT_EQ(analyzer->soundDevice().isOpen(), !noDevice);

    // A second press opens nothing again.
    QTest::mouseClick(tune, Qt::LeftButton);
    EXPECT_TRUE(analyzer->isVisible());
    EXPECT_EQ(dialogs.texts(), shown);
    analyzer->close();
    EXPECT_FALSE(analyzer->soundDevice().isOpen());
}
