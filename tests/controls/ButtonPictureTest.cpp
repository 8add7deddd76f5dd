// SPDX-License-Identifier: GPL-3.0-or-later
// The flying button's up and down pictures, drawn into images with fixed colours.
#include "controls/ButtonPicture.h"
#include "controls/GdiShapes.h"
#include "controls/ToolIcons.h"

#include "ControlsTestSupport.h"

#include <QApplication>
#include <QFontMetrics>
#include <QPainter>

namespace winorbis::test {
namespace {

constexpr TColor kBackground{0xF0F0F0}, kShadow{0xA0A0A0},
    kFace = colours::clYellow, kOutline = colours::clBlack, kText = colours::clBlue;

ButtonLook look(const QString& text = {}, bool down = false) {
    ButtonLook l;
    l.text = text;
    QFont font(QStringLiteral("DejaVu Sans"));
    font.setPointSize(12);
    l.font = CaptionFont(font);
    l.background = kBackground.toQColor();
    l.shadow = kShadow.toQColor();
    l.face = kFace.toQColor();
    l.outline = kOutline.toQColor();
    l.textColour = kText.toQColor();
    l.down = down;
    return l;
}

struct Drawn {
    QImage image;
    QPoint text;
};

Drawn draw(const ButtonLook& l, QSize size = QSize(75, 33)) {
    Drawn d{QImage(size, QImage::Format_RGB32), {}};
    d.image.fill(Qt::magenta); // anything left undrawn would show
    QPainter painter(&d.image);
    d.text = DrawButtonPicture(painter, size, l);
    return d;
}

TEST(ButtonPicture, UpPictureFaceOutlineAndShadow) {
    const QImage up = draw(look()).image;
    // The face (0, 0, 71, 29): outline without the corner pixels, yellow inside.
    EXPECT_EQ(At(up, 0, 0), kBackground);
    EXPECT_TRUE(Filled(up, QRect(1, 0, 69, 1), kOutline));  // top row
    EXPECT_TRUE(Filled(up, QRect(1, 28, 69, 1), kOutline)); // bottom row
    EXPECT_TRUE(Filled(up, QRect(0, 1, 1, 27), kOutline));  // left column
    EXPECT_TRUE(Filled(up, QRect(70, 1, 1, 27), kOutline)); // right column
    EXPECT_TRUE(Filled(up, QRect(1, 1, 69, 27), kFace));
    EXPECT_EQ(At(up, 70, 0), kBackground);
    EXPECT_EQ(At(up, 0, 28), kBackground);
    // The shadow (4, 4, 75, 33) shows below and to the right of the face.
    EXPECT_TRUE(Filled(up, QRect(71, 5, 4, 27), kShadow));
    EXPECT_TRUE(Filled(up, QRect(5, 29, 66, 4), kShadow));
    EXPECT_EQ(At(up, 70, 28), kShadow); // the face's cut corner shows the shadow
    EXPECT_EQ(At(up, 74, 4), kBackground);
    EXPECT_EQ(At(up, 74, 32), kBackground);
    EXPECT_EQ(At(up, 4, 32), kBackground);
    // The background at the top right and bottom left.
    EXPECT_TRUE(Filled(up, QRect(71, 0, 4, 4), kBackground));
    EXPECT_TRUE(Filled(up, QRect(0, 29, 4, 4), kBackground));
    EXPECT_EQ(Count(up, up.rect(), TColor(0xFF00FF)), 0);
}

TEST(ButtonPicture, DownPictureFaceInTheShadowsPlace) {
    const QImage down = draw(look({}, true)).image;
    EXPECT_TRUE(Filled(down, QRect(0, 0, 75, 4), kBackground));
    EXPECT_TRUE(Filled(down, QRect(0, 0, 4, 33), kBackground));
    EXPECT_EQ(At(down, 4, 4), kBackground);
    EXPECT_TRUE(Filled(down, QRect(5, 4, 69, 1), kOutline));
    EXPECT_TRUE(Filled(down, QRect(5, 32, 69, 1), kOutline));
    EXPECT_TRUE(Filled(down, QRect(4, 5, 1, 27), kOutline));
    EXPECT_TRUE(Filled(down, QRect(74, 5, 1, 27), kOutline));
    EXPECT_TRUE(Filled(down, QRect(5, 5, 69, 27), kFace));
    EXPECT_EQ(Count(down, down.rect(), kShadow), 0);
}

TEST(ButtonPicture, WithoutFrameNoOutlineShows) {
    ButtonLook l = look();
    l.outline = l.face;
    const QImage up = draw(l).image;
    EXPECT_EQ(Count(up, up.rect(), kOutline), 0);
    EXPECT_TRUE(Filled(up, QRect(1, 0, 69, 29), kFace));
}

TEST(ButtonPicture, FaceLikeTheBackgroundLeavesOnlyTheShadow) {
    ButtonLook l = look();
    l.face = l.background;
    l.outline = l.face;
    const QImage up = draw(l).image;
    EXPECT_EQ(Count(up, up.rect(), kFace), 0);
    EXPECT_TRUE(Filled(up, QRect(0, 0, 71, 28), kBackground));
    EXPECT_TRUE(Filled(up, QRect(0, 28, 70, 1), kBackground));
    EXPECT_TRUE(Filled(up, QRect(71, 5, 4, 27), kShadow));
}

TEST(ButtonPicture, CaptionCentredWithTheCanvasFontsMetrics) {
    const ButtonLook l = look(QStringLiteral("R 36"));
    const Drawn up = draw(l);
    const QFontMetrics metrics(l.font, &up.image);
    const int tw = metrics.horizontalAdvance(l.text);
    const int th = metrics.height();
    EXPECT_EQ(up.text, QPoint(75 / 2 - tw / 2, 33 / 2 - th / 2));
    // The caption is drawn in the text colour inside its cell at (TextLeft - 2, TextTop - 2).
    const QRect cell(up.text - QPoint(2, 2), QSize(tw, th));
    EXPECT_GT(Count(up.image, cell, kText), 0);
    EXPECT_EQ(Count(up.image, up.image.rect(), kText), Count(up.image, cell, kText));
}

TEST(ButtonPicture, DownCaptionIsTheUpCaptionMovedByFour) {
    const ButtonLook l = look(QStringLiteral("M 1"));
    const Drawn up = draw(l);
    const Drawn down = draw(look(QStringLiteral("M 1"), true));
    EXPECT_EQ(up.text, down.text); // the same centred position in both states
    const QFontMetrics metrics(l.font, &up.image);
    const QRect cell(up.text - QPoint(2, 2),
                     QSize(metrics.horizontalAdvance(l.text), metrics.height()));
    EXPECT_GT(Count(up.image, cell, kText), 0);
    EXPECT_EQ(up.image.copy(cell), down.image.copy(cell.translated(4, 4)));
}

TEST(ButtonPicture, EmptyCaptionDrawsFaceAndShadowOnly) {
    const QImage up = draw(look()).image;
    EXPECT_EQ(Count(up, up.rect(), kText), 0);
    EXPECT_EQ(Count(up, up.rect(), kBackground) + Count(up, up.rect(), kShadow) +
                  Count(up, up.rect(), kFace) + Count(up, up.rect(), kOutline),
              75 * 33);
}

TEST(ButtonPicture, WideCaptionHasNegativeOffsetsAndIsClipped) {
    // Blanks leave no ink, so the whole text cell shows its face-coloured background.
    const ButtonLook blanks = look(QString(40, QLatin1Char(' ')));
    QFont big(blanks.font);
    big.setPixelSize(40);
    ButtonLook tall = blanks;
    tall.font = big;
    const Drawn up = draw(tall);
    EXPECT_LT(up.text.x(), 0);
    EXPECT_LT(up.text.y(), 0);
    // The opaque cell covers the whole control, shadow and background included.
    EXPECT_TRUE(Filled(up.image, up.image.rect(), kFace));
    // A real caption wider than the button is cut at the control's edges.
    const Drawn wide = draw(look(QStringLiteral("Standard Text Standard Text")));
    EXPECT_LT(wide.text.x(), 0);
    EXPECT_GT(Count(wide.image, QRect(0, 0, 10, 33), kText), 0);
    EXPECT_GT(Count(wide.image, QRect(65, 0, 10, 33), kText), 0);
    EXPECT_EQ(Count(wide.image, wide.image.rect(), TColor(0xFF00FF)), 0);
}

TEST(ButtonPicture, CaptionFontTakesSizeAndFaceOnly) {
    QFont font(QStringLiteral("DejaVu Serif"));
    font.setPointSize(15);
    font.setBold(true);
    font.setItalic(true);
    font.setUnderline(true);
    font.setStrikeOut(true);
    const QFont caption = CaptionFont(font);
    EXPECT_EQ(caption.family(), QStringLiteral("DejaVu Serif"));
    EXPECT_EQ(caption.pointSize(), 15);
    EXPECT_EQ(caption.weight(), QFont::Normal);
    EXPECT_FALSE(caption.italic());
    EXPECT_FALSE(caption.underline());
    EXPECT_FALSE(caption.strikeOut());
    // A font given in pixels (the layouts' negative heights) keeps its pixel size.
    QFont pixels(QStringLiteral("DejaVu Sans"));
    pixels.setPixelSize(16);
    EXPECT_EQ(CaptionFont(pixels).pixelSize(), 16);
}

TEST(ButtonPicture, CentringTruncatesTowardZero) {
    EXPECT_EQ(CentredTextPosition(QSize(75, 33), QSize(35, 19)), QPoint(37 - 17, 16 - 9));
    EXPECT_EQ(CentredTextPosition(QSize(40, 24), QSize(101, 50)), QPoint(20 - 50, 12 - 25));
    EXPECT_EQ(CentredTextPosition(QSize(0, 0), QSize(0, 0)), QPoint(0, 0));
}

TEST(GdiShapes, ThinShapesArePlainRectangles) {
    QImage image(6, 6, QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter painter(&image);
    gdi::RoundRect5(painter, 1, 1, 3, 5, Qt::black, Qt::red);
    painter.end();
    EXPECT_TRUE(Filled(image, QRect(1, 1, 2, 4), colours::clBlack));
    EXPECT_EQ(Count(image, image.rect(), colours::clBlack), 8);
}

TEST(GdiShapes, EdgeOwnsTheCornersForTheBottomRightColour) {
    QImage image(5, 4, QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter painter(&image);
    gdi::Edge(painter, image.rect(), Qt::red, Qt::blue);
    painter.end();
    EXPECT_TRUE(Filled(image, QRect(0, 0, 4, 1), colours::clRed));
    EXPECT_TRUE(Filled(image, QRect(0, 0, 1, 3), colours::clRed));
    EXPECT_TRUE(Filled(image, QRect(4, 0, 1, 4), colours::clBlue));
    EXPECT_TRUE(Filled(image, QRect(0, 3, 5, 1), colours::clBlue));
    EXPECT_TRUE(Filled(image, QRect(1, 1, 3, 2), colours::clWhite));
}

} // namespace
// A standard icon made when first drawn draws as the style's own, in every mode and size a
// button asks for.
TEST(ToolIcons, AStandardIconMadeLaterDrawsAsTheStylesOwn) {
    for (const auto which : {QStyle::SP_DialogOpenButton, QStyle::SP_DialogCloseButton}) {
        const QIcon deferred = ToolIcons::standard(which);
        const QIcon own = QApplication::style()->standardIcon(which);
        EXPECT_FALSE(deferred.isNull());
        EXPECT_EQ(deferred.availableSizes(), own.availableSizes());
        for (const auto mode : {QIcon::Normal, QIcon::Disabled})
            for (const int size : {16, 22, 32})
                EXPECT_EQ(deferred.pixmap(size, mode).toImage(), own.pixmap(size, mode).toImage())
                    << which << ' ' << mode << ' ' << size;
    }
}

} // namespace winorbis::test
