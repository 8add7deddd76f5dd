// SPDX-License-Identifier: GPL-3.0-or-later
#include "CatalogTestSupport.h"

#include "catalog/CatalogDrags.h"
#include "catalog/CatalogTexts.h"
#include "catalog/TForm3.h"
#include "settings/Settings.h"
#include "support/ScriptedDialogs.h"
#include "workspace/WorkingPictures.h"

#include <QApplication>
#include <QDropEvent>
#include <QFontInfo>
#include <QFontMetrics>
#include <QLabel>
#include <QLineEdit>
#include <QMimeData>
#include <QPushButton>
#include <QTest>

namespace winorbis::test {
namespace {

constexpr QRgb kRed = qRgb(220, 30, 30);
constexpr QRgb kBlue = qRgb(30, 30, 220);
constexpr QRgb kGrey = qRgb(128, 128, 128);

// The fixture stands in for the main window around the catalog.
struct CatalogWindowTest : ::testing::Test, CatalogHost {
    CatalogFolder station;
    ScriptedDialogs dialogs;
    WorkingPictures pictures;
    Settings settings = Settings::defaults(QStringLiteral("Arial"));
    QStringList copiedToTx;
    TForm3 window;

    bool copyToTx(const QString& file) override {
        copiedToTx << file;
        return true;
    }
    void slotNamesChanged() override {}

    void attach() { window.attach(station.folder, dialogs, pictures, settings, *this); }
    template <typename T = QWidget> T* control(const QString& name) {
        T* found = window.findChild<T*>(name);
        EXPECT_NE(found, nullptr) << name.toStdString();
        return found;
    }
    CatalogPicture* image(int n) {
        return control<CatalogPicture>(QStringLiteral("Image%1").arg(n));
    }
    // A drop of the given source on a control, as Qt delivers it; whether it was accepted.
    bool drop(QWidget* target, CatalogSource source, const QString& text = {}) {
        std::unique_ptr<QMimeData> mime(CatalogDrags::mimeFor(source, text));
        QDragEnterEvent enter(QPoint(5, 5), Qt::CopyAction, mime.get(), Qt::LeftButton,
                              Qt::NoModifier);
        QApplication::sendEvent(target, &enter);
        if (!enter.isAccepted())
            return false;
        QDropEvent dropped(QPointF(5, 5), Qt::CopyAction, mime.get(), Qt::LeftButton,
                           Qt::NoModifier);
        QApplication::sendEvent(target, &dropped);
        return dropped.isAccepted();
    }
};

TEST_F(CatalogWindowTest, TheLayoutHasEveryGroupAtItsPlace) {
    EXPECT_EQ(window.size(), QSize(1019, 713));
    EXPECT_EQ(window.windowTitle(), "Catalog");
    EXPECT_EQ(window.palette().color(QPalette::Window), QColor(236, 222, 145));
    const auto placeOf = [&](CatalogPicture* picture, const char* panel) {
        return picture->mapTo(control(panel), picture->contentsRect().topLeft());
    };
    EXPECT_EQ(placeOf(image(1), "Panel1"), QPoint(11, 61));
    EXPECT_EQ(placeOf(image(12), "Panel1"), QPoint(120, 611));
    EXPECT_EQ(image(2)->contentsRect().size(), QSize(100, 77));
    EXPECT_EQ(placeOf(image(17), "Panel2"), QPoint(11, 521));
    EXPECT_EQ(placeOf(image(18), "Panel3"), QPoint(21, 80));
    EXPECT_EQ(placeOf(image(42), "Panel3"), QPoint(501, 520));
    for (int n = 1; n <= 42; ++n) {
        EXPECT_EQ(image(n)->contentsRect().size().width(), 100) << n;
        EXPECT_EQ(image(n)->frameGeometry().size(), n == 2 ? QSize(102, 79) : QSize(102, 77));
    }
    for (int n = 3; n <= 44; ++n) {
        auto* label = control<QLabel>(QStringLiteral("Label%1").arg(n));
        EXPECT_EQ(label->isHidden(), n >= 28) << n;
    }
    EXPECT_EQ(control("Button1")->geometry(), QRect(450, 10, 88, 25));
    EXPECT_EQ(control("Button18")->geometry(), QRect(900, 70, 88, 25));
    EXPECT_EQ(control("Edit1")->geometry().topLeft(), QPoint(274, 23));
    EXPECT_EQ(control("Button19")->geometry(), QRect(376, 61, 57, 25));
    EXPECT_EQ(control("Button20")->geometry(), QRect(312, 61, 57, 25));
    EXPECT_EQ(control("TrashCan")->mapTo(&window, QPoint()), QPoint(264, 56));
    // The hints as the window has always spelled them.
    EXPECT_EQ(image(15)->toolTip(), "Picture  3 ");
    EXPECT_EQ(image(3)->toolTip(), "Picture 3");
    EXPECT_EQ(image(42)->toolTip(), "cat24");
    EXPECT_EQ(control("Button1")->toolTip(), CatalogTexts::pageHint(0));
    EXPECT_EQ(control("Button18")->toolTip(), "Catalog IM17");
    EXPECT_EQ(control("Edit1")->toolTip(), CatalogTexts::kTextHint);
}

TEST_F(CatalogWindowTest, PageButtonsHelpAndExit) {
    station.write("im5/cat0.bmp", kRed);
    attach();
    QTest::mouseClick(control("Button6"), Qt::LeftButton);
    EXPECT_EQ(settings.catalogPage, 5);
    EXPECT_TRUE(control("Button6")->font().bold());
    EXPECT_FALSE(control("Button6")->font().italic());
    EXPECT_TRUE(control("Button1")->font().italic());
    EXPECT_TRUE(looksLike(image(18)->picture(), kRed));
    QTest::mouseClick(control("Button20"), Qt::LeftButton);
    EXPECT_EQ(dialogs.texts(), QStringList{CatalogTexts::kHelpText});
    window.show();
    QTest::mouseClick(control("Button19"), Qt::LeftButton);
    EXPECT_FALSE(window.isVisible());
}

TEST_F(CatalogWindowTest, PicturesDraggedBetweenPositionsAndIntoTheTrashCan) {
    station.write("TxKatalog/Bild2.bmp", kBlue);
    settings.txNames[1] = "Beam";
    attach();
    // The RX catalog takes no drops; other programs' drags are refused.
    EXPECT_FALSE(image(1)->acceptDrops());
    EXPECT_FALSE(drop(image(22), CatalogSource::Other, "file:///etc/passwd"));

    QTest::mousePress(image(14), Qt::LeftButton, {}, QPoint(20, 20));
    EXPECT_TRUE(drop(image(22), CatalogSource::Picture));
    QTest::mouseRelease(image(14), Qt::LeftButton, {}, QPoint(60, 60));
    EXPECT_EQ(station.bytes("im0/cat4.bmp"), station.bytes("TxKatalog/Bild2.bmp"));
    EXPECT_TRUE(looksLike(image(22)->picture(), kBlue));
    EXPECT_EQ(control<QLabel>("Label7")->text(), "Beam");

    // Into the trash can: the drag ends when the pointer has moved on.
    dialogs.answerOkCancel(true);
    QTest::mousePress(image(22), Qt::LeftButton, {}, QPoint(20, 20));
    EXPECT_TRUE(drop(control("TrashCan"), CatalogSource::Picture));
    QTest::mouseMove(image(22), QPoint(60, 60));
    QMouseEvent move(QEvent::MouseMove, QPointF(60, 60), image(22)->mapToGlobal(QPointF(60, 60)),
                     Qt::NoButton, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(image(22), &move);
    EXPECT_FALSE(station.exists("im0/cat4.bmp"));
    EXPECT_TRUE(looksLike(image(22)->picture(), kGrey));
    EXPECT_EQ(control<QLabel>("Label7")->text(), "");
}

TEST_F(CatalogWindowTest, TextDraggedOntoNamesAndASimpleClick) {
    station.write("im0/cat1.bmp", kRed);
    attach();
    control<QLineEdit>("Edit1")->setText("Sunrise");
    window.controller()->textStartDrag("Sunrise");
    EXPECT_TRUE(drop(control("Label4"), CatalogSource::TextField, "Sunrise"));
    EXPECT_EQ(control<QLabel>("Label4")->text(), "Sunrise");
    EXPECT_EQ(settings.positionNames[0][1], "Sunrise");
    window.controller()->textStartDrag("Trip");
    EXPECT_TRUE(drop(control("Button3"), CatalogSource::TextField, "Trip"));
    EXPECT_EQ(control<QPushButton>("Button3")->text(), "Trip");
    // Name labels take the text field only.
    EXPECT_FALSE(drop(control("Label4"), CatalogSource::Picture));

    window.show();
    QTest::mouseClick(image(13), Qt::LeftButton); // an empty TX position
    EXPECT_TRUE(copiedToTx.isEmpty());
    EXPECT_TRUE(window.isVisible());
    QTest::mouseClick(image(19), Qt::LeftButton);
    EXPECT_EQ(copiedToTx, QStringList{station.file("im0/cat1.bmp")});
    EXPECT_FALSE(window.isVisible());
}

TEST_F(CatalogWindowTest, ATimeStampNameFitsItsLabelWholeAndAShortNameKeepsTheFont) {
    settings.positionNames[0][2] = "081226_161500_2";
    settings.positionNames[0][3] = "Sun";
    attach();
    auto* stamp = control<QLabel>("Label5");
    EXPECT_EQ(stamp->text(), "081226_161500_2");
    EXPECT_EQ(stamp->toolTip(), "081226_161500_2");
    const QFontMetrics metrics(stamp->font());
    EXPECT_LE(metrics.horizontalAdvance(stamp->text()), stamp->width());
    EXPECT_LE(metrics.height(), stamp->height() + 1);
    auto* shortName = control<QLabel>("Label6");
    EXPECT_EQ(QFontInfo(shortName->font()).pixelSize(), QFontInfo(window.font()).pixelSize());
}

} // namespace
} // namespace winorbis::test
