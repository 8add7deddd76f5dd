// SPDX-License-Identifier: GPL-3.0-or-later
// The main window's converter commands: transfers by hand and at the end of a reception, the
// receive stop, the repeater switch, and the window changes the receive monitor asks for.
#include "TForm1.h"

#include "ui_TForm1.h"

#include "captions/ui/CaptionWorkspace.h"
#include "link/LinkTexts.h"
#include "link/ModeTable.h"
#include "platform/Dialogs.h"
#include "workspace/ReceivedPictureStore.h"
#include "workspace/ui/SlotPanel.h"

#include <QButtonGroup>
#include <QDateTime>
#include <QLabel>
#include <QStatusBar>
#include <QStatusTipEvent>

namespace winorbis {

using namespace linktext;

namespace {

constexpr unsigned kBeepHand = 2;

} // namespace

void TForm1::connectControls() {
    ui_->PaintBox1->setPicture(&pictures_.tx);
    ui_->PaintBox1->setFit(PaintBox::Fit::OneToOne);
    ui_->PaintBox1->setBackground(QColor(128, 128, 128));
    ui_->PaintBox2->setPicture(&pictures_.rx);
    ui_->PaintBox2->setFit(PaintBox::Fit::Scaled);
    ui_->PaintBox2->setBackground(colours::clAqua.toQColor());

    repeaterItems_ = new QButtonGroup(this);
    const QList<QRadioButton*> items = {ui_->RadioGroup1Item0, ui_->RadioGroup1Item1,
                                        ui_->RadioGroup1Item2, ui_->RadioGroup1Item3,
                                        ui_->RadioGroup1Item4, ui_->RadioGroup1Item5};
    for (int i = 0; i < items.size(); ++i)
        repeaterItems_->addButton(items[i], i);
    connect(repeaterItems_, &QButtonGroup::idClicked, this,
            [this](int item) { reception_.selectRepeaterItem(item); });

    transfer_.setProgress([this](int position, int maximum) {
        // A transfer's lines take the progress over from the time on the air.
        airTime_.stop();
        showProgress(position, maximum);
    });
    converterField_ = new QLabel(this);
    converterField_->setObjectName(QStringLiteral("ConverterField"));
    ui_->StatusBar1->addPermanentWidget(converterField_);

    connect(ui_->ToOrbis, &TFlyingButton::OnClick, this, &TForm1::ToOrbisClick);
    connect(ui_->PCOrbis701, &QAction::triggered, this, &TForm1::ToOrbisClick);
    connect(ui_->FromOrbis, &TFlyingButton::OnClick, this, &TForm1::FromOrbisClick);
    connect(ui_->Orbis70PC1, &QAction::triggered, this, &TForm1::FromOrbisClick);
    connect(ui_->RXSTOP, &TFlyingButton::OnClick, this, &TForm1::RXSTOPClick);
    connect(ui_->RXStop1, &QAction::triggered, this, &TForm1::RXSTOPClick);
    connect(ui_->Ein2, &QAction::triggered, this, &TForm1::Ein2Click);
    connect(ui_->Aus2, &QAction::triggered, this, &TForm1::Aus2Click);
    connect(ui_->CheckBox2, &QCheckBox::toggled, this, &TForm1::CheckBox2Click);
    connect(ui_->Beenden1, &QAction::triggered, this, &TForm1::ExitClick);
}

void TForm1::showProgress(int position, int maximum) {
    if (ui_->ProgressBar1->Max() != maximum)
        ui_->ProgressBar1->setMax(maximum);
    ui_->ProgressBar1->setPosition(position);
}

void TForm1::showConverterPresence(linktext::ConverterPresence presence) {
    const BytePort& port = link_.port();
    converterField_->setText(linktext::converterField(portKind_.isEmpty() ? port.kind() : portKind_,
                                                      portKind_.isEmpty() ? port.name() : QString(),
                                                      presence));
}

PaintBox* TForm1::txWindow() const {
    return ui_->PaintBox1;
}

TFlyingButton* TForm1::catalogButton() const {
    return ui_->ThumbnailPanel->catalogButton();
}

QMenu* TForm1::specialMenu() const {
    return ui_->Special1;
}

QString TForm1::statusText() const {
    return ui_->StatusBar1->currentMessage();
}

void TForm1::setStatusText(const QString& text) {
    ui_->StatusBar1->showMessage(text);
}

bool TForm1::event(QEvent* event) {
    // Menu items carry no status tips: opening a menu leaves the status text as it is.
    if (event->type() == QEvent::StatusTip && static_cast<QStatusTipEvent*>(event)->tip().isEmpty())
        return true;
    return QMainWindow::event(event);
}

void TForm1::removeFrames() {
    if (captions_)
        captions_->removeFrames();
}

void TForm1::beforeUpload() {
    captions_->beforeUpload();
}

void TForm1::showRepeaterSwitch(bool on) {
    ui_->Ein2->setChecked(on);
    ui_->Aus2->setChecked(!on);
    ui_->Label27->setVisible(on);
}

void TForm1::showRepeaterItem(int item) {
    if (QAbstractButton* button = repeaterItems_->button(item))
        button->setChecked(true);
}

bool TForm1::savesAutomatically() const {
    return ui_->CheckBox2->isChecked();
}

void TForm1::CheckBox2Click() {
    const bool checked = ui_->CheckBox2->isChecked();
    settings_.saveAuto = checked;
    ui_->FromOrbis->setEnabled(!checked);
    QPalette palette = ui_->CheckBox2->palette();
    palette.setColor(QPalette::WindowText, (checked ? colours::clLime : colours::clRed).toQColor());
    ui_->CheckBox2->setPalette(palette);
}

void TForm1::selectTxModeItem(std::uint8_t status) {
    // The selector is hidden and only shows the converter's kind of answer; choosing an item
    // leaves LastStatus alone, so every reception waits its mode's time.
    const QList<QRadioButton*> items = {ui_->ColFast, ui_->ColStand,     ui_->BWFast,
                                        ui_->BWStand, ui_->RadioButton1, ui_->RadioButton2};
    items[txModeItemForStatus(status)]->setChecked(true);
    // The mode of the reception announced last, for the received picture's record.
    if (const auto id = modeByStatus(status))
        receivedMode_ = mode(*id).displayName;
}

void TForm1::setLoadButtonEnabled(bool enabled) {
    ui_->SpeedButton4->setEnabled(enabled);
}

void TForm1::setRxStopFace(const QString& text, std::optional<std::uint32_t> colour) {
    ui_->RXSTOP->setText(text);
    if (colour)
        ui_->RXSTOP->setFaceColor(TColor(*colour));
}

void TForm1::ToOrbisClick() {
    if (gate_.busy())
        return;
    if (link_.refuseWhileLost(true)) {
        setStatusText(link_.lostText());
        return;
    }
    CommandGate::Operation operation(gate_);
    beforeUpload();
    setStatusText(kUploadStatus);
    const MonitorHold hold = reception_.hold();
    transfer_.UploadPicture(pictures_.tx, hold);
}

void TForm1::fetchPicture(bool byOperator) {
    if (gate_.busy())
        return;
    if (link_.refuseWhileLost(byOperator)) {
        setStatusText(link_.lostText());
        return;
    }
    CommandGate::Operation operation(gate_);
    // The automatic fetch at the end of a reception (Save Pic Auto) may run with nobody there:
    // what goes wrong is said in the status line and on standard error, never in a box.
    std::optional<UnattendedScope> noBoxes;
    if (!byOperator)
        noBoxes.emplace(dialogs_);
    ui_->PaintBox2->setVisible(false);
    if (repeaterOn()) {
        if (byOperator) {
            dialogs_.beep(kBeepHand);
            dialogs_.message(kRepeaterNote, Dialogs::Kind::Information);
        } else {
            setStatusText(kRepeaterNote);
        }
    }
    ui_->SpeedButton15->setEnabled(true);
    ui_->PaintBox2->setVisible(true);
    removeFrames();
    setStatusText(kFetchStatus);
    link_.clearFailure();
    bool fetched = false;
    QStringList storeErrors;
    {
        const MonitorHold hold = reception_.hold();
        ui_->FromOrbis->setEnabled(true);
        fetched =
            transfer_.FetchPicture(pictures_.rx, hold, [this](int) { ui_->PaintBox2->update(); });
        // What has arrived is stored also when the fetch stopped early.
        storeErrors = storeReceivedPicture();
    }
    ui_->FromOrbis->setEnabled(true);
    QString failure = link_.lastFailure();
    if (failure.isEmpty() && !storeErrors.isEmpty()) {
        failure = storeErrors.front();
        fetched = false;
    }
    // The operator has seen the box; the automatic fetch leaves its failure in the status line.
    setStatusText(!byOperator && !fetched && !failure.isEmpty() ? failure : QStringLiteral(" "));
}

QStringList TForm1::storeReceivedPicture() {
    const ReceivedPictureStore store(folder_);
    const auto result = store.store(pictures_.rx, settings_, ui_->CheckBox2->isChecked(),
                                    QDateTime::currentDateTime(), receivedMode_);
    receivedMode_.clear();
    pictures_.draggedName = result.name;
    miniSlots().fill(result.slot, result.name, result.hint);
    for (const QString& error : result.errors)
        dialogs_.error(error);
    return result.errors;
}

} // namespace winorbis
