// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "logbook/MaskLayout.h"

#include <QDialog>

class QLineEdit;
class QScrollArea;
class QToolButton;

namespace winorbis {

class Dialogs;

namespace logbook {
class OpenLog;
}

// The input mask of an open log book, built anew for each log: a navigator over the records and
// one label and edit field per column of the table, acting on the record the grid shows.
class TDynaDBForm : public QDialog {
    Q_OBJECT
public:
    TDynaDBForm(logbook::OpenLog& log, Dialogs& dialogs, QWidget* parent = nullptr);

    const logbook::MaskLayout& layout() const { return layout_; }
    QScrollArea* scrollBox() const { return scrollBox_; }
    QList<QLineEdit*> edits() const { return edits_; }

    // The navigator's buttons, in order: first, previous, next, last, insert, delete, edit, post,
    // cancel, refresh.
    void navigate(int button);

protected:
    // Each showing starts on the shared record; what was typed and never taken is dropped.
    void showEvent(QShowEvent* event) override;

private:
    void showCurrent();
    bool modified() const;
    // Writes a changed record before moving away; false when the table refused it.
    bool postIfModified();

    logbook::OpenLog& log_;
    Dialogs& dialogs_;
    logbook::MaskLayout layout_;
    QScrollArea* scrollBox_ = nullptr;
    QList<QToolButton*> navigator_;
    QList<QLineEdit*> edits_;
    bool inserting_ = false;
};

} // namespace winorbis
