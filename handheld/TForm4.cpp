// SPDX-License-Identifier: GPL-3.0-or-later
#include "TForm4.h"

#include "HandheldTexts.h"
#include "ui_TForm4.h"

#include "platform/Clock.h"

#include <QButtonGroup>
#include <QRadioButton>
#include <QSignalBlocker>
#include <QThread>
#include <QValidator>

#include <vector>

namespace winorbis {

namespace {

using Text = HandheldExchange::Text;
constexpr std::array<Text, 3> kTexts = {Text::CallSign, Text::Report, Text::Message};

// The character filter of the three texts as the operator types: small letters become capitals,
// characters the handheld cannot show are dropped where they were typed or pasted.
class HandheldTextValidator final : public QValidator {
public:
    using QValidator::QValidator;

    State validate(QString& input, int& pos) const override {
        QString kept;
        int keptBeforeCursor = 0;
        for (int i = 0; i < input.size(); ++i) {
            if (const auto c = filterTextCharacter(input[i])) {
                kept.append(*c);
                if (i < pos)
                    ++keptBeforeCursor;
            }
        }
        input = kept;
        pos = keptBeforeCursor;
        return Acceptable;
    }
};

} // namespace

TForm4::TForm4(QWidget* parent)
    : QDialog(parent)
    , ui_(std::make_unique<Ui::TForm4>())
    , controller_([this] { panelChanged(); }) {
    ui_->setupUi(this);
    toWindow_ = new threading::HandoverQueue(this);
    setFixedSize(size());
    setWindowTitle(handheldtext::kWindowCaption);
    setWindowModality(Qt::ApplicationModal);

    pageButtons_ = new QButtonGroup(this);
    pageButtons_->setObjectName(QStringLiteral("PageButtons"));
    store_ = {ui_->P1Store, ui_->P2Store, ui_->P3Store, ui_->P4Store, ui_->P5Store,
              ui_->P6Store, ui_->P7Store, ui_->P8Store, ui_->P9Store, ui_->P10Store};
    recall_ = {ui_->P1Recall, ui_->P2Recall, ui_->P3Recall, ui_->P4Recall, ui_->P5Recall,
               ui_->P6Recall, ui_->P7Recall, ui_->P8Recall, ui_->P9Recall, ui_->P10Recall};
    protect_ = {ui_->P1protect, ui_->P2protect, ui_->P3protect, ui_->P4protect, ui_->P5protect,
                ui_->P6protect, ui_->P7protect, ui_->P8protect, ui_->P9protect, ui_->P10protect};
    for (int i = 0; i < handheldpage::kCount; ++i) {
        // Store buttons 0..9, Recall buttons 10..19: one group of push-like radio buttons.
        pageButtons_->addButton(store_[std::size_t(i)], i);
        pageButtons_->addButton(recall_[std::size_t(i)], handheldpage::kCount + i);
    }
    for (const Text which : kTexts) {
        textEdit(which)->setValidator(new HandheldTextValidator(textEdit(which)));
        textEdit(which)->setMaxLength(maxTextLength(which));
        colourList(which)->setCurrentIndex(-1);
    }
    ui_->TxTimerVal->setRange(handheldinterval::kMinSeconds, handheldinterval::kMaxSeconds);
    showPanel();
    connectControls();
}

TForm4::~TForm4() = default;

QLineEdit* TForm4::textEdit(Text which) const {
    return which == Text::CallSign ? ui_->CallSign
           : which == Text::Report ? ui_->RSV
                                   : ui_->MessageText;
}

QComboBox* TForm4::colourList(Text which) const {
    return which == Text::CallSign ? ui_->CallColor
           : which == Text::Report ? ui_->RSVColor
                                   : ui_->MessageColor;
}

QAbstractButton* TForm4::setButton(Text which) const {
    return which == Text::CallSign ? ui_->CallSet
           : which == Text::Report ? static_cast<QAbstractButton*>(ui_->RsvSet)
                                   : ui_->MesSet;
}

template <typename Operation> void TForm4::run(Operation operation) {
    if (!exchange_ || busy_) {
        if (!busy_)
            showPanel();
        return;
    }
    busy_ = true;
    if (!runner_) {
        operation(*exchange_);
        runEnded();
        return;
    }
    // The controller is the worker's until the exchange has ended: nothing here changes it.
    for (QWidget* child : findChildren<QWidget*>(QString(), Qt::FindDirectChildrenOnly))
        child->setEnabled(false);
    HandheldExchange* exchange = exchange_.get();
    runner_([exchange, operation] { operation(*exchange); },
            [this] {
                for (QWidget* child : findChildren<QWidget*>(QString(), Qt::FindDirectChildrenOnly))
                    child->setEnabled(true);
                runEnded();
            });
}

void TForm4::runEnded() {
    busy_ = false;
    showPanel();
    // A close asked for while the exchange ran is carried out now.
    if (closeAfterRun_) {
        closeAfterRun_ = false;
        done(closeResult_);
    }
}

void TForm4::panelChanged() {
    if (QThread::currentThread() == thread()) {
        showPanel();
        return;
    }
    // On the converter's worker, which has the controller meanwhile: the window shows a copy.
    toWindow_->post([this, panel = controller_.panel()] { showPanel(panel); });
}

void TForm4::connectControls() {
    connect(ui_->BitBtn1, &QAbstractButton::clicked, this, &QDialog::reject);
    connect(pageButtons_, &QButtonGroup::idClicked, this, [this](int id) {
        QAbstractButton* button = pageButtons_->button(id);
        // Only a click that has checked the button runs the page command.
        if (!button || !button->isChecked())
            return;
        const int index = id % handheldpage::kCount;
        if (id < handheldpage::kCount)
            run([this, index](HandheldExchange& e) { controller_.store(e, index); });
        else
            run([this, index](HandheldExchange& e) { controller_.recall(e, index); });
    });
    for (int i = 0; i < handheldpage::kCount; ++i) {
        connect(protect_[std::size_t(i)], &QAbstractButton::toggled, this, [this, i](bool on) {
            run([this, i, on](HandheldExchange& e) { controller_.holdChanged(e, i, on); });
        });
    }
    for (const Text which : kTexts) {
        connect(textEdit(which), &QLineEdit::textChanged, this, [this, which](const QString& t) {
            controller_.textChanged(which, t);
            showPanel();
        });
        connect(colourList(which), &QComboBox::currentIndexChanged, this, [this, which](int c) {
            controller_.colourChosen(which, c);
            showPanel();
        });
        connect(setButton(which), &QAbstractButton::clicked, this, [this, which] {
            run([this, which](HandheldExchange& e) { controller_.sendText(e, which); });
        });
    }
    for (QAbstractButton* box : std::initializer_list<QAbstractButton*>{
             ui_->PowerSave, ui_->AF_ON, ui_->CallDisp, ui_->DefaultModeItem0,
             ui_->DefaultModeItem1, ui_->TXTimerEnable, ui_->RepeaterID})
        connect(box, &QAbstractButton::toggled, this, &TForm4::functionControlChanged);
    connect(ui_->TxTimerVal, &QSpinBox::valueChanged, this, &TForm4::functionControlChanged);
    connect(ui_->FuncSet, &QAbstractButton::clicked, this,
            [this] { run([this](HandheldExchange& e) { controller_.FunctionSet(e); }); });
}

HandheldFunctions TForm4::shownFunctions() const {
    HandheldFunctions f;
    f.afMonitor = ui_->AF_ON->isChecked();
    f.callDisplay = ui_->CallDisp->isChecked();
    f.powerSave = ui_->PowerSave->isChecked();
    f.fastFm = ui_->DefaultModeItem0->isChecked();
    f.variableInterval = ui_->TXTimerEnable->isChecked();
    f.repeaterId = ui_->RepeaterID->isChecked();
    f.intervalSeconds = ui_->TxTimerVal->value();
    return f;
}

void TForm4::functionControlChanged() {
    // The radio item that is being unchecked reports too; the pair is read whole.
    controller_.functionsChanged(shownFunctions());
    showPanel();
}

void TForm4::showPanel() {
    showPanel(controller_.panel());
}

void TForm4::showPanel(const HandheldPanel& panel) {
    ui_->StatusReport->setText(panel.status);
    // Nothing can be done with a handheld that has not answered, and nothing it never said shows.
    const bool on = panel.answered;

    pageButtons_->setExclusive(false);
    for (int i = 0; i < handheldpage::kCount; ++i) {
        const HandheldPanel::Page& page = panel.pages[std::size_t(i)];
        const QSignalBlocker blockHold(protect_[std::size_t(i)]);
        // The page commands act as push buttons: no check mark stays once one has run.
        if (!busy_) {
            store_[std::size_t(i)]->setChecked(false);
            recall_[std::size_t(i)]->setChecked(false);
        }
        store_[std::size_t(i)]->setEnabled(on && page.storeEnabled);
        recall_[std::size_t(i)]->setEnabled(on && page.recallEnabled);
        protect_[std::size_t(i)]->setEnabled(on && page.holdEnabled);
        protect_[std::size_t(i)]->setChecked(on && page.holdChecked);
    }
    pageButtons_->setExclusive(true);

    for (const Text which : kTexts) {
        const HandheldPanel::TextLine& line = panel.line(which);
        QLineEdit* edit = textEdit(which);
        if (edit->text() != line.text) {
            const QSignalBlocker block(edit);
            edit->setText(line.text);
        }
        {
            const QSignalBlocker block(colourList(which));
            colourList(which)->setCurrentIndex(line.colour);
        }
        edit->setEnabled(on);
        colourList(which)->setEnabled(on);
        setButton(which)->setEnabled(on && line.setEnabled);
    }

    const HandheldFunctions& f = panel.functions;
    const std::initializer_list<std::pair<QAbstractButton*, bool>> switches = {
        {ui_->AF_ON, f.afMonitor},          {ui_->CallDisp, f.callDisplay},
        {ui_->PowerSave, f.powerSave},      {ui_->DefaultModeItem0, f.fastFm},
        {ui_->DefaultModeItem1, !f.fastFm}, {ui_->TXTimerEnable, f.variableInterval},
        {ui_->RepeaterID, f.repeaterId}};
    // All at once: checking one radio item unchecks the other, which must not report a half-shown
    // state.
    std::vector<std::unique_ptr<QSignalBlocker>> blockers;
    for (const auto& [box, checked] : switches)
        blockers.push_back(std::make_unique<QSignalBlocker>(box));
    blockers.push_back(std::make_unique<QSignalBlocker>(ui_->TxTimerVal));
    for (const auto& [box, checked] : switches) {
        // A radio pair shows neither item until the handheld has answered.
        if (auto* radio = qobject_cast<QRadioButton*>(box))
            radio->setAutoExclusive(on);
        box->setChecked(on && checked);
        box->setEnabled(on);
    }
    ui_->TxTimerVal->setValue(f.intervalSeconds);
    ui_->TxTimerVal->setEnabled(on);
    ui_->FuncSet->setEnabled(on && panel.funcSetEnabled);
}

void TForm4::openOn(BytePort& port, Dialogs& dialogs, const MonitorHold& hold, Clock* clock,
                    Runner runner) {
    exchange_ = std::make_unique<HandheldExchange>(port, dialogs, data_, hold);
    runner_ = std::move(runner);
    if (clock && !runner_)
        exchange_->setBetweenReads([clock] { return clock->keepPainting(); });
    show();
    activateWindow();
    FormShow();
}

int TForm4::execOn(BytePort& port, Dialogs& dialogs, const MonitorHold& hold, Clock* clock,
                   Runner runner) {
    openOn(port, dialogs, hold, clock, std::move(runner));
    // The window may have been closed while its reads ran.
    return isVisible() ? exec() : result();
}

void TForm4::FormShow() {
    run([this](HandheldExchange& e) { controller_.FormShow(e); });
}

void TForm4::done(int result) {
    if (busy_) {
        // The running exchange still uses the port and the window's state: close after it.
        closeAfterRun_ = true;
        closeResult_ = result;
        return;
    }
    QDialog::done(result);
    exchange_.reset();
    runner_ = {};
}

} // namespace winorbis
