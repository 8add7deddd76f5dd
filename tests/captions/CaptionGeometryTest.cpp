// SPDX-License-Identifier: GPL-3.0-or-later
#include "captions/CaptionGeometry.h"
#include "captions/CaptionFont.h"

#include <QFontMetrics>

#include <gtest/gtest.h>

using namespace winorbis;
using namespace winorbis::captions;

TEST(SineTable, HoldsTheRoundedDownProductsWithTheExactOnesKept) {
    const auto& t = sineTable();
    EXPECT_EQ(t.size(), 181u);
    EXPECT_EQ(t[0], 0);
    EXPECT_EQ(t[30], 8192);
    EXPECT_EQ(t[150], 8192);
    EXPECT_EQ(t[90], 16383);
    EXPECT_EQ(t[180], 0);
    EXPECT_EQ(t[45], 11585); // 11585.24
    EXPECT_EQ(t[1], 285);    // 285.94: rounded down, not to the nearest
    EXPECT_EQ(t[60], 14188); // 14188.96
    EXPECT_EQ(cosine(0), 16383);
    EXPECT_EQ(cosine(60), 8192);
}

TEST(FrameCorners, TurnTheTextBoxCounterClockwiseAboutItsTopLeft) {
    // Angle 0: the box itself, one pixel short because cos 0 is 16383 / 16384.
    EXPECT_EQ(frameCorners({100, 50}, 80, 20, 0),
              (std::array<QPoint, 4>{QPoint(100, 50), QPoint(179, 50), QPoint(179, 69),
                                     QPoint(100, 69)}));
    // Angle 30: w·cos = 80·14188 >> 14 = 69, w·sin = 40, h·sin = 10, h·cos = 17.
    EXPECT_EQ(frameCorners({100, 50}, 80, 20, 30),
              (std::array<QPoint, 4>{QPoint(100, 50), QPoint(169, 10), QPoint(179, 27),
                                     QPoint(110, 67)}));
    // Angle 90: upright, the first edge straight up by w - 1.
    EXPECT_EQ(frameCorners({100, 150}, 80, 20, 90),
              (std::array<QPoint, 4>{QPoint(100, 150), QPoint(100, 71), QPoint(119, 71),
                                     QPoint(119, 150)}));
}

TEST(FrameDrawing, InvertsOnlyTheOutlineAndTwiceLeavesThePictureAsItWas) {
    QImage picture(60, 40, QImage::Format_RGB32);
    picture.fill(QColor(10, 20, 30));
    const QImage before = picture;
    const auto corners = frameCorners({5, 5}, 20, 10, 0);
    invertFrame(picture, corners);
    int inverted = 0;
    for (int y = 0; y < picture.height(); ++y) {
        for (int x = 0; x < picture.width(); ++x) {
            if (picture.pixel(x, y) != before.pixel(x, y)) {
                ++inverted;
                EXPECT_EQ(QColor(picture.pixel(x, y)), QColor(245, 235, 225));
                EXPECT_TRUE(x == 5 || x == 24 || y == 5 || y == 14) << x << "," << y;
            }
        }
    }
    EXPECT_EQ(inverted, 2 * 19 + 2 * 9); // every corner once
    invertFrame(picture, corners);
    EXPECT_EQ(picture, before);
    // Frames partly or wholly outside the picture are clipped, not drawn elsewhere.
    invertFrame(picture, frameCorners({50, 35}, 200, 60, 45));
    invertFrame(picture, frameCorners({50, 35}, 200, 60, 45));
    EXPECT_EQ(picture, before);
}

TEST(FontExample, PutsTheLetterWhereTheArithmeticSays) {
    EXPECT_EQ(fontExampleOrigin(60, 0), QPoint(15, -1));
    EXPECT_EQ(fontExampleOrigin(20, 0), QPoint(25, 19));
    EXPECT_EQ(shadowOffset(20), 1);
    EXPECT_EQ(shadowOffset(60), 3);
    EXPECT_EQ(frameWidth(6, 27), 81);
}

TEST(LogFont, KeepsTheSixtyByteLayoutAndTheSettingsFields) {
    FontBlock block;
    block.height = 33;
    block.escapement = 300;
    block.weight = 700;
    block.italic = 1;
    block.faceName = QStringLiteral("DejaVu Sans Condensed Bold Oblique Extra"); // 40 characters
    block.charSet = 1;
    const LogFont font = LogFont::fromBlock(block);
    EXPECT_EQ(font.faceName.size(), 31);
    const QByteArray bytes = font.toBytes();
    ASSERT_EQ(bytes.size(), 60);
    EXPECT_EQ(bytes.mid(0, 4), QByteArray("\x21\0\0\0", 4));
    EXPECT_EQ(bytes.mid(8, 4), QByteArray("\x2c\x01\0\0", 4));
    EXPECT_EQ(bytes.at(20), 1); // italic
    EXPECT_EQ(bytes.at(23), 1); // character set
    EXPECT_EQ(bytes.at(59), 0); // the face name ends in a zero
    EXPECT_EQ(LogFont::fromBytes(bytes), font);
    EXPECT_EQ(LogFont::fromBytes(bytes.left(59)), LogFont());

    FontBlock back;
    font.storeIn(back);
    EXPECT_EQ(back.height, 33);
    EXPECT_EQ(back.escapement, 300);
    EXPECT_EQ(back.italic, 1);
    EXPECT_EQ(back.faceName, block.faceName.left(31));

    const QFont qt = font.toQFont();
    EXPECT_TRUE(qt.bold());
    EXPECT_TRUE(qt.italic());
    EXPECT_DOUBLE_EQ(font.turnDegrees(), 30.0);
    EXPECT_LE(QFontMetrics(qt).height(), 34); // the cell height, within a pixel of rounding
    EXPECT_GE(QFontMetrics(qt).height(), 31);
}
