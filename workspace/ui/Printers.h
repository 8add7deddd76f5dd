// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QPrinter>

#include <memory>

class QWidget;

namespace winorbis {

// The printers of the machine as the print commands see them: whether any is installed, the
// printer that prints (the one last chosen in the printer setup, else the default printer) and
// the printer setup dialog. The program uses SystemPrinters; tests print to a PDF file and
// never open a dialog.
class Printers {
public:
    virtual ~Printers() = default;

    virtual bool anyInstalled() const = 0;
    // The printer of the next print; it keeps what the setup chose.
    virtual QPrinter& printer() = 0;
    // The printer setup dialog for printer(); true when the operator accepted it.
    virtual bool setup(QWidget* parent) = 0;
};

// The printers the print system (CUPS) knows, and Qt's printer dialog.
class SystemPrinters final : public Printers {
public:
    bool anyInstalled() const override;
    QPrinter& printer() override;
    bool setup(QWidget* parent) override;

private:
    std::unique_ptr<QPrinter> printer_;
};

} // namespace winorbis
