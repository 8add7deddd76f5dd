// SPDX-License-Identifier: GPL-3.0-or-later
#include "PictureExchange.h"

#include "ExchangeTexts.h"
#include "Printers.h"
#include "StoredTestPictures.h"
#include "TForm7.h"

#include "platform/Dialogs.h"
#include "platform/ProgramFolder.h"
#include "workspace/BmpFiles.h"
#include "workspace/PictureFiles.h"
#include "workspace/WorkingPictures.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QPainter>

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
                                 Dialogs& dialogs, StatusSink status, Actions actions,
                                 std::unique_ptr<Printers> printers)
    : pictures_(pictures)
    , folder_(folder)
    , dialogs_(dialogs)
    , status_(std::move(status))
    , actions_(std::move(actions))
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
    if (actions_.removeFrames)
        actions_.removeFrames();
    // The pasted picture becomes the start picture, and the TX picture is loaded from it.
    QString error;
    if (!BmpFiles::write(pictures_.scratch, folder_.path(PictureFiles::kStartPictureName),
                         &error)) {
        dialogs_.error(error);
        return false;
    }
    if (actions_.loadStartPicture)
        actions_.loadStartPicture();
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
    if (actions_.showTx)
        actions_.showTx();
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
    window.show();
    window.raise();
    dialogs_.beep(0);
    if (dialogs_.askYesNo(question))
        printPreview(window);
    window.close();
}

void PictureExchange::printPreview(TForm7& window) {
    if (!printers_->anyInstalled()) {
        dialogs_.message(ExchangeTexts::kNoPrinter, Dialogs::Kind::Warning);
        return;
    }
    QPrinter& printer = printers_->printer();
    QPainter painter;
    if (!painter.begin(&printer)) {
        const QString name =
            printer.printerName().isEmpty() ? printer.outputFileName() : printer.printerName();
        dialogs_.message(ExchangeTexts::cannotPrint(name), Dialogs::Kind::Warning);
        return;
    }
    const double scaleX = double(printer.logicalDpiX()) / window.logicalDpiX();
    const double scaleY = double(printer.logicalDpiY()) / window.logicalDpiY();
    drawPage(painter, window.clientImage(), scaleX, scaleY);
    painter.end();
}

} // namespace winorbis
