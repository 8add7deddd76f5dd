// SPDX-License-Identifier: GPL-3.0-or-later
// The segmented progress bar as a widget: properties, refusals, blocks, zones, pictures, fitting
// and the synchronous block paints.
#include "controls/TNewProgressBar.h"

#include "ControlsTestSupport.h"

#include <QMetaEnum>
#include <QPainter>
#include <QTest>

namespace winorbis::test {
namespace {

using Bar = TNewProgressBar;

class ProgressBar : public ::testing::Test {
protected:
    void SetUp() override {
        window.resize(600, 400);
        bar = new Bar(&window);
        bar->move(10, 10);
    }
    void show() {
        window.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    }
    // The main window's ProgressBar1, set up in the order its layout streams the properties.
    void configureAsMainWindowBar() {
        bar->setGeometry(537, 83, 10, 235);
        bar->setAutoSize(true);
        bar->setStyle(Bar::pbRectangle);
        bar->setColor(colours::clSilver);
        bar->setStartColor(colours::clRed);
        bar->setMiddleColor(colours::clLime);
        bar->setEndColor(colours::clBlue);
        bar->setDisableColor(colours::clGray);
        bar->setColorStyle(Bar::csThree);
        bar->setFrame(true);
        bar->setFrameStyle(Bar::fsSunken);
        bar->setShowDisableBlocks(false);
        bar->setOrientation(Bar::otVertical);
        bar->setDirection(Bar::dtInvert);
        bar->setSquareBlocks(false);
        bar->setBlockWide(4);
        bar->setPosition(0);
        bar->setMax(100);
        bar->setMin(0);
    }
    // A bar whose inner area holds exactly `places` blocks of 4 pixels along a 6-pixel thickness.
    void configureBlocks(int places, Bar::TPBOrientation orientation = Bar::otHorizontal,
                         Bar::TPBDirection direction = Bar::dtNormal) {
        const int length = places * 6 - 2 + 4;
        bar->resize(orientation == Bar::otHorizontal ? QSize(length, 10) : QSize(10, length));
        bar->setOrientation(orientation);
        bar->setDirection(direction);
        bar->setSquareBlocks(false);
        bar->setBlockWide(4);
        bar->setColor(colours::clSilver);
        bar->setStartColor(colours::clRed);
        bar->setMiddleColor(colours::clLime);
        bar->setEndColor(colours::clBlue);
        bar->setDisableColor(colours::clGray);
        bar->setMax(places);
    }
    // The colour of block place i (1-based) in the bar's picture, read at the middle of the
    // place's first pixel line; the bar's inner area starts at (2, 2).
    TColor placeColour(const QImage& image, int i) const {
        const bool vertical = bar->Orientation() == Bar::otVertical;
        const bool invert = bar->Direction() == Bar::dtInvert;
        const QSize inner = bar->OffscreenSize();
        const int o = (i - 1) * 6;
        if (!vertical)
            return At(image, 2 + (invert ? inner.width() - o - 1 : o), 2 + inner.height() / 2);
        return At(image, 2 + inner.width() / 2, 2 + (invert ? o : inner.height() - o - 1));
    }
    QList<TColor> places(const QImage& image, int count) const {
        QList<TColor> colours;
        for (int i = 1; i <= count; ++i)
            colours << placeColour(image, i);
        return colours;
    }
    static QList<TColor> repeat(TColor colour, int count) { return QList<TColor>(count, colour); }

    QWidget window;
    Bar* bar = nullptr;
};

TEST_F(ProgressBar, NewBarDefaults) {
    EXPECT_EQ(bar->size(), QSize(100, 17));
    EXPECT_FALSE(bar->AutoSize());
    EXPECT_TRUE(bar->BlockBitmap().isNull());
    EXPECT_TRUE(bar->DisableBlockBitmap().isNull());
    EXPECT_EQ(bar->Style(), Bar::pbRectangle);
    EXPECT_EQ(bar->Color(), colours::clBtnFace);
    EXPECT_EQ(bar->StartColor(), TColor(0xFFFFFF));
    EXPECT_EQ(bar->MiddleColor(), TColor(0x00FFFF));
    EXPECT_EQ(bar->EndColor(), TColor(0x0000FF));
    EXPECT_EQ(bar->DisableColor(), TColor(0x808080));
    EXPECT_EQ(bar->ColorStyle(), Bar::csThree);
    EXPECT_TRUE(bar->Frame());
    EXPECT_EQ(bar->FrameStyle(), Bar::fsSunken);
    EXPECT_FALSE(bar->ShowDisableBlocks());
    EXPECT_EQ(bar->Orientation(), Bar::otHorizontal);
    EXPECT_EQ(bar->Direction(), Bar::dtNormal);
    EXPECT_TRUE(bar->SquareBlocks());
    EXPECT_EQ(bar->BlockWide(), 5);
    EXPECT_EQ(bar->Position(), 0);
    EXPECT_EQ(bar->Min(), 0);
    EXPECT_EQ(bar->Max(), 10);
    EXPECT_EQ(bar->OffscreenSize(), QSize(0, 0));
}

TEST_F(ProgressBar, PublishedPropertiesAndEnumerations) {
    const QMetaObject* meta = bar->metaObject();
    QStringList names;
    for (int i = meta->propertyOffset(); i < meta->propertyCount(); ++i)
        names << QString::fromLatin1(meta->property(i).name());
    EXPECT_EQ(names,
              (QStringList{
                  "AutoSize",     "BlockBitmap", "DisableBlockBitmap", "Style",        "Color",
                  "StartColor",   "MiddleColor", "EndColor",           "DisableColor", "ColorStyle",
                  "Frame",        "FrameStyle",  "ShowDisableBlocks",  "Orientation",  "Direction",
                  "SquareBlocks", "BlockWide",   "Position",           "Max",          "Min"}));
    EXPECT_EQ(QMetaEnum::fromType<Bar::TPBStyle>().keyToValue("pbBitmap"), 0);
    EXPECT_EQ(QMetaEnum::fromType<Bar::TPBStyle>().keyToValue("pbRectangle"), 1);
    EXPECT_EQ(QMetaEnum::fromType<Bar::TPBColorStyle>().keyToValue("csOne"), 0);
    EXPECT_EQ(QMetaEnum::fromType<Bar::TPBColorStyle>().keyToValue("csTwo"), 1);
    EXPECT_EQ(QMetaEnum::fromType<Bar::TPBColorStyle>().keyToValue("csThree"), 2);
    EXPECT_EQ(QMetaEnum::fromType<Bar::TPBFrameStyle>().keyToValue("fsSunken"), 0);
    EXPECT_EQ(QMetaEnum::fromType<Bar::TPBFrameStyle>().keyToValue("fsRaised"), 1);
    EXPECT_EQ(QMetaEnum::fromType<Bar::TPBOrientation>().keyToValue("otHorizontal"), 0);
    EXPECT_EQ(QMetaEnum::fromType<Bar::TPBOrientation>().keyToValue("otVertical"), 1);
    EXPECT_EQ(QMetaEnum::fromType<Bar::TPBDirection>().keyToValue("dtNormal"), 0);
    EXPECT_EQ(QMetaEnum::fromType<Bar::TPBDirection>().keyToValue("dtInvert"), 1);
}

TEST_F(ProgressBar, PropertiesSetByName) {
    EXPECT_TRUE(bar->setProperty("Orientation", QStringLiteral("otVertical")));
    EXPECT_EQ(bar->Orientation(), Bar::otVertical);
    EXPECT_TRUE(bar->setProperty("ColorStyle", QStringLiteral("csTwo")));
    EXPECT_EQ(bar->ColorStyle(), Bar::csTwo);
    EXPECT_TRUE(bar->setProperty("Color", 12632256));
    EXPECT_EQ(bar->Color(), colours::clSilver);
    EXPECT_TRUE(bar->setProperty("DisableColor", QVariant::fromValue(colours::clBtnShadow)));
    EXPECT_EQ(bar->DisableColor(), colours::clBtnShadow);
    EXPECT_TRUE(bar->setProperty("Max", 280));
    EXPECT_EQ(bar->Max(), 280);
    QPixmap picture(4, 6);
    picture.fill(Qt::red);
    EXPECT_TRUE(bar->setProperty("BlockBitmap", picture));
    EXPECT_EQ(bar->BlockBitmap().size(), QSize(4, 6));
    EXPECT_TRUE(bar->setProperty("Style", QStringLiteral("pbBitmap")));
    EXPECT_EQ(bar->Style(), Bar::pbBitmap);
}

TEST_F(ProgressBar, MainWindowBarHasThirtyNinePlacesInThreeZones) {
    configureAsMainWindowBar();
    EXPECT_EQ(bar->size(), QSize(10, 235)); // AutoSize fitted nothing
    bar->setPosition(100);
    EXPECT_EQ(bar->OffscreenSize(), QSize(6, 231));
    EXPECT_EQ(bar->BlockLength(), 4);
    EXPECT_EQ(bar->BlockCount(), 39);
    const QImage image = Grab(*bar);
    for (int i = 1; i <= 39; ++i) {
        const TColor zone = i <= 13 ? colours::clRed : i <= 26 ? colours::clLime : colours::clBlue;
        const int top = 2 + (i - 1) * 6;
        const int rows = i < 39 ? 4 : 3; // the 39th block shows 3 pixels
        EXPECT_TRUE(Filled(image, QRect(2, top, 6, rows), zone)) << "block " << i;
        if (i < 39) {
            EXPECT_TRUE(Filled(image, QRect(2, top + 4, 6, 2), colours::clSilver)) << "gap " << i;
        }
    }
    // Around the inner area: the bar's colour, then the sunken edge.
    EXPECT_TRUE(Filled(image, QRect(1, 233, 8, 1), colours::clSilver));
    EXPECT_TRUE(Filled(image, QRect(1, 1, 8, 1), colours::clSilver));
    EXPECT_TRUE(Filled(image, QRect(1, 1, 1, 233), colours::clSilver));
    EXPECT_TRUE(Filled(image, QRect(8, 1, 1, 233), colours::clSilver));
    EXPECT_TRUE(Filled(image, QRect(0, 0, 9, 1), colours::clBtnShadow));
    EXPECT_TRUE(Filled(image, QRect(0, 0, 1, 234), colours::clBtnShadow));
    EXPECT_TRUE(Filled(image, QRect(9, 0, 1, 235), colours::clBtnHighlight));
    EXPECT_TRUE(Filled(image, QRect(0, 234, 10, 1), colours::clBtnHighlight));
}

TEST_F(ProgressBar, MainWindowBarHalfwayFillsNineteenPlacesFromTheTop) {
    configureAsMainWindowBar();
    bar->setPosition(50); // 50 * 39 div 100 = 19
    const QImage image = Grab(*bar);
    const QList<TColor> expected =
        repeat(colours::clRed, 13) + repeat(colours::clLime, 6) + repeat(colours::clSilver, 20);
    EXPECT_EQ(places(image, 39), expected);
    // A picture transfer: Max 280, then the line numbers.
    bar->setPosition(0);
    bar->setMax(280);
    bar->setPosition(140); // 140 * 39 div 280 = 19
    EXPECT_EQ(places(Grab(*bar), 39), expected);
    bar->setPosition(280);
    EXPECT_EQ(places(Grab(*bar), 39), repeat(colours::clRed, 13) + repeat(colours::clLime, 13) +
                                          repeat(colours::clBlue, 13));
}

TEST_F(ProgressBar, FourOrientationsAndDirections) {
    struct Case {
        Bar::TPBOrientation orientation;
        Bar::TPBDirection direction;
        QRect first, second, third; // in the inner area
    };
    const Case cases[] = {
        {Bar::otHorizontal, Bar::dtNormal, {0, 0, 4, 6}, {6, 0, 4, 6}, {12, 0, 4, 6}},
        {Bar::otHorizontal, Bar::dtInvert, {30, 0, 4, 6}, {24, 0, 4, 6}, {18, 0, 4, 6}},
        {Bar::otVertical, Bar::dtNormal, {0, 30, 6, 4}, {0, 24, 6, 4}, {0, 18, 6, 4}},
        {Bar::otVertical, Bar::dtInvert, {0, 0, 6, 4}, {0, 6, 6, 4}, {0, 12, 6, 4}},
    };
    for (const Case& c : cases) {
        configureBlocks(6, c.orientation, c.direction); // inner length 34: 36 / 6 = 6 places
        bar->setColorStyle(Bar::csOne);
        bar->setPosition(2);
        const QImage inner = Grab(*bar).copy(QRect(QPoint(2, 2), bar->OffscreenSize()));
        EXPECT_EQ(bar->Offscreen(), inner);
        EXPECT_TRUE(Filled(inner, c.first, colours::clRed));
        EXPECT_TRUE(Filled(inner, c.second, colours::clRed));
        EXPECT_TRUE(Filled(inner, c.third, colours::clSilver));
        EXPECT_EQ(Count(inner, inner.rect(), colours::clRed), 2 * 24);
        bar->setPosition(0);
    }
}

TEST_F(ProgressBar, ThreeZonesOfTenPlaces) {
    configureBlocks(10);
    EXPECT_EQ(bar->size(), QSize(62, 10));
    bar->setPosition(10);
    EXPECT_EQ(bar->BlockCount(), 10);
    EXPECT_EQ(places(Grab(*bar), 10),
              repeat(colours::clRed, 3) + repeat(colours::clLime, 3) + repeat(colours::clBlue, 4));
}

TEST_F(ProgressBar, TwoZonesOfFivePlacesAndOneZone) {
    configureBlocks(5);
    bar->setColorStyle(Bar::csTwo);
    bar->setPosition(5);
    EXPECT_EQ(places(Grab(*bar), 5), repeat(colours::clRed, 2) + repeat(colours::clBlue, 3));
    bar->setColorStyle(Bar::csOne);
    EXPECT_EQ(places(Grab(*bar), 5), repeat(colours::clRed, 5));
}

TEST_F(ProgressBar, ZoneFollowsThePlaceNotThePosition) {
    configureBlocks(10);
    bar->setPosition(2);
    EXPECT_EQ(places(Grab(*bar), 10), repeat(colours::clRed, 2) + repeat(colours::clSilver, 8));
    bar->setPosition(5);
    EXPECT_EQ(places(Grab(*bar), 10), repeat(colours::clRed, 3) + repeat(colours::clLime, 2) +
                                          repeat(colours::clSilver, 5));
}

TEST_F(ProgressBar, MinEqualToMaxDividesByOne) {
    configureBlocks(10);
    bar->setMin(5);
    bar->setMax(5);
    bar->setPosition(5); // (5 - 5) * 10 = 0
    EXPECT_EQ(places(Grab(*bar), 10), repeat(colours::clSilver, 10));
    bar->setPosition(6); // (6 - 5) * 10 = 10: every place
    EXPECT_EQ(places(Grab(*bar), 10),
              repeat(colours::clRed, 3) + repeat(colours::clLime, 3) + repeat(colours::clBlue, 4));
}

TEST_F(ProgressBar, PositionPastMaxAndBelowMin) {
    configureBlocks(10);
    const QList<TColor> full =
        repeat(colours::clRed, 3) + repeat(colours::clLime, 3) + repeat(colours::clBlue, 4);
    bar->setPosition(25);
    EXPECT_EQ(places(Grab(*bar), 10), full);
    bar->setPosition(-3);
    EXPECT_EQ(places(Grab(*bar), 10), repeat(colours::clSilver, 10));
    // With the disabled blocks shown: every place disabled below Min, none past Max.
    bar->setShowDisableBlocks(true);
    EXPECT_EQ(places(Grab(*bar), 10), repeat(colours::clGray, 10));
    bar->setPosition(25);
    EXPECT_EQ(places(Grab(*bar), 10), full);
    bar->setPosition(4);
    EXPECT_EQ(places(Grab(*bar), 10),
              repeat(colours::clRed, 3) + repeat(colours::clLime, 1) + repeat(colours::clGray, 6));
    // The gaps keep the bar's colour.
    const QImage image = Grab(*bar);
    EXPECT_TRUE(Filled(image, QRect(2 + 4, 2, 2, 6), colours::clSilver));
    EXPECT_TRUE(Filled(image, QRect(2 + 40, 2, 2, 6), colours::clSilver));
}

TEST_F(ProgressBar, PlacesBeyondThePositionKeepTheBackground) {
    configureBlocks(10);
    bar->setPosition(3);
    const QImage image = Grab(*bar);
    EXPECT_TRUE(Filled(image, QRect(2 + 18, 2, 40, 6), colours::clSilver));
}

const QColor kGray = QColor(0x80, 0x80, 0x80); // clGray

QPixmap picture(QSize size, QColor left, QColor rest) {
    QImage image(size, QImage::Format_RGB32);
    image.fill(rest);
    for (int y = 0; y < size.height(); ++y)
        image.setPixelColor(0, y, left);
    return QPixmap::fromImage(image);
}

TEST_F(ProgressBar, BitmapStyleCopiesTheBlockPicture) {
    bar->resize(40, 10); // inner 36 x 6
    bar->setColor(colours::clSilver);
    bar->setBlockBitmap(picture(QSize(4, 6), Qt::red, Qt::green));
    bar->setStyle(Bar::pbBitmap);
    ASSERT_EQ(bar->Style(), Bar::pbBitmap);
    bar->setMax(7);
    bar->setPosition(2);
    EXPECT_EQ(bar->BlockLength(), 4); // the picture's width
    EXPECT_EQ(bar->BlockCount(), 7);
    const QImage inner = bar->Offscreen();
    for (int i = 0; i < 2; ++i) {
        EXPECT_TRUE(Filled(inner, QRect(i * 6, 0, 1, 6), colours::clRed));
        EXPECT_TRUE(Filled(inner, QRect(i * 6 + 1, 0, 3, 6), colours::clLime));
    }
    EXPECT_TRUE(Filled(inner, QRect(12, 0, 24, 6), colours::clSilver));
    // The disabled picture for the places not reached.
    bar->setDisableBlockBitmap(picture(QSize(4, 6), kGray, kGray));
    bar->setShowDisableBlocks(true);
    ASSERT_TRUE(bar->ShowDisableBlocks());
    bar->PaintBlocks();
    const QImage shown = bar->Offscreen();
    EXPECT_TRUE(Filled(shown, QRect(0, 0, 1, 6), colours::clRed));
    EXPECT_TRUE(Filled(shown, QRect(12, 0, 4, 6), colours::clGray));
    EXPECT_TRUE(Filled(shown, QRect(30, 0, 4, 6), colours::clGray));
    // 38 / 6 gives a 7th place, which lies wholly outside the 36 pixels.
    EXPECT_TRUE(Filled(shown, QRect(34, 0, 2, 6), colours::clSilver));
    EXPECT_TRUE(Filled(shown, QRect(10, 0, 2, 6), colours::clSilver));
    EXPECT_EQ(Grab(*bar).copy(QRect(2, 2, 36, 6)), shown);
}

TEST_F(ProgressBar, SmallerPictureCopiesOnlyItsPixels) {
    bar->resize(40, 10);
    bar->setColor(colours::clSilver);
    bar->setSquareBlocks(false);
    bar->setBlockWide(4);
    bar->setBlockBitmap(picture(QSize(2, 3), Qt::red, Qt::red));
    bar->setStyle(Bar::pbBitmap);
    bar->setPosition(10);
    const QImage inner = bar->Offscreen();
    EXPECT_TRUE(Filled(inner, QRect(0, 0, 2, 3), colours::clRed));
    EXPECT_TRUE(Filled(inner, QRect(2, 0, 2, 6), colours::clSilver));
    EXPECT_TRUE(Filled(inner, QRect(0, 3, 2, 3), colours::clSilver));
}

TEST_F(ProgressBar, BitmapStyleRefusals) {
    // No block picture: pbBitmap is refused.
    bar->setStyle(Bar::pbBitmap);
    EXPECT_EQ(bar->Style(), Bar::pbRectangle);
    bar->setBlockBitmap(picture(QSize(5, 5), Qt::red, Qt::red));
    bar->setStyle(Bar::pbBitmap);
    EXPECT_EQ(bar->Style(), Bar::pbBitmap);
    // No disabled picture: showing the disabled blocks is refused while pbBitmap is in force.
    bar->setShowDisableBlocks(true);
    EXPECT_FALSE(bar->ShowDisableBlocks());
    bar->setDisableBlockBitmap(picture(QSize(5, 5), kGray, kGray));
    bar->setShowDisableBlocks(true);
    EXPECT_TRUE(bar->ShowDisableBlocks());
    // Emptying the disabled picture ends the disabled blocks.
    bar->setDisableBlockBitmap(QPixmap());
    EXPECT_FALSE(bar->ShowDisableBlocks());
    // Emptying the block picture ends pbBitmap.
    bar->setBlockBitmap(QPixmap());
    EXPECT_EQ(bar->Style(), Bar::pbRectangle);
    // In pbRectangle the disabled blocks need no picture.
    bar->setShowDisableBlocks(true);
    EXPECT_TRUE(bar->ShowDisableBlocks());
}

TEST_F(ProgressBar, EmptyPicturesLeaveTheOtherPropertiesAlone) {
    bar->setBlockBitmap(QPixmap());
    EXPECT_EQ(bar->Style(), Bar::pbRectangle);
    bar->setShowDisableBlocks(true);
    bar->setDisableBlockBitmap(QPixmap());
    EXPECT_TRUE(bar->ShowDisableBlocks()); // pbRectangle: the rule does not apply
}

TEST_F(ProgressBar, BlockWideBelowOneIsRefused) {
    bar->setBlockWide(0);
    EXPECT_EQ(bar->BlockWide(), 5);
    bar->setBlockWide(-3);
    EXPECT_EQ(bar->BlockWide(), 5);
    bar->setBlockWide(1);
    EXPECT_EQ(bar->BlockWide(), 1);
}

TEST_F(ProgressBar, SquareBlocksTakeTheBarsThickness) {
    bar->setMax(1);
    bar->setPosition(1);
    EXPECT_EQ(bar->OffscreenSize(), QSize(96, 13));
    EXPECT_EQ(bar->BlockLength(), 13);
    EXPECT_EQ(bar->BlockCount(), 7); // 98 / 15
    bar->setOrientation(Bar::otVertical);
    EXPECT_EQ(bar->BlockLength(), 96);
    bar->setSquareBlocks(false);
    EXPECT_EQ(bar->BlockLength(), 5);
}

TEST_F(ProgressBar, AutoSizeBeforeTheFirstPaintFitsNothing) {
    // As the main window's layout streams it: the off-screen bitmap is still 0 x 0.
    configureAsMainWindowBar();
    EXPECT_EQ(bar->geometry(), QRect(537, 83, 10, 235));
    EXPECT_TRUE(bar->AutoSize());
}

TEST_F(ProgressBar, AutoSizeAfterAPaintFitsWholeBlocks) {
    configureAsMainWindowBar();
    bar->setAutoSize(false);
    bar->setAutoSize(true); // inner 231, needed 232: height (4 + 2) * 39 + 2
    EXPECT_EQ(bar->size(), QSize(10, 236));
    EXPECT_EQ(bar->OffscreenSize(), QSize(6, 232)); // painted at once
    // Later changes do not fit again.
    bar->resize(10, 100);
    bar->setBlockWide(7);
    bar->setAutoSize(true);
    EXPECT_EQ(bar->size(), QSize(10, 100));
}

TEST_F(ProgressBar, FitToBlocksSizes) {
    bar->setSquareBlocks(false); // BlockWide 5
    bar->setPosition(1);         // inner 96 x 13: 98 / 7 = 14 places exactly
    EXPECT_FALSE(bar->FitToBlocks());
    EXPECT_EQ(bar->size(), QSize(100, 17));
    bar->resize(101, 17);
    bar->PaintBlocks(); // inner 97: 15 places, needed 103
    EXPECT_TRUE(bar->FitToBlocks());
    EXPECT_EQ(bar->size(), QSize(107, 17));
    EXPECT_FALSE(bar->FitToBlocks());
}

TEST_F(ProgressBar, FitToBlocksForPictures) {
    bar->setBlockBitmap(picture(QSize(8, 10), Qt::red, Qt::red));
    bar->setStyle(Bar::pbBitmap);
    bar->PaintBlocks(); // inner 96 x 13; 98 / 10: 10 places, needed 98
    EXPECT_TRUE(bar->FitToBlocks());
    EXPECT_EQ(bar->size(), QSize(102, 14));
    EXPECT_FALSE(bar->FitToBlocks());
    // Upright: the picture's width, then whole blocks of its height.
    bar->setBlockBitmap(picture(QSize(6, 8), Qt::red, Qt::red));
    bar->setOrientation(Bar::otVertical);
    bar->resize(12, 100);
    bar->PaintBlocks(); // inner 8 x 96; 98 / 10: 10 places, needed 98
    EXPECT_TRUE(bar->FitToBlocks());
    EXPECT_EQ(bar->size(), QSize(10, 102));
}

TEST_F(ProgressBar, PositionPaintsTheBlocksAtOnce) {
    configureAsMainWindowBar();
    show();
    PaintCounter paints(*bar);
    bar->setPosition(100);
    EXPECT_EQ(paints.count, 1); // without running the event loop
    EXPECT_EQ(paints.lastRegion, QRegion(2, 2, 6, 231));
    EXPECT_EQ(At(bar->Offscreen(), 3, 0), colours::clRed);
    bar->setPosition(100); // unchanged: nothing
    bar->setMax(50);
    bar->setMin(10);
    EXPECT_EQ(paints.count, 3);
}

TEST_F(ProgressBar, OtherPropertiesInvalidate) {
    configureAsMainWindowBar();
    bar->setPosition(100);
    show();
    PaintCounter paints(*bar);
    bar->setStartColor(colours::clYellow);
    bar->setColor(colours::clWhite);
    EXPECT_EQ(paints.count, 0);
    EXPECT_EQ(At(bar->Offscreen(), 3, 0), colours::clRed);
    EXPECT_TRUE(QTest::qWaitFor([&paints] { return paints.count > 0; }));
    EXPECT_EQ(At(bar->Offscreen(), 3, 0), colours::clYellow);
    EXPECT_EQ(At(bar->Offscreen(), 3, 4), colours::clWhite);
    // The block pictures report their change through Changed.
    paints.count = 0;
    bar->setBlockBitmap(picture(QSize(3, 3), Qt::red, Qt::red));
    EXPECT_EQ(paints.count, 0);
    EXPECT_TRUE(QTest::qWaitFor([&paints] { return paints.count > 0; }));
}

TEST_F(ProgressBar, FrameStyles) {
    bar->setColor(colours::clSilver);
    QImage image = Grab(*bar);
    EXPECT_EQ(At(image, 5, 0), Shown(colours::clBtnShadow));
    EXPECT_EQ(At(image, 5, 16), Shown(colours::clBtnHighlight));
    bar->setFrameStyle(Bar::fsRaised);
    image = Grab(*bar);
    EXPECT_EQ(At(image, 5, 0), Shown(colours::clBtnHighlight));
    EXPECT_EQ(At(image, 0, 5), Shown(colours::clBtnHighlight));
    EXPECT_EQ(At(image, 5, 16), Shown(colours::clBtnShadow));
    EXPECT_EQ(At(image, 99, 5), Shown(colours::clBtnShadow));
    bar->setFrame(false);
    EXPECT_TRUE(Filled(Grab(*bar), bar->rect(), colours::clSilver));
}

TEST_F(ProgressBar, DefaultColourIsTheDesktopsButtonFace) {
    bar->setFrame(false);
    EXPECT_TRUE(Filled(Grab(*bar), bar->rect(), colours::clBtnFace));
    EXPECT_EQ(Shown(colours::clBtnFace),
              TColor::fromQColor(QApplication::palette().button().color()));
}

TEST_F(ProgressBar, TooSmallForAnInnerAreaDrawsNoBlocks) {
    for (const QSize size : {QSize(0, 0), QSize(3, 3), QSize(4, 20), QSize(20, 4)}) {
        bar->resize(size);
        bar->setPosition(bar->Position() == 10 ? 9 : 10);
        EXPECT_TRUE(bar->Offscreen().isNull());
        EXPECT_EQ(bar->OffscreenSize().width() * bar->OffscreenSize().height(), 0);
        if (!size.isEmpty()) {
            EXPECT_EQ(Grab(*bar).size(), size);
        }
    }
    bar->resize(5, 5); // one pixel: one square block of 1
    bar->setColor(colours::clSilver);
    bar->setStartColor(colours::clRed);
    bar->setColorStyle(Bar::csOne);
    bar->setMax(1);
    EXPECT_EQ(bar->BlockCount(), 1);
    EXPECT_EQ(At(Grab(*bar), 2, 2), colours::clRed);
}

TEST_F(ProgressBar, MouseEvents) {
    show();
    QStringList log;
    QObject::connect(bar, &Bar::OnClick, [&log] { log << "click"; });
    QObject::connect(bar, &Bar::OnDblClick, [&log] { log << "dbl"; });
    QObject::connect(bar, &Bar::OnMouseDown, [&log](Qt::MouseButton, auto, int x, int y) {
        log << QStringLiteral("down %1,%2").arg(x).arg(y);
    });
    QObject::connect(bar, &Bar::OnMouseUp, [&log](auto, auto, int, int) { log << "up"; });
    QObject::connect(bar, &Bar::OnMouseMove, [&log](auto, int, int) { log << "move"; });
    const QPoint at = bar->mapTo(&window, QPoint(5, 6));
    QTest::mouseClick(window.windowHandle(), Qt::LeftButton, {}, at);
    EXPECT_EQ(log.filter("move").size(), log.size() - 3);
    log.removeAll(QStringLiteral("move"));
    EXPECT_EQ(log, (QStringList{"down 5,6", "click", "up"}));
    log.clear();
    QTest::mousePress(window.windowHandle(), Qt::LeftButton, {}, at);
    QTest::mouseMove(window.windowHandle(), QPoint(290, 290));
    QTest::mouseRelease(window.windowHandle(), Qt::LeftButton, {}, QPoint(290, 290));
    EXPECT_FALSE(log.contains(QStringLiteral("click")));
    EXPECT_TRUE(log.contains(QStringLiteral("move")));
    log.clear();
    QTest::mouseDClick(window.windowHandle(), Qt::LeftButton, {}, at);
    EXPECT_EQ(log.count(QStringLiteral("click")), 1);
    EXPECT_EQ(log.count(QStringLiteral("dbl")), 1);
}

} // namespace
} // namespace winorbis::test
