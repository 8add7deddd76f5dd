// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

namespace winorbis {

// Every text of the clipboard, print and test picture commands, in one place.
namespace ExchangeTexts {

// Status-bar texts.
inline const QString kCopyTxStatus =
    QStringLiteral("Picture from the TX Windows copy to clipboard");
inline const QString kCopyRxStatus =
    QStringLiteral("Picture from the RX Windows copy to clipboard");
inline const QString kPasteStatus =
    QStringLiteral("Insert the picture from the clipboard to the TX Window");

// The questions before printing.
inline const QString kPrintTxQuestion = QStringLiteral("They would like to print the picture?");
inline const QString kPrintRxQuestion = QStringLiteral("They would like to print the picture");

// Errors.
inline const QString kNoClipboardPicture =
    QStringLiteral("The clipboard holds no picture. Copy a picture to the clipboard first.");
inline const QString kNoPrinter = QStringLiteral("No printer is installed.");
inline const QString kNoPrinterPdfQuestion =
    QStringLiteral("No printer is installed. Print the picture into a PDF file?");
inline const QString kPdfTitle = QStringLiteral("Print into a PDF file");
inline QString printedToPdf(const QString& file) {
    return QStringLiteral("The picture was printed into %1").arg(file);
}
inline QString cannotPrint(const QString& printerName) {
    return QStringLiteral("The picture cannot be printed on \"%1\".").arg(printerName);
}

// The preview window and the test picture box.
inline const QString kPreviewTitle = QStringLiteral("Printer Preview");
inline const QString kTestPictureHint =
    QStringLiteral("Test picture - click with left mouse button");

} // namespace ExchangeTexts

} // namespace winorbis
