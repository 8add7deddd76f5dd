// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "HandheldController.h"
#include "HandheldData.h"
#include "HandheldExchange.h"

#include <QDialog>

#include <array>
#include <memory>

class QAbstractButton;
class QButtonGroup;
class QCheckBox;
class QComboBox;
class QLineEdit;

namespace Ui {
class TForm4;
}

namespace winorbis {

class BytePort;
class Clock;
class Dialogs;
class MonitorHold;

// The VC-H1 settings window: memory pages, texts, colours and function switches of the handheld.
// It wires its controls to HandheldController, which keeps the rules; every exchange runs on the
// port it was opened on, for as long as the opener keeps the receive monitor off that port.
class TForm4 : public QDialog {
    Q_OBJECT
public:
    explicit TForm4(QWidget* parent = nullptr);
    ~TForm4() override;

    // Shows the window modally for the handheld on port and reads its state (FormShow); returns
    // once the reads are done, with the window open. The hold must outlive the showing: the
    // exchange ends when the window closes. The clock, when given, keeps the window painting
    // while an answer is awaited.
    void openOn(BytePort& port, Dialogs& dialogs, const MonitorHold& hold, Clock* clock = nullptr);
    // The same, and returns when the window has been closed.
    int execOn(BytePort& port, Dialogs& dialogs, const MonitorHold& hold, Clock* clock = nullptr);

    // Reads and shows the handheld's state; runs at every showing.
    void FormShow();

    // True while an exchange with the handheld runs.
    bool busy() const { return busy_; }
    // The handheld's state as last read, kept for the whole run.
    const HandheldData& data() const { return data_; }
    const HandheldController& controller() const { return controller_; }

protected:
    void done(int result) override;

private:
    void connectControls();
    // Shows the controller's panel in the controls, running no change handler.
    void showPanel();
    HandheldFunctions shownFunctions() const;
    void functionControlChanged();
    QLineEdit* textEdit(HandheldExchange::Text which) const;
    QComboBox* colourList(HandheldExchange::Text which) const;
    QAbstractButton* setButton(HandheldExchange::Text which) const;
    // Runs an operation when the window has an exchange, then shows the panel.
    template <typename Operation> void run(Operation operation);

    std::unique_ptr<Ui::TForm4> ui_;
    HandheldData data_;
    HandheldController controller_;
    std::unique_ptr<HandheldExchange> exchange_;
    std::array<QAbstractButton*, handheldpage::kCount> store_{};
    std::array<QAbstractButton*, handheldpage::kCount> recall_{};
    std::array<QCheckBox*, handheldpage::kCount> protect_{};
    QButtonGroup* pageButtons_ = nullptr;
    // An exchange runs; a close asked for meanwhile waits for its end.
    bool busy_ = false;
    bool closeAfterRun_ = false;
    int closeResult_ = 0;
};

} // namespace winorbis
