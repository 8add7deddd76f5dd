// SPDX-License-Identifier: GPL-3.0-or-later
// The flying button as a widget: properties, pictures, synchronous paints and the mouse.
#include "controls/TFlyingButton.h"
#include "controls/ButtonPicture.h"

#include "ControlsTestSupport.h"

#include <QMetaEnum>
#include <QPainter>
#include <QTest>

namespace winorbis::test {
namespace {

class FlyingButton : public ::testing::Test {
protected:
    void SetUp() override {
        window.resize(200, 100);
        button = new TFlyingButton(&window);
        button->move(20, 10);
        QObject::connect(
            button, &TFlyingButton::OnMouseDown, [this](Qt::MouseButton b, auto, int, int) {
                log << QStringLiteral("down%1:%2").arg(int(b)).arg(button->ButtonState());
            });
        QObject::connect(
            button, &TFlyingButton::OnMouseUp, [this](Qt::MouseButton b, auto, int, int) {
                log << QStringLiteral("up%1:%2").arg(int(b)).arg(button->ButtonState());
            });
        QObject::connect(button, &TFlyingButton::OnClick,
                         [this] { log << QStringLiteral("click:%1").arg(button->ButtonState()); });
        QObject::connect(button, &TFlyingButton::OnDblClick,
                         [this] { log << QStringLiteral("dbl:%1").arg(button->ButtonState()); });
    }
    void show() {
        window.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    }
    // A point of the button in window coordinates.
    QPoint inWindow(int x, int y) const { return button->mapTo(&window, QPoint(x, y)); }
    // True when the canvas holds the down picture (the face at (4, 4), no shadow).
    bool drawnDown() const {
        const QImage& c = button->canvas();
        return At(c, 2, 2) == Shown(colours::clBtnFace) &&
               At(c, 10, 10) == Shown(button->FaceColor());
    }
    bool drawnUp() const {
        const QImage& c = button->canvas();
        return At(c, 2, 2) == Shown(button->FaceColor()) &&
               At(c, 72, 20) == Shown(colours::clBtnShadow);
    }

    QWidget window;
    TFlyingButton* button = nullptr;
    QStringList log;
};

TEST_F(FlyingButton, NewButtonDefaults) {
    EXPECT_EQ(button->size(), QSize(75, 33));
    EXPECT_EQ(button->FaceColor(), TColor(255));
    EXPECT_EQ(button->ButtonState(), TFlyingButton::stUp);
    EXPECT_EQ(button->Buttontype(), TFlyingButton::btRahmen);
    EXPECT_EQ(button->Text(), QString());
    EXPECT_EQ(button->TextLeft(), 0);
    EXPECT_EQ(button->TextTop(), 0);
}

TEST_F(FlyingButton, PublishedPropertiesInLayoutOrder) {
    const QMetaObject* meta = button->metaObject();
    QStringList names;
    for (int i = meta->propertyOffset(); i < meta->propertyCount(); ++i)
        names << QString::fromLatin1(meta->property(i).name());
    EXPECT_EQ(names, (QStringList{"Buttontype", "TextLeft", "TextTop", "Text", "ButtonState",
                                  "FaceColor", "Font"}));
    const QMetaEnum type = QMetaEnum::fromType<TFlyingButton::TButtonType>();
    EXPECT_EQ(type.keyToValue("btRahmen"), 0);
    EXPECT_EQ(type.keyToValue("btOhneRahmen"), 1);
    const QMetaEnum state = QMetaEnum::fromType<TFlyingButton::TButtonState>();
    EXPECT_EQ(state.keyToValue("stUp"), 0);
    EXPECT_EQ(state.keyToValue("stDown"), 1);
}

TEST_F(FlyingButton, PropertiesSetByName) {
    EXPECT_TRUE(button->setProperty("Buttontype", QStringLiteral("btOhneRahmen")));
    EXPECT_EQ(button->Buttontype(), TFlyingButton::btOhneRahmen);
    EXPECT_TRUE(button->setProperty("ButtonState", QStringLiteral("stDown")));
    EXPECT_EQ(button->ButtonState(), TFlyingButton::stDown);
    EXPECT_TRUE(button->setProperty("Text", QStringLiteral("R 36")));
    EXPECT_EQ(button->Text(), QStringLiteral("R 36"));
    EXPECT_TRUE(button->setProperty("FaceColor", 65280));
    EXPECT_EQ(button->FaceColor(), colours::clLime);
    // A system colour as a layout streams it (a negative 32-bit number) and as the type itself.
    EXPECT_TRUE(button->setProperty("FaceColor", -2147483633));
    EXPECT_EQ(button->FaceColor(), colours::clBtnFace);
    EXPECT_TRUE(button->setProperty("FaceColor", QVariant::fromValue(colours::clYellow)));
    EXPECT_EQ(button->property("FaceColor").value<TColor>(), colours::clYellow);
    EXPECT_EQ(button->property("FaceColor").toInt(), 0x00FFFF);
    QFont font(QStringLiteral("DejaVu Serif"));
    font.setPointSize(14);
    EXPECT_TRUE(button->setProperty("Font", font));
    EXPECT_EQ(button->font().pointSize(), 14);
}

TEST_F(FlyingButton, PictureInTheDesktopsColours) {
    button->setFaceColor(colours::clYellow);
    button->setText(QStringLiteral("R 36"));
    const QImage shown = Grab(*button);
    EXPECT_EQ(At(shown, 0, 0), Shown(colours::clBtnFace));
    EXPECT_EQ(At(shown, 72, 20), Shown(colours::clBtnShadow));
    EXPECT_EQ(At(shown, 10, 0), colours::clBlack);
    EXPECT_EQ(At(shown, 3, 3), colours::clYellow);
    // Exactly the up picture drawn with the resolved colours and the canvas font.
    ButtonLook look;
    look.text = QStringLiteral("R 36");
    look.font = CaptionFont(button->font());
    look.background = colours::clBtnFace.toQColor();
    look.shadow = colours::clBtnShadow.toQColor();
    look.face = colours::clYellow.toQColor();
    look.outline = Qt::black;
    look.textColour = colours::clWindowText.toQColor();
    QImage expected(75, 33, QImage::Format_RGB32);
    QPainter painter(&expected);
    const QPoint text = DrawButtonPicture(painter, expected.size(), look);
    painter.end();
    EXPECT_EQ(shown, expected);
    EXPECT_EQ(QPoint(button->TextLeft(), button->TextTop()), text);
    EXPECT_EQ(button->canvas(), expected);
}

TEST_F(FlyingButton, ADisabledButtonIsVeiledAndAnEnabledOneShowsItsFace) {
    button->setFaceColor(colours::clYellow);
    button->setText(QStringLiteral("PC->Orbis"));
    const QImage enabled = Grab(*button);
    button->setEnabled(false);
    const QImage disabled = Grab(*button);
    EXPECT_NE(At(disabled, 3, 3), colours::clYellow);
    EXPECT_EQ(button->canvas(), enabled) << "the picture itself stays";
    button->setEnabled(true);
    EXPECT_EQ(Grab(*button), enabled);
}

TEST_F(FlyingButton, CaptionShowsNeitherBoldNorTheFontsColour) {
    button->setText(QStringLiteral("Exit"));
    button->setFaceColor(colours::clSilver);
    TFlyingButton plain(&window);
    plain.setText(QStringLiteral("Exit"));
    plain.setFaceColor(colours::clSilver);
    QFont styled(QStringLiteral("DejaVu Sans"));
    styled.setPointSize(13);
    QFont regular = styled;
    styled.setBold(true);
    styled.setItalic(true);
    button->setFont(styled);
    plain.setFont(regular);
    QPalette red = button->palette();
    red.setColor(QPalette::WindowText, Qt::red);
    red.setColor(QPalette::ButtonText, Qt::red);
    button->setPalette(red);
    EXPECT_EQ(Grab(*button), Grab(plain));
    EXPECT_EQ(Count(Grab(*button), button->rect(), colours::clRed), 0);
}

TEST_F(FlyingButton, FontFollowsTheParentWindow) {
    button->setText(QStringLiteral("OK"));
    QFont small(QStringLiteral("DejaVu Sans"));
    small.setPixelSize(10);
    window.setFont(small);
    EXPECT_EQ(button->font().pixelSize(), 10);
    button->Paint();
    const int smallTop = button->TextTop();
    QFont large = small;
    large.setPixelSize(24);
    window.setFont(large);
    button->Paint();
    EXPECT_LT(button->TextTop(), smallTop);
}

TEST_F(FlyingButton, SettersPaintAtOnceEvenForTheSameValue) {
    show();
    PaintCounter paints(*button);
    button->setFaceColor(colours::clLime);
    EXPECT_EQ(paints.count, 1); // synchronously, without running the event loop
    EXPECT_EQ(At(button->canvas(), 10, 10), colours::clLime);
    button->setFaceColor(colours::clLime);
    EXPECT_EQ(paints.count, 2);
    button->setText(QStringLiteral("RX Stop"));
    button->setButtontype(TFlyingButton::btOhneRahmen);
    button->setTextLeft(3);
    button->setTextTop(4);
    button->setButtonState(TFlyingButton::stDown);
    EXPECT_EQ(paints.count, 7);
    EXPECT_TRUE(drawnDown());
    // btOhneRahmen: the face's edge has the face colour.
    EXPECT_TRUE(Filled(button->canvas(), QRect(74, 5, 1, 27), colours::clLime));
    EXPECT_TRUE(Filled(button->canvas(), QRect(5, 4, 69, 1), colours::clLime));
}

TEST_F(FlyingButton, WrittenTextPositionIsReplacedByTheCentredOne) {
    button->setText(QStringLiteral("Catalog"));
    const QPoint centred(button->TextLeft(), button->TextTop());
    EXPECT_GT(centred.x(), 0);
    button->setTextLeft(50);
    button->setTextTop(-7);
    EXPECT_EQ(QPoint(button->TextLeft(), button->TextTop()), centred);
    EXPECT_TRUE(button->setProperty("TextLeft", 1));
    EXPECT_EQ(button->property("TextLeft").toInt(), centred.x());
}

TEST_F(FlyingButton, WideCaptionGivesNegativeOffsets) {
    button->resize(40, 24);
    button->setText(QStringLiteral("Standard Text"));
    EXPECT_LT(button->TextLeft(), 0);
    const QImage shown = Grab(*button);
    EXPECT_EQ(shown.size(), QSize(40, 24));
    TFlyingButton empty(&window);
    empty.resize(40, 24);
    EXPECT_NE(shown, Grab(empty));
}

TEST_F(FlyingButton, UnknownStateDrawsNothing) {
    button->setFaceColor(colours::clYellow);
    const QImage before = button->canvas();
    button->setButtonState(static_cast<TFlyingButton::TButtonState>(2));
    button->setFaceColor(colours::clLime);
    EXPECT_EQ(button->canvas(), before);
}

TEST_F(FlyingButton, LeftClickRaisesOnClickWhileDrawnDown) {
    show();
    bool downInHandler = false;
    QObject::connect(button, &TFlyingButton::OnClick,
                     [this, &downInHandler] { downInHandler = drawnDown(); });
    PaintCounter paints(*button);
    QTest::mousePress(window.windowHandle(), Qt::LeftButton, {}, inWindow(30, 15));
    EXPECT_EQ(button->ButtonState(), TFlyingButton::stDown);
    EXPECT_EQ(paints.count, 2); // the state's paint and one more
    EXPECT_TRUE(drawnDown());
    QTest::mouseRelease(window.windowHandle(), Qt::LeftButton, {}, inWindow(30, 15));
    EXPECT_EQ(log, (QStringList{"down1:0", "click:1", "up1:1"}));
    EXPECT_TRUE(downInHandler);
    EXPECT_EQ(button->ButtonState(), TFlyingButton::stUp);
    EXPECT_EQ(paints.count, 4);
    EXPECT_TRUE(drawnUp());
}

TEST_F(FlyingButton, RightAndMiddleButtonsDrawDownAndUpWithoutClick) {
    show();
    for (const Qt::MouseButton which : {Qt::RightButton, Qt::MiddleButton}) {
        QTest::mousePress(window.windowHandle(), which, {}, inWindow(30, 15));
        EXPECT_TRUE(drawnDown());
        QTest::mouseRelease(window.windowHandle(), which, {}, inWindow(30, 15));
        EXPECT_TRUE(drawnUp());
    }
    EXPECT_EQ(log, (QStringList{"down2:0", "up2:1", "down4:0", "up4:1"}));
}

TEST_F(FlyingButton, PressDragOutsideReleaseGivesNoClick) {
    show();
    QTest::mousePress(window.windowHandle(), Qt::LeftButton, {}, inWindow(30, 15));
    QTest::mouseMove(window.windowHandle(), QPoint(180, 90));
    EXPECT_TRUE(drawnDown());
    QTest::mouseRelease(window.windowHandle(), Qt::LeftButton, {}, QPoint(180, 90));
    EXPECT_EQ(log, (QStringList{"down1:0", "up1:1"}));
    EXPECT_TRUE(drawnUp());
}

TEST_F(FlyingButton, DoubleClickRaisesOneClickAndOneDoubleClick) {
    show();
    QTest::mouseDClick(window.windowHandle(), Qt::LeftButton, {}, inWindow(30, 15));
    // Qt delivers the second press as the double click alone: the double-click event, then the
    // mouse-down handling, which draws the button down again; its release draws it up and raises
    // no second click.
    EXPECT_EQ(log, (QStringList{"down1:0", "click:1", "up1:1", "dbl:0", "down1:0", "up1:1"}));
    EXPECT_TRUE(drawnUp());
}

TEST_F(FlyingButton, DoubleClickAfterAPressEventCountsOnce) {
    // Input that delivers the second press as a press and then as a double click.
    QTest::mouseClick(button, Qt::LeftButton, {}, QPoint(30, 15));
    QTest::mousePress(button, Qt::LeftButton, {}, QPoint(30, 15));
    QTest::mouseDClick(button, Qt::LeftButton, {}, QPoint(30, 15));
    EXPECT_EQ(button->ButtonState(), TFlyingButton::stDown);
    QTest::mouseRelease(button, Qt::LeftButton, {}, QPoint(30, 15));
    EXPECT_EQ(log, (QStringList{"down1:0", "click:1", "up1:1", "down1:0", "dbl:1", "up1:1"}));
    EXPECT_EQ(button->ButtonState(), TFlyingButton::stUp);
}

TEST_F(FlyingButton, RightDoubleClickRaisesNoDoubleClick) {
    show();
    QTest::mouseDClick(window.windowHandle(), Qt::RightButton, {}, inWindow(30, 15));
    EXPECT_EQ(log, (QStringList{"down2:0", "up2:1", "down2:0", "up2:1"}));
}

// The main window's buttons as the main window configures them, drawn up and down side by side.
TEST(FlyingButtonConfigurations, MainWindowButtonsUpAndDown) {
    struct Config {
        const char* text;
        QSize size;
        TColor face;
        int pixels;
        const char* family;
    };
    const Config configs[] = {
        {"R 36", {40, 24}, colours::clYellow, 16, "System"},
        {"PC->Orbis", {73, 23}, colours::clYellow, 11, "System"},
        {"Rx Stop", {73, 23}, colours::clRed, 12, "System"},
        {"Catalog", {66, 24}, colours::clLime, 11, "System"},
        {"Standard Text", {101, 24}, colours::clLime, 13, "System"},
        {"Exit", {44, 23}, colours::clSilver, 13, "System"},
        {"Setup", {57, 23}, colours::clSilver, 13, "System"},
        {"Font", {66, 23}, colours::clSilver, 11, "Arial"},
    };
    QWidget sheet;
    sheet.resize(2 * 110 + 10, int(std::size(configs)) * 30 + 10);
    int y = 5;
    for (const Config& c : configs) {
        for (const bool down : {false, true}) {
            auto* b = new TFlyingButton(&sheet);
            b->setGeometry(QRect(QPoint(down ? 115 : 5, y), c.size));
            QFont font(QString::fromLatin1(c.family));
            font.setPixelSize(c.pixels);
            font.setBold(true); // set by the layouts, does not show
            b->setFont(font);
            b->setButtontype(TFlyingButton::btRahmen);
            b->setText(QString::fromLatin1(c.text));
            b->setFaceColor(c.face);
            b->setButtonState(down ? TFlyingButton::stDown : TFlyingButton::stUp);
            // The caption lies on the face: centred within the control.
            EXPECT_GE(b->TextTop(), 0) << c.text;
            EXPECT_LE(b->TextTop() * 2, c.size.height()) << c.text;
            // Up: the background at the top right; down: at the top left.
            EXPECT_EQ(At(b->canvas(), down ? 2 : c.size.width() - 2, 2), Shown(colours::clBtnFace))
                << c.text;
        }
        y += 30;
    }
    if (qEnvironmentVariableIsSet("WINORBIS_GALLERY"))
        sheet.grab().toImage().save(qEnvironmentVariable("WINORBIS_GALLERY"));
}

} // namespace
} // namespace winorbis::test
