// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "TDynaDBForm.h"

#include <QMainWindow>
#include <QPointer>

#include <memory>

class QLabel;
class QTableView;
class QToolButton;

namespace Ui {
class TMainForm;
}

namespace winorbis {

class Dialogs;
class ProgramFolder;

namespace logbook {
class OpenLog;
}

// The log book window: a QSO table opened, browsed and edited in a grid, with its input mask.
class TMainForm : public QMainWindow {
    Q_OBJECT
public:
    explicit TMainForm(QWidget* parent = nullptr);
    ~TMainForm() override;

    // What the window works with; the open dialog starts in the program folder.
    void attach(Dialogs& dialogs, const ProgramFolder& folder);

    // "Logbuch öffnen": closes an open log, asks for a table and opens it.
    void MFileOpenClick();
    // Opens the table at the path (the open dialog's step 3 on); false when it cannot be opened.
    bool openLog(const QString& path);
    void closeLog();
    // "Programm beenden": closes the log and hides the window; the program runs on.
    void MFileExitClick();
    // Shows the input mask modally.
    void MShowMaskClick();
    // "ADIF exportieren...": the open log as an ADIF file.
    void exportAdifClick();

    logbook::OpenLog* currentLog() const { return log_.get(); }
    TDynaDBForm* mask() const { return mask_; }

private:
    void showStatus(const QString& text);

    std::unique_ptr<Ui::TMainForm> ui_;
    Dialogs* dialogs_ = nullptr;
    const ProgramFolder* folder_ = nullptr;
    QToolButton* openButton_ = nullptr;
    QToolButton* maskButton_ = nullptr;
    QToolButton* exitButton_ = nullptr;
    QLabel* fileName_ = nullptr;
    QTableView* grid_ = nullptr;
    QAction* exportItem_ = nullptr;
    std::unique_ptr<logbook::OpenLog> log_;
    QPointer<TDynaDBForm> mask_;
};

} // namespace winorbis
