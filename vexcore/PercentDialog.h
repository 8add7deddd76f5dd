// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "vexcore/Windows.h"

#include <QBrush>
#include <QDialog>
#include <QWidget>

class QLabel;
class QPushButton;

namespace winorbis::vex {

// The percentage bar (window class "Percent"): a range and a position kept as two 16-bit words,
// set and read through messages, painted as one centred percentage that shows white on blue over
// the filled part and blue on white over the rest.
class PercentBar : public QWidget, public MessageTarget {
    Q_OBJECT
    Q_PROPERTY(int range READ range)
    Q_PROPERTY(int position READ position)
    Q_PROPERTY(QString text READ text)

public:
    explicit PercentBar(QWidget* parent);

    int range() const { return words_[0]; }
    int position() const { return words_[1]; }
    // "%d%%" of position x 100 / range; a range of 0 shows 0%.
    QString text() const;

    LRESULT message(UINT message, WPARAM wParam, LPARAM lParam) override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    void changed();

    quint16 words_[2] = {100, 50}; // window data: word 0 range, word 2 position
};

// The modeless progress dialog "DLGPERCENT": a message, the percentage bar and a cancel button.
// Cancelling (the button, Escape, Enter, closing the window) only disables the button; that is
// the mark PercentDlgProcess reads.
class PercentDialog : public QDialog, public MessageTarget {
    Q_OBJECT

public:
    PercentDialog();

    PercentBar* bar() const { return bar_; }
    void setMessage(const QString& text);
    bool cancelled() const;

    LRESULT message(UINT message, WPARAM wParam, LPARAM lParam) override;

    void accept() override;
    void reject() override;

protected:
    void showEvent(QShowEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void command(int id);

    QLabel* message_ = nullptr;
    PercentBar* bar_ = nullptr;
    QPushButton* cancel_ = nullptr;
    QBrush blueBrush_;
};

} // namespace winorbis::vex
