// SPDX-License-Identifier: GPL-3.0-or-later
#include "Printers.h"

#include <QPrintDialog>
#include <QPrinterInfo>

namespace winorbis {

bool SystemPrinters::anyInstalled() const {
    return !QPrinterInfo::availablePrinterNames().isEmpty();
}

QPrinter& SystemPrinters::printer() {
    // A printer made while none was installed writes to a nameless PDF file; once a printer is
    // there, the default printer takes its place.
    const bool placeholder = printer_ && printer_->outputFormat() == QPrinter::PdfFormat &&
                             printer_->outputFileName().isEmpty();
    if (!printer_ || (placeholder && anyInstalled()))
        printer_ = std::make_unique<QPrinter>(QPrinter::HighResolution);
    return *printer_;
}

bool SystemPrinters::setup(QWidget* parent) {
    QPrintDialog dialog(&printer(), parent);
    dialog.setWindowTitle(QStringLiteral("Printer Setup"));
    dialog.setOptions(QAbstractPrintDialog::PrintShowPageSize);
    return dialog.exec() == QDialog::Accepted;
}

} // namespace winorbis
