// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/Colour.h"

#include <QGuiApplication>
#include <QPalette>

#include <gtest/gtest.h>

using namespace winorbis;

TEST(Colour, RgbValuesKeepRedInTheLowByte) {
    const TColor c = TColor::rgb(236, 222, 145);
    EXPECT_EQ(c.value(), 9559788u);
    EXPECT_EQ(c.toQColor(), QColor(236, 222, 145));
    EXPECT_EQ(TColor::fromQColor(QColor(1, 2, 3)).value(), 0x030201u);
    EXPECT_EQ(colours::clRed.toQColor(), QColor(255, 0, 0));
    EXPECT_EQ(colours::clBlue.toQColor(), QColor(0, 0, 255));
    EXPECT_FALSE(colours::clWhite.isSystem());
}

TEST(Colour, SystemColoursComeFromTheDesktopPalette) {
    EXPECT_TRUE(colours::clBtnFace.isSystem());
    EXPECT_EQ(colours::clBtnFace.systemIndex(), 15);
    EXPECT_EQ(colours::clBtnFace.signedValue(), -2147483633);
    const QPalette palette = QGuiApplication::palette();
    EXPECT_EQ(colours::clBtnFace.toQColor(), palette.color(QPalette::Active, QPalette::Button));
    EXPECT_EQ(colours::clWindowText.toQColor(),
              palette.color(QPalette::Active, QPalette::WindowText));
    EXPECT_EQ(colours::clBtnShadow.toQColor(), palette.color(QPalette::Active, QPalette::Mid));
    // A system colour the palette has no role for takes the classic desktop colour.
    EXPECT_EQ(colours::clActiveCaption.toQColor(), QColor(0x99, 0xB4, 0xD1));
}
