// SPDX-License-Identifier: GPL-3.0-or-later
// The main window's converter commands: transfers by hand and at the end of a reception, the
// receive stop, the repeater switch, and the window changes the receive monitor asks for.
#include "MainWindowFetch.h"
#include "TForm1.h"

#include "ui_TForm1.h"

#include "captions/ui/CaptionWorkspace.h"
#include "link/LinkTexts.h"
#include "workspace/ui/SlotPanel.h"

#include <QStatusBar>
#include <QStatusTipEvent>

namespace winorbis {

using namespace linktext;

void TForm1::connectControls() {
    ui_->PaintBox1->setPicture(&pictures_.tx);
    ui_->PaintBox1->setFit(PaintBox::Fit::OneToOne);
    ui_->PaintBox1->setBackground(QColor(128, 128, 128));
    ui_->PaintBox2->setPicture(&pictures_.rx);
    ui_->PaintBox2->setFit(PaintBox::Fit::Scaled);
    ui_->PaintBox2->setBackground(colours::clAqua.toQColor());

    face_.attach(this, reception_, settings_);
    transfer_.setProgress(
        [this](int position, int maximum) { face_.showTransferProgress(position, maximum); });

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

PaintBox* TForm1::txWindow() const {
    return ui_->PaintBox1;
}

PaintBox* TForm1::rxWindow() const {
    return ui_->PaintBox2;
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
    MainWindowFetch steps(*this, byOperator);
    const Station::FetchResult result = station_.fetchReceived(pictures_.rx, byOperator, steps);
    if (!result.ran) {
        // Refused: another command runs (nothing to say), or the converter is lost.
        if (!result.failure.isEmpty())
            setStatusText(result.failure);
        return;
    }
    ui_->FromOrbis->setEnabled(true);
    // The operator has seen the box; the automatic fetch leaves its failure in the status line.
    setStatusText(!byOperator && !result.complete && !result.failure.isEmpty()
                      ? result.failure
                      : QStringLiteral(" "));
}

} // namespace winorbis
