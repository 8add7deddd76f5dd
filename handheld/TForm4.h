// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "HandheldController.h"
#include "HandheldData.h"
#include "HandheldExchange.h"
#include "platform/ThreadHandoff.h"

#include <QDialog>

#include <array>
#include <functional>
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
// port it was opened on, for as long as the opener keeps the receive monitor's own reads off that
// port.
//
// In the program the exchanges run where the port is used, on the converter's worker, through the
// runner the opener gives: the window keeps painting and answering meanwhile, its controls are
// off until the exchange has ended, and the panel the controller changes on the worker is shown
// from copies handed to the window's thread. Without a runner (a tool without a worker, the tests
// of the dialogue) they run on the window's thread.
class TForm4 : public QDialog {
    Q_OBJECT
public:
    // Runs work on the converter's worker, then done on the window's thread.
    using Runner = std::function<void(std::function<void()> work, std::function<void()> done)>;

    explicit TForm4(QWidget* parent = nullptr);
    ~TForm4() override;

    // Shows the window modally for the handheld on port and reads its state (FormShow); returns
    // once the reads are done or, with a runner, have begun, with the window open. The hold must
    // outlive the showing: the exchange ends when the window closes. The clock, when given,
    // keeps the window painting while an answer is awaited on the window's thread.
    void openOn(BytePort& port, Dialogs& dialogs, const MonitorHold& hold, Clock* clock = nullptr,
                Runner runner = {});
    // The same, and returns when the window has been closed.
    int execOn(BytePort& port, Dialogs& dialogs, const MonitorHold& hold, Clock* clock = nullptr,
               Runner runner = {});

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
    void showPanel(const HandheldPanel& panel);
    // The controller's panel has changed during an exchange.
    void panelChanged();
    // The end of an exchange, on the window's thread.
    void runEnded();
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
    Runner runner_;
    threading::HandoverQueue* toWindow_ = nullptr;
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
