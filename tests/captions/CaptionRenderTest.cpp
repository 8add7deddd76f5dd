// SPDX-License-Identifier: GPL-3.0-or-later
#include "captions/CaptionRenderer.h"

#include <QPainter>

#include <gtest/gtest.h>

using namespace winorbis;
using namespace winorbis::captions;

namespace {

CaptionStyle dejaVu(int height, int escapement = 0, bool shadow = false) {
    CaptionStyle style;
    style.font.height = height;
    style.font.escapement = escapement;
    style.font.weight = 700;
    style.font.faceName = QStringLiteral("DejaVu Sans");
    style.textColour = colours::clRed;
    style.shadowColour = colours::clBlue;
    style.shadow = shadow;
    return style;
}

QImage grey() {
    QImage picture(410, 256, QImage::Format_RGB888);
    picture.fill(QColor(128, 128, 128));
    return picture;
}

// The bounding box of the pixels of one colour.
QRect boxOf(const QImage& picture, QColor colour) {
    QRect box;
    for (int y = 0; y < picture.height(); ++y)
        for (int x = 0; x < picture.width(); ++x)
            if (picture.pixelColor(x, y) == colour)
                box |= QRect(x, y, 1, 1);
    return box;
}

} // namespace

TEST(CaptionRendering, WritesTheTextOnlyWhereItsGlyphsGo) {
    QImage picture = grey();
    renderCaption(picture, QStringLiteral("HI"), {100, 50}, dejaVu(40));
    EXPECT_EQ(picture.format(), QImage::Format_RGB888); // the picture keeps its format
    const QRect text = boxOf(picture, Qt::red);
    ASSERT_FALSE(text.isEmpty());
    // Capital letters sit inside the cell below its top-left, about as wide as the frame says.
    EXPECT_GE(text.left(), 100);
    EXPECT_LE(text.left(), 106);
    EXPECT_GE(text.top(), 50);
    EXPECT_LE(text.bottom(), 90);
    EXPECT_LE(text.right(), 100 + 2 * 40);
    // Nothing changed outside the text's cell.
    const QRect cell(100, 50, 90, 41);
    for (int y = 0; y < picture.height(); y += 3) {
        for (int x = 0; x < picture.width(); x += 3) {
            if (!cell.contains(x, y)) {
                ASSERT_EQ(picture.pixelColor(x, y), QColor(128, 128, 128)) << x << "," << y;
            }
        }
    }
}

TEST(CaptionRendering, PutsTheShadowDownRightByASixteenthOfTheHeight) {
    QImage plain = grey();
    renderCaption(plain, QStringLiteral("I"), {50, 50}, dejaVu(48));
    QImage shaded = grey();
    renderCaption(shaded, QStringLiteral("I"), {50, 50}, dejaVu(48, 0, true));
    const QRect text = boxOf(plain, Qt::red);
    const QRect shadow = boxOf(shaded, Qt::blue);
    ASSERT_FALSE(shadow.isEmpty());
    // The shadow's right and bottom edges show three pixels beyond the text's.
    EXPECT_EQ(shadow.right(), text.right() + 3);
    EXPECT_EQ(shadow.bottom(), text.bottom() + 3);
    EXPECT_EQ(boxOf(shaded, Qt::red), text); // the text is drawn over its shadow
}

TEST(CaptionRendering, TurnsTheTextCounterClockwiseAboutItsTopLeft) {
    QImage picture = grey();
    renderCaption(picture, QStringLiteral("IIIIIIII"), {100, 200}, dejaVu(30, 900));
    const QRect text = boxOf(picture, Qt::red);
    ASSERT_FALSE(text.isEmpty());
    // At 90° the line of text runs upwards from the point, the cell to its right.
    EXPECT_GT(text.height(), 3 * text.width());
    EXPECT_LE(text.bottom(), 200);
    EXPECT_GE(text.left(), 100);
    EXPECT_LE(text.right(), 131);
}

TEST(CaptionRendering, KeepsTextBeyondTheWindowRegionInThePicture) {
    // Text right of x = 351 and below y = 239 still reaches the picture that is sent.
    QImage picture = grey();
    renderCaption(picture, QStringLiteral("73"), {360, 232}, dejaVu(20));
    const QRect text = boxOf(picture, Qt::red);
    ASSERT_FALSE(text.isEmpty());
    EXPECT_GE(text.left(), 360);
    EXPECT_GE(text.top(), 232);
}

TEST(FontExampleDrawing, ShowsTheLetterOnAGreyFieldInsideAnOutline) {
    const QImage example = fontExample(dejaVu(20, 0, true), 0);
    EXPECT_EQ(example.size(), QSize(65, 56));
    EXPECT_EQ(example.pixelColor(0, 0), QColor(Qt::black));
    EXPECT_EQ(example.pixelColor(63, 55), QColor(Qt::black));
    EXPECT_EQ(example.pixelColor(3, 3), QColor(128, 128, 128));
    const QRect letter = boxOf(example, Qt::red);
    ASSERT_FALSE(letter.isEmpty());
    EXPECT_GE(letter.left(), 25);
    EXPECT_GE(letter.top(), 19);
    EXPECT_FALSE(boxOf(example, Qt::blue).isEmpty());
}

TEST(PictureInPicture, PastesTheScaledRxRegionIntoTheTxPicture) {
    QImage rx(320, 256, QImage::Format_RGB888);
    rx.fill(Qt::green);
    QPainter(&rx).fillRect(QRect(0, 0, 160, 256), Qt::yellow); // left half yellow
    QImage tx = grey();
    // Source from (0, 0), 395 x 240: the RX picture's 320 columns, black beyond them.
    pastePictureInPicture(tx, rx, QRect(0, 0, 395, 240), QRect(20, 30, 203, 126), QSize(411, 256));
    EXPECT_EQ(tx.pixelColor(19, 60), QColor(128, 128, 128));
    EXPECT_EQ(tx.pixelColor(20, 30), QColor(Qt::yellow));
    EXPECT_EQ(tx.pixelColor(20 + 203 * 200 / 395, 100), QColor(Qt::green));
    EXPECT_EQ(tx.pixelColor(20 + 202, 100), QColor(Qt::black));
    EXPECT_EQ(tx.pixelColor(100, 30 + 126), QColor(128, 128, 128));
    // Beyond the window's region (0,0)-(351,239) the paste in picture coordinates shows.
    QImage corner = grey();
    pastePictureInPicture(corner, rx, QRect(0, 0, 395, 240), QRect(300, 200, 100, 50),
                          QSize(411, 256));
    EXPECT_EQ(corner.pixelColor(360, 220), QColor(Qt::green));
    EXPECT_EQ(corner.pixelColor(340, 220), QColor(Qt::yellow));
}

TEST(CallsignPicture, IsScaledIntoTheBottomRightCorner) {
    QImage callsign(55, 13, QImage::Format_RGB888);
    callsign.fill(Qt::white);
    QImage tx = grey();
    pasteCallsign(tx, callsign);
    EXPECT_EQ(boxOf(tx, Qt::white), QRect(300, 230, 110, 26));
}
