// SPDX-License-Identifier: GPL-3.0-or-later
#include "captions/CaptionPlacement.h"
#include "captions/CaptionRenderer.h"
#include "captions/CaptionTexts.h"

#include "workspace/WorkingPictures.h"

#include <gtest/gtest.h>

using namespace winorbis;

namespace {

// The fixture stands in for the window around the placement.
class Placement : public ::testing::Test, public CaptionPlacementHost {
protected:
    Placement() {
        pictures.tx = QImage(410, 256, QImage::Format_RGB888);
        pictures.tx.fill(QColor(128, 128, 128));
        pictures.rx = QImage(320, 256, QImage::Format_RGB888);
        pictures.rx.fill(Qt::yellow);
        pictures.txName = QStringLiteral("Bild 3");
        pictures.draggedName = QStringLiteral("Bild 3");
        style.font.height = 30;
        style.font.weight = 700;
        style.font.faceName = QStringLiteral("DejaVu Sans");
        style.shadow = false;
    }

    DragState dragState() const override { return drag; }
    void setDragState(DragState state) override { drag = state; }
    void framesChanged() override { ++repaints; }
    void pictureChanged() override { ++shown; }
    void showStatus(const QString& text) override { status = text; }

    // The press and release of a click, with the drag state as the picture drags set it.
    void click(CaptionPlacement& placement, QPoint at) {
        if (!placement.leftPress(at))
            drag = DragState::TxPressed;
        placement.leftRelease(at);
    }

    WorkingPictures pictures;
    CaptionStyle style;
    DragState drag = DragState::Idle;
    int repaints = 0;
    int shown = 0;
    QString status;
};

} // namespace

TEST_F(Placement, AnArmedCaptionWaitsAtItsStartAndFollowsTheMouse) {
    CaptionPlacement placement(pictures, *this);
    placement.arm(QStringLiteral("DL1ABC"), style, 30);
    EXPECT_TRUE(placement.frameShown());
    EXPECT_EQ(placement.position(), QPoint(5, 220));
    EXPECT_EQ(placement.frameSize(), QSize(6 * 30 / 2, 30));
    EXPECT_EQ(placement.frameAngle(), 30);
    placement.mouseMove({120, 80});
    EXPECT_EQ(placement.position(), QPoint(120, 80));
    EXPECT_GE(repaints, 2);

    // The frame shows on the window only: its pixels are inverted there, the TX picture keeps its.
    QImage window = pictures.tx.convertToFormat(QImage::Format_RGB32);
    placement.paintFrames(window);
    EXPECT_EQ(window.pixelColor(120, 80), QColor(127, 127, 127));
    EXPECT_EQ(pictures.tx.pixelColor(120, 80), QColor(128, 128, 128));
}

TEST_F(Placement, AClickBurnsTheCaptionInAndTheCaptionedPictureHasNoName) {
    CaptionPlacement placement(pictures, *this);
    placement.arm(QStringLiteral("HI"), style, 0);
    placement.mouseMove({60, 60});
    click(placement, {100, 40});
    EXPECT_FALSE(placement.frameShown());
    EXPECT_EQ(drag, DragState::Idle);
    EXPECT_EQ(pictures.txName, WorkingPictures::kNone);
    EXPECT_EQ(pictures.draggedName, WorkingPictures::kNone);
    EXPECT_EQ(shown, 1);
    // The text went where the click was, with no frame pixel in the picture.
    QImage expected(410, 256, QImage::Format_RGB888);
    expected.fill(QColor(128, 128, 128));
    captions::renderCaption(expected, QStringLiteral("HI"), {100, 40}, style);
    EXPECT_EQ(pictures.tx, expected);
    // A second click with nothing armed leaves the picture to the click-to-reload.
    EXPECT_FALSE(placement.leftPress({10, 10}));
    drag = DragState::TxPressed;
    EXPECT_FALSE(placement.leftRelease({10, 10}));
}

TEST_F(Placement, WhatTheTurnFieldSaysLaterChangesNothingArmed) {
    CaptionPlacement placement(pictures, *this);
    CaptionStyle turned = style;
    turned.font.escapement = 300; // a standard text stored at 30°
    placement.arm(QStringLiteral("CQ"), turned, 0);
    EXPECT_EQ(placement.frameAngle(), 0);
    EXPECT_EQ(placement.pendingStyle().font.escapement, 300);
    turned.font.escapement = 0;
    EXPECT_EQ(placement.pendingStyle().font.escapement, 300);
}

TEST_F(Placement, RemovingFramesDropsTheCaptionAndARightPressToo) {
    CaptionPlacement placement(pictures, *this);
    placement.arm(QStringLiteral("HI"), style, 0);
    placement.removeFrames();
    EXPECT_FALSE(placement.frameShown());
    EXPECT_EQ(placement.position(), QPoint(0, 0));
    placement.arm(QStringLiteral("HI"), style, 0);
    placement.rightPress();
    EXPECT_FALSE(placement.framesShown());
    const QImage before = pictures.tx;
    click(placement, {50, 50});
    EXPECT_EQ(pictures.tx, before);
}

TEST_F(Placement, PictureInPictureGoesThroughPositioningAndSizingToThePaste) {
    CaptionPlacement placement(pictures, *this);
    placement.arm(QStringLiteral("HI"), style, 0);
    placement.pipButtonPress({4, 6});
    EXPECT_FALSE(placement.frameShown()); // the caption frame gives way
    EXPECT_EQ(placement.pipState(), CaptionPlacement::Pip::Placing);
    EXPECT_EQ(status, captiontext::kPictureInPictureStatus);
    EXPECT_EQ(placement.targetFrame(), QRect(4, 6, 203, 126));
    placement.mouseMove({50, 40});
    EXPECT_EQ(placement.targetFrame(), QRect(50, 40, 203, 126));
    EXPECT_TRUE(placement.leftPress({50, 40})); // the origin is fixed; no drag sees the press
    EXPECT_EQ(placement.pipState(), CaptionPlacement::Pip::Sizing);
    placement.mouseMove({60, 200}); // not more than 20 pixels right: the size stays
    EXPECT_EQ(placement.targetFrame().size(), QSize(203, 126));
    placement.mouseMove({150, 100});
    EXPECT_EQ(placement.targetFrame(), QRect(50, 40, 100, 60));
    EXPECT_FALSE(placement.frameShown());
    EXPECT_TRUE(placement.leftPress({150, 100}));
    EXPECT_EQ(placement.pipState(), CaptionPlacement::Pip::Off);
    EXPECT_EQ(pictures.tx.pixelColor(50, 40), QColor(Qt::yellow));
    EXPECT_EQ(pictures.tx.pixelColor(100, 70), QColor(Qt::yellow));
    EXPECT_EQ(pictures.tx.pixelColor(149, 99), QColor(Qt::black)); // beyond the RX picture
    EXPECT_EQ(pictures.tx.pixelColor(151, 101), QColor(128, 128, 128));
    EXPECT_EQ(pictures.tx.pixelColor(49, 40), QColor(128, 128, 128));
}

TEST_F(Placement, PictureInPictureIsCancelledByARightPressOrRemovingFrames) {
    CaptionPlacement placement(pictures, *this);
    placement.pipButtonPress({0, 0});
    placement.pipButtonPress({9, 9}); // a second press while active changes nothing
    EXPECT_EQ(placement.targetFrame().topLeft(), QPoint(0, 0));
    placement.pipButtonRightPress();
    EXPECT_EQ(placement.pipState(), CaptionPlacement::Pip::Off);
    placement.pipButtonPress({0, 0});
    placement.leftPress({30, 30});
    placement.removeFrames();
    EXPECT_EQ(placement.pipState(), CaptionPlacement::Pip::Off);
    EXPECT_FALSE(placement.framesShown());
    const QImage before = pictures.tx;
    EXPECT_FALSE(placement.leftPress({40, 40}));
    EXPECT_EQ(pictures.tx, before);
}
