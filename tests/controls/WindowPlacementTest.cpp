// SPDX-License-Identifier: GPL-3.0-or-later
#include "controls/WindowPlacement.h"

#include <QWidget>

#include <gtest/gtest.h>

using namespace winorbis;

TEST(WindowPlacement, AWindowOpensCentredOnTheMainWindowAndStaysOnTheScreen) {
    const QRect screen(0, 0, 1280, 1024);
    // The main window at (129, 181), 1024 x 721: its centre is (640, 541).
    const QRect main(129, 181, 1024, 721);
    EXPECT_EQ(centredPosition({330, 260}, main, screen), QPoint(476, 411));
    // A main window near the screen's edge: the window is pushed back onto the screen.
    EXPECT_EQ(centredPosition({400, 300}, QRect(1100, 900, 300, 200), screen), QPoint(880, 724));
    EXPECT_EQ(centredPosition({400, 300}, QRect(-200, -100, 300, 200), screen), QPoint(0, 0));
    // A window larger than the screen keeps its top-left corner on it.
    EXPECT_EQ(centredPosition({1500, 1200}, main, screen), QPoint(0, 0));
    // Without a known screen only the centre counts.
    EXPECT_EQ(centredPosition({100, 100}, QRect(0, 0, 50, 50), QRect()), QPoint(-25, -25));
}

TEST(WindowPlacement, NothingMovesOverAWindowThatIsNotShown) {
    QWidget main;
    QWidget window;
    window.move(10, 20);
    centreOver(window, &main);
    EXPECT_EQ(window.pos(), QPoint(10, 20));
    centreOver(window, nullptr);
    EXPECT_EQ(window.pos(), QPoint(10, 20));
}
