// SPDX-License-Identifier: GPL-3.0-or-later
// PrepareDialogBox and the progress dialog with its percentage bar, on the offscreen platform.
#include "vexcore/vexcore.h"

#include <QApplication>
#include <QImage>
#include <QPushButton>
#include <QScreen>
#include <QTest>
#include <QTimer>
#include <QWidget>

#include <gtest/gtest.h>

namespace {

QWidget* widget(HWND window) {
    return reinterpret_cast<QWidget*>(window);
}

// The progress dialog's pieces, found as a client finds them.
struct Progress {
    HWND dialog = nullptr;
    HWND message = nullptr;
    HWND bar = nullptr;
    HWND cancel = nullptr;
};

Progress findProgress(const char* title) {
    Progress p;
    p.dialog = VexFindWindow(title);
    p.message = VexGetDlgItem(p.dialog, PERCENT_ID_MESSAGE);
    p.bar = VexGetDlgItem(p.dialog, PERCENT_ID_BAR);
    p.cancel = VexGetDlgItem(p.dialog, IDCANCEL);
    return p;
}

QString text(HWND window) {
    char buffer[256];
    VexGetWindowText(window, buffer, sizeof buffer);
    return QString::fromLocal8Bit(buffer);
}

// Counts the bar's client pixels in the two colours of the percentage.
struct BarColours {
    int blue = 0;
    int white = 0;
    int other = 0;
    int blueInLeftHalf = 0;
    int whiteInRightHalf = 0;
};

BarColours coloursOf(HWND bar) {
    const QImage image = widget(bar)->grab().toImage().convertToFormat(QImage::Format_RGB32);
    BarColours c;
    for (int y = 1; y < image.height() - 1; ++y) {
        for (int x = 1; x < image.width() - 1; ++x) {
            const QRgb pixel = image.pixel(x, y);
            if (pixel == qRgb(0, 0, 255)) {
                ++c.blue;
                c.blueInLeftHalf += x < image.width() / 2;
            } else if (pixel == qRgb(255, 255, 255)) {
                ++c.white;
                c.whiteInRightHalf += x >= image.width() / 2;
            } else {
                ++c.other;
            }
        }
    }
    return c;
}

class ProgressDialog : public ::testing::Test {
protected:
    void TearDown() override {
        PercentDlgClose();
        PercentDlgClose(); // also resets the cursor
    }
};

} // namespace

TEST(PrepareDialogBox, CentresInTheUpperThirdAndSetsTheTitle) {
    const HWND window = VexCreateWindow("before", 200, 90);
    ASSERT_NE(window, nullptr);
    EXPECT_TRUE(PrepareDialogBox(window, "Settings"));
    EXPECT_EQ(widget(window)->windowTitle(), "Settings");
    RECT rect{};
    ASSERT_TRUE(VexGetWindowRect(window, &rect));
    const int screenWidth = VexGetSystemMetrics(SM_CXSCREEN);
    const int screenHeight = VexGetSystemMetrics(SM_CYSCREEN);
    ASSERT_GT(screenWidth, 0);
    const int width = rect.right - rect.left;
    const int height = rect.bottom - rect.top;
    EXPECT_EQ(width, 200);
    EXPECT_EQ(rect.left, (screenWidth - width) / 2);
    EXPECT_EQ(rect.top, (screenHeight - height) / 3);
    EXPECT_TRUE(VexDestroyWindow(window));
    EXPECT_FALSE(PrepareDialogBox(window, "gone")); // a destroyed window is refused
    EXPECT_FALSE(PrepareDialogBox(nullptr, "none"));
}

TEST_F(ProgressDialog, OpensWithTitleMessageAndAnEmptyBar) {
    ASSERT_TRUE(PercentDlgOpen("Loading", "Reading pictures"));
    const Progress p = findProgress("Loading");
    ASSERT_NE(p.dialog, nullptr);
    ASSERT_NE(p.bar, nullptr);
    EXPECT_EQ(widget(p.dialog)->objectName(), "DLGPERCENT");
    EXPECT_TRUE(VexIsWindowVisible(p.dialog));
    EXPECT_EQ(text(p.message), "Reading pictures");
    EXPECT_EQ(widget(p.cancel)->property("text").toString(), QString::fromUtf8("ｷｬﾝｾﾙ"));
    EXPECT_TRUE(VexIsWindowEnabled(p.cancel));
    EXPECT_EQ(VexSendMessage(p.bar, PERCENT_GETRANGE, 0, 0), 100);
    EXPECT_EQ(VexSendMessage(p.bar, PERCENT_GETPOS, 0, 0), 0);
    EXPECT_EQ(widget(p.bar)->property("text").toString(), "0%");
    // Centred on the screen.
    const QRect frame = widget(p.dialog)->frameGeometry();
    EXPECT_EQ(frame.left(), (VexGetSystemMetrics(SM_CXSCREEN) - frame.width()) / 2);

    EXPECT_EQ(PercentDlgClose(), 1);
    EXPECT_EQ(VexFindWindow("Loading"), nullptr);
}

TEST_F(ProgressDialog, PercentagesAreClampedToTheBar) {
    ASSERT_TRUE(PercentDlgOpen("Clamp", "m"));
    const Progress p = findProgress("Clamp");
    EXPECT_TRUE(PercentDlgProcess(150));
    EXPECT_EQ(VexSendMessage(p.bar, PERCENT_GETPOS, 0, 0), 100);
    EXPECT_EQ(widget(p.bar)->property("text").toString(), "100%");
    BarColours full = coloursOf(p.bar);
    EXPECT_GT(full.blue, 0);
    EXPECT_EQ(full.whiteInRightHalf * 4 < full.blue, true); // white only where the text is

    EXPECT_TRUE(PercentDlgProcess(-5));
    EXPECT_EQ(VexSendMessage(p.bar, PERCENT_GETPOS, 0, 0), 0);
    EXPECT_EQ(widget(p.bar)->property("text").toString(), "0%");
    BarColours empty = coloursOf(p.bar);
    EXPECT_GT(empty.white, 0);
    EXPECT_LT(empty.blue * 4, empty.white); // blue only where the text is

    EXPECT_TRUE(PercentDlgProcess(50));
    EXPECT_EQ(widget(p.bar)->property("text").toString(), "50%");
    BarColours half = coloursOf(p.bar);
    EXPECT_GT(half.blueInLeftHalf, half.blue / 2);
    EXPECT_GT(half.whiteInRightHalf, half.white / 2);
}

TEST_F(ProgressDialog, BarMessagesKeepSixteenBitWords) {
    ASSERT_TRUE(PercentDlgOpen("Words", "m"));
    const Progress p = findProgress("Words");
    VexSendMessage(p.bar, PERCENT_SETRANGE, 0x10000 + 200, 0);
    VexSendMessage(p.bar, PERCENT_SETPOS, 50, 0);
    EXPECT_EQ(VexSendMessage(p.bar, PERCENT_GETRANGE, 0, 0), 200);
    EXPECT_EQ(widget(p.bar)->property("text").toString(), "25%");
    VexSendMessage(p.bar, PERCENT_SETRANGE, 0, 0);
    EXPECT_EQ(widget(p.bar)->property("text").toString(), "0%"); // range 0 counts as 1, at 0
    VexSendMessage(p.bar, PERCENT_SETRANGE, 100, 0);
    VexSendMessage(p.bar, PERCENT_SETPOS, WPARAM(-5), 0);
    EXPECT_EQ(VexSendMessage(p.bar, PERCENT_GETPOS, 0, 0), 0xFFFB);
    coloursOf(p.bar); // paints far beyond the range without harm

    const HDC dc = VexCreateImageDC(4, 4);
    EXPECT_NE(VexSendMessage(p.dialog, PERCENT_CTLCOLOR, WPARAM(dc), 0), 0);
    EXPECT_EQ(VexGetTextColor(dc), 0xFF0000u);
    EXPECT_EQ(VexGetBkColor(dc), 0xFFFFFFu);
    VexDeleteDC(dc);
}

TEST_F(ProgressDialog, CancelButtonEscapeAndCommandsCancel) {
    ASSERT_TRUE(PercentDlgOpen("Cancel", "m"));
    Progress p = findProgress("Cancel");
    EXPECT_TRUE(PercentDlgProcess(10));
    QTest::mouseClick(qobject_cast<QPushButton*>(widget(p.cancel)), Qt::LeftButton);
    EXPECT_FALSE(VexIsWindowEnabled(p.cancel));
    EXPECT_FALSE(PercentDlgProcess(20));
    EXPECT_EQ(VexSendMessage(p.bar, PERCENT_GETPOS, 0, 0), 10); // a cancelled bar stays
    PercentDlgClose();

    ASSERT_TRUE(PercentDlgOpen("Escape", "m"));
    p = findProgress("Escape");
    EXPECT_TRUE(VexIsWindowEnabled(p.cancel)); // a new opening starts uncancelled
    QTest::keyClick(widget(p.dialog), Qt::Key_Escape);
    EXPECT_FALSE(PercentDlgProcess(20));
    PercentDlgClose();

    ASSERT_TRUE(PercentDlgOpen("Command", "m"));
    p = findProgress("Command");
    VexSendMessage(p.dialog, WM_COMMAND, 3, 0); // some other command
    EXPECT_TRUE(PercentDlgProcess(20));
    VexSendMessage(p.dialog, WM_COMMAND, IDOK, 0);
    EXPECT_FALSE(PercentDlgProcess(20));
}

TEST_F(ProgressDialog, ProcessDispatchesTheWaitingEvents) {
    ASSERT_TRUE(PercentDlgOpen("Events", "m"));
    bool ran = false;
    QTimer::singleShot(0, [&] { ran = true; });
    EXPECT_TRUE(PercentDlgProcess(1));
    EXPECT_TRUE(ran);
}

TEST_F(ProgressDialog, HourglassWhenBothTextsAreEmpty) {
    EXPECT_EQ(VexGetCursor(), IDC_ARROW);
    ASSERT_TRUE(PercentDlgOpen("", nullptr));
    EXPECT_EQ(VexGetCursor(), IDC_WAIT);
    ASSERT_NE(QGuiApplication::overrideCursor(), nullptr);
    EXPECT_EQ(QGuiApplication::overrideCursor()->shape(), Qt::WaitCursor);
    EXPECT_EQ(VexFindWindow(""), nullptr); // no dialog was made
    EXPECT_TRUE(PercentDlgProcess(50));    // nothing active: go on
    EXPECT_EQ(PercentDlgClose(), IDC_WAIT);
    EXPECT_EQ(VexGetCursor(), IDC_ARROW);
    EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr);
    EXPECT_EQ(PercentDlgClose(), IDC_ARROW);
}

TEST_F(ProgressDialog, ProcessAndCloseWithoutADialog) {
    EXPECT_TRUE(PercentDlgProcess(30));
    EXPECT_EQ(PercentDlgClose(), IDC_ARROW);
}

TEST_F(ProgressDialog, ASecondOpeningReplacesTheFirst) {
    ASSERT_TRUE(PercentDlgOpen("First", "m"));
    ASSERT_TRUE(PercentDlgOpen("Second", "m"));
    EXPECT_EQ(VexFindWindow("First"), nullptr);
    EXPECT_NE(VexFindWindow("Second"), nullptr);
    EXPECT_EQ(PercentDlgClose(), 1);
    EXPECT_EQ(VexFindWindow("Second"), nullptr);
}

TEST_F(ProgressDialog, DestroyedByTheClientMeansCancelled) {
    ASSERT_TRUE(PercentDlgOpen("Gone", "m"));
    EXPECT_TRUE(VexDestroyWindow(VexFindWindow("Gone")));
    EXPECT_FALSE(PercentDlgProcess(5));
    EXPECT_EQ(PercentDlgClose(), 1); // the bar's class is still unregistered
}
