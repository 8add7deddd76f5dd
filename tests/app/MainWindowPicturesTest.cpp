// SPDX-License-Identifier: GPL-3.0-or-later
// The main window's TX and RX picture commands with real files in a temporary program folder.
#include "MainWindowFixture.h"

#include "workspace/ui/PaintBox.h"

#include <QAction>
#include <QFile>
#include <QPrinterInfo>
#include <QTest>
#include <QToolButton>

using namespace winorbis;
using namespace winorbis::test;

namespace {

QString writePicture(const QString& path, QSize size, QColor colour) {
    QImage picture(size, QImage::Format_RGB888);
    picture.fill(colour);
    EXPECT_TRUE(picture.save(path));
    return path;
}

struct PicturesFixture : MainWindowFixture {
    void SetUp() override {
        writePicture(dir.path() + "/start.bmp", {410, 256}, Qt::darkGreen);
        start();
        form->show();
    }
};

} // namespace

TEST_F(PicturesFixture, TheLastRunsTxPictureIsLoadedAtStartAndSavedAtExit) {
    EXPECT_EQ(form->pictures().tx.pixel(10, 10), QColor(Qt::darkGreen).rgb());
    EXPECT_EQ(form->pictures().rx.pixel(209, 10), qRgb(127, 127, 127)); // the grey ramp
    form->pictures().tx.fill(Qt::magenta);
    dialogs.answerYesNo(false);
    form->ExitClick(); // "No": the program goes on, but the picture is saved
    EXPECT_TRUE(form->isVisible());
    EXPECT_EQ(QImage(dir.path() + "/start.bmp").pixel(5, 5), QColor(Qt::magenta).rgb());
}

TEST_F(PicturesFixture, APictureChosenInTheOpenDialogIsScaledIntoTheTxPicture) {
    const QString file = writePicture(dir.path() + "/small.BMP", {100, 50}, Qt::red);
    dialogs.answerFile(file);
    control<QToolButton>("SpeedButton4")->click();
    EXPECT_EQ(form->statusText(), "Picture open in the format *.bmp,*.jpg");
    EXPECT_EQ(form->pictures().tx.size(), QSize(410, 256));
    EXPECT_EQ(form->pictures().tx.pixel(400, 250), qRgb(255, 0, 0));
    EXPECT_EQ(form->pictures().currentFile, file);
    ASSERT_EQ(dialogs.fileRequests().size(), 1);
    EXPECT_EQ(dialogs.fileRequests().first().filter,
              "Windows Bit Map *.bmp|*.BMP|JPEG Bitmap *.jpg|*.JPG");

    // A plain click on the TX window loads the same file again, as it now is.
    writePicture(file, {100, 50}, Qt::blue);
    QTest::mouseClick(control<PaintBox>("PaintBox1"), Qt::LeftButton, {}, QPoint(50, 50));
    EXPECT_EQ(form->pictures().tx.pixel(200, 100), qRgb(0, 0, 255));
    EXPECT_EQ(dialogs.fileRequests().size(), 1); // without the dialog
}

TEST_F(PicturesFixture, NoPictureIsLoadedWhileAReceptionRuns) {
    port->arrive(QByteArray(1, char(172)));
    ASSERT_TRUE(pumpUntil([&] { return form->link().linkState() == LinkState::Waiting; }));
    dialogs.answerFile(writePicture(dir.path() + "/x.bmp", {10, 10}, Qt::red));
    control<QAction>("Bildfnen1")->trigger();
    EXPECT_TRUE(dialogs.fileRequests().isEmpty());
    EXPECT_EQ(form->pictures().tx.pixel(10, 10), QColor(Qt::darkGreen).rgb());
}

TEST_F(PicturesFixture, TheCatalogStoresWriteTheirFilesAndCountOn) {
    form->settings().txCatalogCounter = 5;
    control<QToolButton>("SpeedButton5")->click();
    EXPECT_EQ(form->statusText(), "TX Picture stored in the TX catalog");
    EXPECT_TRUE(QFile::exists(dir.path() + "/TxKatalog/Bild5.bmp"));
    EXPECT_EQ(form->settings().txCatalogCounter, 1);

    form->settings().receiveCounter = 12;
    control<QToolButton>("SpeedButton13")->click();
    EXPECT_EQ(form->statusText(), "Picture stored in the RX Catalog");
    EXPECT_TRUE(QFile::exists(dir.path() + "/RxKatalog/Bild12.jpg"));
    EXPECT_FALSE(QFile::exists(dir.path() + "/Temp.bmp"));
    EXPECT_FALSE(form->settings().slotNames[11].startsWith("RxPic"));
    EXPECT_EQ(form->settings().receiveCounter, 1);
}

TEST_F(PicturesFixture, TheRxWindowIsSavedAsShownIn341By256) {
    const QString target = dir.path() + "/shown.bmp";
    dialogs.answerFile(target);
    QTest::mouseClick(control<QWidget>("FlyingButton23"), Qt::LeftButton);
    EXPECT_EQ(QImage(target).size(), QSize(341, 256));

    // Save as over an existing file, answered "No", keeps it untouched.
    const QByteArray before = [&] {
        QFile f(target);
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }();
    dialogs.answerFile(target);
    dialogs.answerYesNo(false);
    control<QToolButton>("SpeedButton14")->click();
    QFile after(target);
    ASSERT_TRUE(after.open(QIODevice::ReadOnly));
    EXPECT_EQ(after.readAll(), before);
    EXPECT_EQ(dialogs.texts().last(), "The File " + target + " existed. Overwrite?");
}

TEST_F(PicturesFixture, PrintingOnAMachineWithoutPrintersWritesAPdfFileInstead) {
    if (!QPrinterInfo::availablePrinterNames().isEmpty())
        GTEST_SKIP() << "this machine has a printer";
    // The machine's own print system, through the menu item: the offer of a PDF file, not the
    // print question.
    const QString target = dir.path() + "/tx.pdf";
    dialogs.answerFile(target);
    control<QAction>("Drucken1")->trigger();
    EXPECT_FALSE(dialogs.sawText("They would like to print the picture?"));
    EXPECT_TRUE(dialogs.sawText("No printer is installed. Print the picture into a PDF file?"));
    QFile pdf(target);
    ASSERT_TRUE(pdf.open(QIODevice::ReadOnly));
    const QByteArray bytes = pdf.readAll();
    EXPECT_TRUE(bytes.startsWith("%PDF"));
    EXPECT_EQ(bytes.count("/Subtype /Image"), 1);
    EXPECT_EQ(form->statusText(), "The picture was printed into " + target);
}
