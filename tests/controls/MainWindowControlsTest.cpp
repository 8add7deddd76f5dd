// SPDX-License-Identifier: GPL-3.0-or-later
// The main window's ProgressBar1 as the window layout creates and configures it.
#include "app/TForm1.h"
#include "controls/TNewProgressBar.h"

#include "ControlsTestSupport.h"
#include "tests/support/MemoryPort.h"
#include "tests/support/ScriptedDialogs.h"
#include "tests/support/VirtualClock.h"

#include <QTemporaryDir>
#include <QTest>

namespace winorbis::test {
namespace {

using Bar = TNewProgressBar;

class MainWindowControls : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(folder.isValid());
        AppServices services{dialogs, clock, folder.path()};
        services.portFactory = [this] { return std::make_unique<MemoryPort>(clock); };
        form = std::make_unique<TForm1>(services);
        bar = form->findChild<Bar*>(QStringLiteral("ProgressBar1"));
        ASSERT_NE(bar, nullptr);
    }

    QTemporaryDir folder;
    ScriptedDialogs dialogs;
    VirtualClock clock;
    std::unique_ptr<TForm1> form;
    Bar* bar = nullptr;
};

TEST_F(MainWindowControls, ProgressBar1IsConfiguredAsTheLayoutSays) {
    // Upright between the TX and RX windows of the picture panel; AutoSize fitted nothing.
    EXPECT_EQ(bar->geometry(), QRect(465, 43, 10, 235));
    EXPECT_EQ(bar->mapTo(form->centralWidget(), QPoint(0, 0)), QPoint(537, 83));
    EXPECT_TRUE(bar->AutoSize());
    EXPECT_EQ(bar->Style(), Bar::pbRectangle);
    EXPECT_EQ(bar->Color(), colours::clSilver);
    EXPECT_EQ(bar->StartColor(), colours::clRed);
    EXPECT_EQ(bar->MiddleColor(), colours::clLime);
    EXPECT_EQ(bar->EndColor(), colours::clBlue);
    EXPECT_EQ(bar->DisableColor(), colours::clGray);
    EXPECT_EQ(bar->ColorStyle(), Bar::csThree);
    EXPECT_TRUE(bar->Frame());
    EXPECT_EQ(bar->FrameStyle(), Bar::fsSunken);
    EXPECT_FALSE(bar->ShowDisableBlocks());
    EXPECT_EQ(bar->Orientation(), Bar::otVertical);
    EXPECT_EQ(bar->Direction(), Bar::dtInvert);
    EXPECT_FALSE(bar->SquareBlocks());
    EXPECT_EQ(bar->BlockWide(), 4);
    EXPECT_EQ(bar->Position(), 0);
    EXPECT_EQ(bar->Max(), 100);
    EXPECT_EQ(bar->Min(), 0);
    // Max 100 drew the blocks once while the layout loaded.
    EXPECT_EQ(bar->OffscreenSize(), QSize(6, 231));
    EXPECT_EQ(bar->BlockCount(), 39);
}

TEST_F(MainWindowControls, ProgressBar1ShowsATransferInTheMainWindow) {
    form->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(form.get()));
    // A picture transfer half done: 140 of 280 lines, 19 of 39 places from the top.
    bar->setMax(280);
    bar->setPosition(140);
    const QImage shot = form->grab().toImage().convertToFormat(QImage::Format_RGB32);
    if (qEnvironmentVariableIsSet("WINORBIS_SCREENSHOT"))
        shot.save(qEnvironmentVariable("WINORBIS_SCREENSHOT"));
    const QPoint origin = bar->mapTo(form.get(), QPoint(0, 0));
    const QImage picture = shot.copy(QRect(origin, bar->size()));
    EXPECT_EQ(picture, Grab(*bar));
    EXPECT_TRUE(Filled(picture, QRect(2, 2, 6, 4), colours::clRed));
    EXPECT_TRUE(Filled(picture, QRect(2, 2 + 13 * 6, 6, 4), colours::clLime));
    EXPECT_TRUE(Filled(picture, QRect(2, 2 + 18 * 6, 6, 4), colours::clLime));
    EXPECT_TRUE(Filled(picture, QRect(2, 2 + 19 * 6, 6, 231 - 19 * 6), colours::clSilver));
}

} // namespace
} // namespace winorbis::test
