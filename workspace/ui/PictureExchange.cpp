// SPDX-License-Identifier: GPL-3.0-or-later
#include "PictureExchange.h"

#include "ExchangeTexts.h"
#include "Printers.h"
#include "StoredTestPictures.h"
#include "TForm7.h"

#include "controls/WindowPlacement.h"
#include "platform/Dialogs.h"
#include "platform/ProgramFolder.h"
#include "workspace/BmpFiles.h"
#include "workspace/PictureFiles.h"
#include "workspace/WorkingPictures.h"

#include <QClipboard>
#include <QDir>
#include <QGuiApplication>
#include <QPainter>
#include <QPrinter>

namespace winorbis {

namespace {

QClipboard& clipboard() {
    return *QGuiApplication::clipboard();
}

// Puts the picture on the clipboard and takes the clipboard's picture back, as the commands
// pass every picture through the clipboard. Should the clipboard refuse it, the picture itself
// goes on.
QImage throughClipboard(const QImage& picture) {
    clipboard().setImage(picture);
    const QImage back = clipboard().image();
    return back.isNull() ? picture : back;
}

} // namespace

PictureExchange::PictureExchange(WorkingPictures& pictures, const ProgramFolder& folder,
                                 Dialogs& dialogs, PictureExchangeHost& host,
                                 std::unique_ptr<Printers> printers)
    : pictures_(pictures)
    , folder_(folder)
    , dialogs_(dialogs)
    , host_(host)
    , printers_(printers ? std::move(printers) : std::make_unique<SystemPrinters>()) {}

PictureExchange::~PictureExchange() = default;

void PictureExchange::BildkopierenTxClick() {
    status(ExchangeTexts::kCopyTxStatus);
    clipboard().setImage(pictures_.tx);
}

void PictureExchange::BildkopierenRxClick() {
    status(ExchangeTexts::kCopyRxStatus);
    clipboard().setImage(pictures_.rx);
}

bool PictureExchange::BildeinfuegenTxClick() {
    status(ExchangeTexts::kPasteStatus);
    const QImage pasted = clipboard().image();
    if (pasted.isNull()) {
        dialogs_.error(ExchangeTexts::kNoClipboardPicture);
        return false;
    }
    pictures_.scratch = pasted.convertToFormat(QImage::Format_RGB888);
    host_.removeFrames();
    // The pasted picture becomes the start picture, and the TX picture is loaded from it.
    QString error;
    if (!BmpFiles::write(pictures_.scratch, folder_.path(PictureFiles::kStartPictureName),
                         &error)) {
        dialogs_.error(error);
        return false;
    }
    host_.loadStartPicture();
    return true;
}

void PictureExchange::Drucken1Click() {
    print(pictures_.tx, ExchangeTexts::kPrintTxQuestion);
}

void PictureExchange::Drucken2Click() {
    print(pictures_.rx, ExchangeTexts::kPrintRxQuestion);
}

void PictureExchange::Druckereinrichten1Click() {
    if (!printers_->anyInstalled()) {
        dialogs_.message(ExchangeTexts::kNoPrinter, Dialogs::Kind::Warning);
        return;
    }
    printers_->setup(dialogParent_);
}

void PictureExchange::testPictureClick(int index) {
    const QImage stored = StoredTestPictures::picture(index);
    if (stored.isNull())
        return;
    // The test picture replaces the TX picture with its own size; file and names stay.
    pictures_.tx = throughClipboard(stored).convertToFormat(QImage::Format_RGB888);
    host_.txPictureChanged();
}

QRectF PictureExchange::pageRect(QSize client, double scaleX, double scaleY) {
    return {0.0, 0.0, client.width() * scaleX, client.height() * scaleY};
}

void PictureExchange::drawPage(QPainter& painter, const QImage& client, double scaleX,
                               double scaleY) {
    painter.drawImage(pageRect(client.size(), scaleX, scaleY), client);
}

TForm7& PictureExchange::preview() {
    if (preview_)
        return *preview_;
    if (!ownPreview_)
        ownPreview_ = std::make_unique<TForm7>();
    return *ownPreview_;
}

void PictureExchange::print(const QImage& picture, const QString& question) {
    TForm7& window = preview();
    window.showPicture(throughClipboard(picture));
    if (!window.isVisible())
        centreOver(window, dialogParent_);
    window.show();
    window.raise();
    dialogs_.beep(0);
    if (printers_->anyInstalled()) {
        if (dialogs_.askYesNo(question))
            printPreview(window);
    } else if (dialogs_.askYesNo(ExchangeTexts::kNoPrinterPdfQuestion)) {
        // No printer: the page goes into a PDF file instead.
        if (const QString file = pdfFileName(); !file.isEmpty()) {
            QPrinter pdf(QPrinter::HighResolution);
            pdf.setOutputFormat(QPrinter::PdfFormat);
            pdf.setOutputFileName(file);
            if (printOn(pdf, window))
                status(ExchangeTexts::printedToPdf(QDir::toNativeSeparators(file)));
        }
    }
    window.close();
}

QString PictureExchange::pdfFileName() {
    Dialogs::FileRequest request;
    request.title = ExchangeTexts::kPdfTitle;
    request.filter = QStringLiteral("PDF file *.pdf|*.pdf");
    request.defaultExt = QStringLiteral("pdf");
    request.folder = folder_.folder();
    request.fileName = QStringLiteral("picture.pdf");
    const std::optional<QString> path = dialogs_.saveFile(request);
    if (!path || path->isEmpty())
        return {};
    if (!path->endsWith(QLatin1String(".pdf"), Qt::CaseInsensitive))
        return *path + QStringLiteral(".pdf");
    return *path;
}

void PictureExchange::printPreview(TForm7& window) {
    if (!printers_->anyInstalled()) {
        dialogs_.message(ExchangeTexts::kNoPrinter, Dialogs::Kind::Warning);
        return;
    }
    printOn(printers_->printer(), window);
}

bool PictureExchange::printOn(QPrinter& printer, TForm7& window) {
    QPainter painter;
    if (!painter.begin(&printer)) {
        const QString name =
            printer.printerName().isEmpty() ? printer.outputFileName() : printer.printerName();
        dialogs_.message(ExchangeTexts::cannotPrint(name), Dialogs::Kind::Warning);
        return false;
    }
    const double scaleX = double(printer.logicalDpiX()) / window.logicalDpiX();
    const double scaleY = double(printer.logicalDpiY()) / window.logicalDpiY();
    drawPage(painter, window.clientImage(), scaleX, scaleY);
    painter.end();
    return true;
}

} // namespace winorbis
