// SPDX-License-Identifier: GPL-3.0-or-later
// The catalog window joined to the main window: its commands, the catalog stores of the main
// window, the click copy into the TX window and the names shared with the mini slots.
#include "MainWindowFixture.h"

#include "app/CatalogWiring.h"
#include "catalog/CatalogDrags.h"
#include "catalog/TForm3.h"
#include "controls/TFlyingButton.h"

#include <QAction>
#include <QApplication>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QTest>
#include <QTimer>

using namespace winorbis;
using namespace winorbis::test;

namespace {

struct CatalogWiringTest : MainWindowFixture {
    std::unique_ptr<TForm3> catalog;

    void startBoth() {
        // A program ended on a signal (an earlier test) ends every event loop that starts later,
        // a modal window's among them; running the application's loop once more clears that.
        QTimer::singleShot(0, qApp, [] { QCoreApplication::quit(); });
        QCoreApplication::exec();
        start();
        catalog = std::make_unique<TForm3>();
        connectCatalog(*form, *catalog, dialogs);
    }
    void TearDown() override {
        catalog.reset();
        MainWindowFixture::TearDown();
    }
    QString file(const QString& relative) const { return dir.path() + '/' + relative; }
    static QImage solid(QSize size, QRgb colour) {
        QImage picture(size, QImage::Format_RGB888);
        picture.fill(colour);
        return picture;
    }
    CatalogPicture* image(int n) {
        return catalog->findChild<CatalogPicture*>(QStringLiteral("Image%1").arg(n));
    }
    // Runs a command that opens the catalog; true when it was shown modally. The catalog is
    // closed again as soon as its loop runs.
    bool opensCatalog(const std::function<void()>& command) {
        struct ShowWatch : QObject {
            bool shownModal = false;
            bool eventFilter(QObject* watched, QEvent* event) override {
                if (event->type() == QEvent::Show)
                    shownModal = static_cast<QWidget*>(watched)->isModal();
                return false;
            }
        } watch;
        catalog->installEventFilter(&watch);
        QTimer::singleShot(0, catalog.get(), [this] { catalog->close(); });
        command();
        catalog->removeEventFilter(&watch);
        catalog->close();
        return watch.shownModal;
    }
};

TEST_F(CatalogWiringTest, TheButtonTheMenuItemAndF9OpenTheCatalogModally) {
    startBoth();
    auto* special = control<QMenu>("Special1");
    ASSERT_NE(special, nullptr);
    QAction* item = special->actions().value(0);
    ASSERT_NE(item, nullptr);
    EXPECT_EQ(item->objectName(), "Katalog1");
    EXPECT_EQ(item->text(), "&Catalog");
    EXPECT_EQ(item->shortcut(), QKeySequence(Qt::Key_F9));
    EXPECT_TRUE(opensCatalog([&] { item->trigger(); }));
    auto* button = control<TFlyingButton>("FlyingButton18");
    ASSERT_NE(button, nullptr);
    EXPECT_TRUE(opensCatalog([&] { QTest::mouseClick(button, Qt::LeftButton); }));
}

TEST_F(CatalogWiringTest, TheCatalogStoresShowTheStoredPictureInTheCatalog) {
    startBoth();
    form->pictures().tx = solid({410, 256}, qRgb(200, 0, 0));
    form->settings().txCatalogCounter = 3;
    form->BildspeichernTxClick();
    ASSERT_FALSE(image(15)->picture().isNull());
    EXPECT_EQ(image(15)->picture().pixel(5, 5), qRgb(200, 0, 0));

    form->pictures().rx = solid({410, 256}, qRgb(0, 0, 200));
    form->settings().receiveCounter = 4;
    form->BildspeichernRxClick();
    ASSERT_FALSE(image(4)->picture().isNull());
    EXPECT_EQ(image(4)->picture().pixel(5, 5), qRgb(0, 0, 200));
    EXPECT_EQ(catalog->findChild<QLabel*>("Label31")->text(), form->settings().slotNames[3]);
}

TEST_F(CatalogWiringTest, AnRxTrashDeleteRenamesTheSlotInTheMainWindow) {
    startBoth();
    form->pictures().rx = solid({410, 256}, qRgb(0, 0, 200));
    form->settings().receiveCounter = 4;
    form->BildspeichernRxClick();
    dialogs.answerOkCancel(true);
    CatalogController& controller = *catalog->controller();
    ASSERT_TRUE(controller.pictureMouseDown(CatalogPosition::rx(4), true));
    controller.trashDragDrop(CatalogSource::Picture);
    controller.pictureEndDrag(CatalogPosition::rx(4));
    EXPECT_EQ(form->settings().slotNames[3], "Bild 4");
    EXPECT_EQ(control<QLabel>("PIC4")->text(), "Bild 4");
}

TEST_F(CatalogWiringTest, AClickLoadsThePictureIntoTheTxWindowAtItsOwnSize) {
    startBoth();
    ASSERT_TRUE(solid({320, 240}, qRgb(0, 160, 0)).save(file("im0/cat2.jpg")));
    catalog->controller()->selectPage(0);
    form->settings().positionNames[0][2] = "Field";
    catalog->show();
    QTest::mouseClick(image(20), Qt::LeftButton);
    EXPECT_FALSE(catalog->isVisible());
    EXPECT_EQ(form->pictures().tx.size(), QSize(320, 240));
    EXPECT_EQ(form->pictures().currentFile, file("tempX.bmp"));
    EXPECT_EQ(form->pictures().txName, "Field");
}

TEST_F(CatalogWiringTest, PageNamesAndTheCurrentPageSurviveARestart) {
    startBoth();
    QTest::mouseClick(catalog->findChild<QPushButton*>("Button6"), Qt::LeftButton);
    catalog->controller()->textStartDrag("DX");
    catalog->controller()->pageButtonDragDrop(5);
    catalog.reset();
    form.reset(); // writes "\COM.DAT"
    startBoth();
    auto* button = catalog->findChild<QPushButton*>("Button6");
    EXPECT_EQ(button->text(), "DX");
    EXPECT_TRUE(button->font().bold());
    EXPECT_TRUE(catalog->findChild<QPushButton*>("Button1")->font().italic());
}

} // namespace
