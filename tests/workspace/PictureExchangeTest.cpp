// SPDX-License-Identifier: GPL-3.0-or-later
#include "workspace/ui/PictureExchange.h"
#include "workspace/ui/ExchangeTexts.h"
#include "workspace/ui/Printers.h"
#include "workspace/ui/StoredTestPictures.h"
#include "workspace/ui/TForm7.h"

#include "PictureTestSupport.h"
#include "platform/ProgramFolder.h"
#include "settings/Settings.h"
#include "support/ScriptedDialogs.h"
#include "support/TestPictures.h"
#include "workspace/BmpFiles.h"
#include "workspace/PictureFiles.h"
#include "workspace/WorkingPictures.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QLabel>
#include <QMimeData>
#include <QPainter>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QtEndian>

#include <gtest/gtest.h>

using namespace winorbis;
using namespace winorbis::test;

namespace {

// Printers for tests: one PDF file stands in for the printer, and the setup dialog is only
// counted.
class PdfPrinters final : public Printers {
public:
    explicit PdfPrinters(const QString& file)
        : printer_(QPrinter::HighResolution) {
        printer_.setOutputFormat(QPrinter::PdfFormat);
        printer_.setOutputFileName(file);
    }
    bool anyInstalled() const override { return installed; }
    QPrinter& printer() override { return printer_; }
    bool setup(QWidget*) override {
        ++setups;
        return true;
    }

    bool installed = true;
    int setups = 0;

private:
    QPrinter printer_;
};

QClipboard& clipboard() {
    return *QGuiApplication::clipboard();
}

// The Flate-compressed streams of a PDF file, decompressed.
QList<QByteArray> flateStreams(const QByteArray& pdf) {
    QList<QByteArray> streams;
    qsizetype at = 0;
    while ((at = pdf.indexOf("/Filter /FlateDecode", at)) >= 0) {
        const qsizetype start = pdf.indexOf("stream\n", at) + 7;
        const qsizetype end = pdf.indexOf("endstream", start);
        if (start < 7 || end < 0)
            break;
        QByteArray sized(4, '\0');
        qToBigEndian<quint32>(quint32(64 * (end - start) + 1024), sized.data());
        streams << qUncompress(sized + pdf.mid(start, end - start));
        at = end;
    }
    return streams;
}

// The fixture stands in for the main window around the commands.
struct ExchangeFixture : ::testing::Test, PictureExchangeHost {
    QTemporaryDir dir;
    ProgramFolder folder{dir.path()};
    ScriptedDialogs dialogs;
    WorkingPictures pictures;
    Settings settings = Settings::defaults("Face");
    PictureFiles files{folder, dialogs, pictures, settings};
    QStringList statuses;
    QStringList actions; // the main window's actions, in the order they ran
    QString pdf = dir.filePath("page.pdf");
    PdfPrinters* printers = new PdfPrinters(pdf);
    TForm7 preview;
    PictureExchange exchange{pictures, folder, dialogs, *this, std::unique_ptr<Printers>(printers)};

    void showStatus(const QString& text) override { statuses << text; }
    void removeFrames() override { actions << "remove frames"; }
    void loadStartPicture() override {
        actions << "load start picture";
        files.loadStartPicture();
    }
    void txPictureChanged() override { actions << "show tx"; }

    void SetUp() override {
        pictures.tx = WorkingPictures::defaultGradient();
        pictures.rx = randomPicture(410, 256, 7);
        pictures.scratch = QImage(410, 256, QImage::Format_RGB888);
        pictures.currentFile = "picture.bmp";
        pictures.txName = "tx name";
        pictures.draggedName = "dragged name";
        exchange.setPreview(&preview);
        clipboard().clear();
    }
    QString startPicture() const { return folder.path(PictureFiles::kStartPictureName); }
};

} // namespace

TEST_F(ExchangeFixture, CopyPutsEitherPictureOnTheClipboard) {
    exchange.BildkopierenTxClick();
    EXPECT_TRUE(clipboard().image() == pictures.tx);
    exchange.BildkopierenRxClick();
    EXPECT_TRUE(clipboard().image() == pictures.rx);
    EXPECT_EQ(statuses, QStringList({"Picture from the TX Windows copy to clipboard",
                                     "Picture from the RX Windows copy to clipboard"}));
    EXPECT_TRUE(dialogs.shown().isEmpty());
}

// The pasted picture becomes "\start.bmp", and the TX picture, keeping its size, is loaded from it.
TEST_F(ExchangeFixture, PasteGoesThroughTheStartPictureIntoTheTxPicture) {
    const QImage pasted = randomPicture(100, 80, 3);
    clipboard().setImage(pasted);
    ASSERT_TRUE(exchange.BildeinfuegenTxClick());
    EXPECT_EQ(statuses, QStringList{"Insert the picture from the clipboard to the TX Window"});
    EXPECT_EQ(actions, QStringList({"remove frames", "load start picture"}));
    EXPECT_TRUE(BmpFiles::read(startPicture(), nullptr) == pasted);
    EXPECT_EQ(pictures.tx.size(), QSize(410, 256));
    EXPECT_TRUE(pictures.tx == WorkingPictures::scaledInto(pasted, {410, 256}));
    EXPECT_EQ(pictures.currentFile, "picture.bmp");
    EXPECT_TRUE(dialogs.shown().isEmpty());
}

TEST_F(ExchangeFixture, PasteWithoutAPictureOnTheClipboardChangesNothing) {
    ASSERT_TRUE(writeAll(startPicture(), "old start picture"));
    const QImage tx = pictures.tx;
    for (const bool withText : {false, true}) {
        SCOPED_TRACE(withText);
        if (withText)
            clipboard().setText("a text, no picture");
        dialogs.clear();
        EXPECT_FALSE(exchange.BildeinfuegenTxClick());
        EXPECT_EQ(dialogs.shown().size(), 1);
        EXPECT_EQ(dialogs.count("error"), 1);
        EXPECT_TRUE(dialogs.sawText(ExchangeTexts::kNoClipboardPicture));
    }
    EXPECT_TRUE(actions.isEmpty());
    EXPECT_TRUE(pictures.tx == tx);
    EXPECT_EQ(readAll(startPicture()), "old start picture");
}

TEST_F(ExchangeFixture, PasteThatCannotWriteTheStartPictureLoadsNothing) {
    // A folder in the place of the file: the checked writer refuses and reports it.
    ASSERT_TRUE(QDir(dir.path()).mkdir("start.bmp"));
    const QImage tx = pictures.tx;
    clipboard().setImage(randomPicture(50, 50, 1));
    EXPECT_FALSE(exchange.BildeinfuegenTxClick());
    EXPECT_EQ(dialogs.count("error"), 1);
    EXPECT_EQ(actions, QStringList{"remove frames"});
    EXPECT_TRUE(pictures.tx == tx);
}

TEST_F(ExchangeFixture, TestPictureReplacesTheTxPictureByWayOfTheClipboard) {
    for (int i = 0; i < 5; ++i) {
        SCOPED_TRACE(i);
        actions.clear();
        exchange.testPictureClick(i);
        const QImage stored = StoredTestPictures::picture(i);
        EXPECT_TRUE(clipboard().image() == stored);
        EXPECT_EQ(pictures.tx.size(), QSize(420, 256));
        EXPECT_EQ(pictures.tx.format(), QImage::Format_RGB888);
        EXPECT_TRUE(pictures.tx == stored.convertToFormat(QImage::Format_RGB888));
        EXPECT_EQ(actions, QStringList{"show tx"});
    }
    EXPECT_EQ(pictures.currentFile, "picture.bmp");
    EXPECT_EQ(pictures.txName, "tx name");
    EXPECT_EQ(pictures.draggedName, "dragged name");
    EXPECT_TRUE(statuses.isEmpty());

    const QImage tx = pictures.tx;
    exchange.testPictureClick(5);
    EXPECT_TRUE(pictures.tx == tx);
}

TEST(PrintPreview, IsAFixedWindowWithOnePictureThatFillsIt) {
    TForm7 preview;
    EXPECT_EQ(preview.windowTitle(), "Printer Preview");
    EXPECT_EQ(preview.minimumSize(), QSize(325, 257));
    EXPECT_EQ(preview.maximumSize(), QSize(325, 257));
    auto* control = preview.findChild<QLabel*>("Image1");
    ASSERT_NE(control, nullptr);
    EXPECT_EQ(control->geometry(), QRect(0, 0, 326, 259));

    // A picture of four quarters is stretched over the whole control.
    QImage picture(40, 20, QImage::Format_RGB888);
    picture.fill(Qt::red);
    QPainter(&picture).fillRect(20, 0, 20, 10, Qt::blue);
    preview.showPicture(picture);
    EXPECT_TRUE(control->hasScaledContents());
    const QImage client = preview.clientImage();
    ASSERT_EQ(client.size(), QSize(325, 257));
    EXPECT_EQ(client.pixel(10, 10), qRgb(255, 0, 0));
    EXPECT_EQ(client.pixel(315, 10), qRgb(0, 0, 255));
    EXPECT_EQ(client.pixel(315, 250), qRgb(255, 0, 0));
}

// The client image lands at the top-left corner, scaled by printer over screen resolution.
TEST(PrintPage, HoldsTheClientImageAtItsOnScreenSize) {
    EXPECT_EQ(PictureExchange::pageRect({325, 257}, 600.0 / 96, 600.0 / 96),
              QRectF(0, 0, 2031.25, 1606.25));
    QImage client(325, 257, QImage::Format_RGB32);
    client.fill(Qt::darkGreen);
    QImage page(1200, 1000, QImage::Format_RGB32);
    page.fill(Qt::white);
    QPainter painter(&page);
    PictureExchange::drawPage(painter, client, 2.0, 3.0);
    painter.end();
    EXPECT_EQ(page.pixel(0, 0), QColor(Qt::darkGreen).rgb());
    EXPECT_EQ(page.pixel(649, 770), QColor(Qt::darkGreen).rgb());
    EXPECT_EQ(page.pixel(651, 10), qRgb(255, 255, 255));
    EXPECT_EQ(page.pixel(10, 772), qRgb(255, 255, 255));
}

TEST_F(ExchangeFixture, PrintingTheTxPictureAsksAndPrintsOnePage) {
    exchange.Drucken1Click();
    const auto shown = dialogs.shown();
    ASSERT_EQ(shown.size(), 2);
    EXPECT_EQ(shown[0].what, "beep");
    EXPECT_EQ(shown[1].what, "yesno");
    EXPECT_EQ(shown[1].text, "They would like to print the picture?");
    EXPECT_TRUE(clipboard().image() == pictures.tx);
    EXPECT_TRUE(preview.picture() == pictures.tx);
    EXPECT_FALSE(preview.isVisible());
    EXPECT_TRUE(statuses.isEmpty());

    const QByteArray bytes = readAll(pdf);
    ASSERT_TRUE(bytes.startsWith("%PDF"));
    EXPECT_EQ(bytes.count("/Type /Page\n") + bytes.count("/Type /Page\r") +
                  bytes.count("/Type /Page "),
              1);
    // One picture on the page: the preview's client image, 325 x 257 pixels.
    EXPECT_EQ(bytes.count("/Subtype /Image"), 1);
    EXPECT_TRUE(bytes.contains("/Width 325"));
    EXPECT_TRUE(bytes.contains("/Height 257"));
    // Drawn once, at the top-left corner of the printable area, each pixel of the client image
    // scaled by printer (1200 dpi) over screen resolution.
    const QRegularExpression drawing(
        QStringLiteral("([0-9.]+) 0 0 ([0-9.]+) 0 0 cm\\s+325 0 0 -257 0 257 cm /Im[0-9]+\\s+Do"));
    int drawn = 0;
    for (const QByteArray& stream : flateStreams(bytes)) {
        auto matches = drawing.globalMatch(QString::fromLatin1(stream));
        while (matches.hasNext()) {
            const QRegularExpressionMatch match = matches.next();
            ++drawn;
            EXPECT_DOUBLE_EQ(match.captured(1).toDouble(), 1200.0 / preview.logicalDpiX());
            EXPECT_DOUBLE_EQ(match.captured(2).toDouble(), 1200.0 / preview.logicalDpiY());
        }
    }
    EXPECT_EQ(drawn, 1);
}

TEST_F(ExchangeFixture, PrintingTheRxPictureAsksWithoutQuestionMark) {
    dialogs.answerYesNo(false);
    preview.show();
    exchange.Drucken2Click();
    EXPECT_TRUE(dialogs.sawText("They would like to print the picture"));
    EXPECT_EQ(dialogs.count("beep"), 1);
    EXPECT_TRUE(preview.picture() == pictures.rx);
    EXPECT_TRUE(clipboard().image() == pictures.rx);
    EXPECT_FALSE(preview.isVisible());
    EXPECT_FALSE(QFile::exists(pdf));
}

TEST_F(ExchangeFixture, WithoutAnyPrinterPrintingOffersAPdfFileAndSetupSaysSo) {
    printers->installed = false;
    // The print question is not asked: the offer of a PDF file is, and a cancelled file choice
    // prints nothing.
    exchange.Drucken1Click();
    EXPECT_EQ(dialogs.texts(),
              QStringList({"No printer is installed. Print the picture into a PDF file?"}));
    EXPECT_EQ(dialogs.count("save"), 1);
    EXPECT_FALSE(preview.isVisible());
    EXPECT_FALSE(QFile::exists(pdf));

    // A file chosen without its extension gets ".pdf"; the page is the preview's client area.
    dialogs.clear();
    dialogs.answerFile(dir.filePath("rx-picture"));
    exchange.Drucken2Click();
    const QByteArray bytes = readAll(dir.filePath("rx-picture.pdf"));
    ASSERT_TRUE(bytes.startsWith("%PDF"));
    EXPECT_EQ(bytes.count("/Subtype /Image"), 1);
    EXPECT_TRUE(bytes.contains("/Width 325"));
    EXPECT_EQ(statuses.last(), "The picture was printed into " + dir.filePath("rx-picture.pdf"));
    EXPECT_FALSE(QFile::exists(pdf)); // not the printer's file

    // "No" to the offer asks for no file.
    dialogs.clear();
    dialogs.answerYesNo(false);
    exchange.Drucken1Click();
    EXPECT_EQ(dialogs.count("save"), 0);

    dialogs.clear();
    exchange.Druckereinrichten1Click();
    EXPECT_EQ(dialogs.texts(), QStringList{"No printer is installed."});
    EXPECT_EQ(printers->setups, 0);

    printers->installed = true;
    exchange.Druckereinrichten1Click();
    EXPECT_EQ(printers->setups, 1);
}

TEST_F(ExchangeFixture, APrinterThatCannotStartIsReported) {
    printers->printer().setOutputFileName(dir.filePath("missing/folder/page.pdf"));
    exchange.Drucken1Click();
    EXPECT_EQ(dialogs.count("message"), 1);
    EXPECT_FALSE(preview.isVisible());
}
