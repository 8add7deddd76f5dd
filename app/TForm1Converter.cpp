// SPDX-License-Identifier: GPL-3.0-or-later
// The main window's converter commands: transfers by hand and at the end of a reception, the
// receive stop, the repeater switch, and the window changes the receive monitor asks for.
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

    face_.attach(this, station_.reception(), settings_);

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

void TForm1::fetchPicture(bool byOperator) {
    station_.fetch(byOperator);
}

void TForm1::connectStation() {
    Station* station = &station_;
    connect(station, &Station::statusText, this, &TForm1::setStatusText);
    connect(station, &Station::framesRemoved, this, &TForm1::removeFrames);
    connect(station, &Station::txModeItem, this,
            [this](std::uint8_t status) { face_.selectTxModeItem(status); });
    connect(station, &Station::loadButtonEnabled, this,
            [this](bool on) { face_.setLoadButtonEnabled(on); });
    connect(station, &Station::rxStopFace, this,
            [this](const QString& text, std::optional<std::uint32_t> colour) {
                face_.setRxStopFace(text, colour);
            });
    connect(station, &Station::repeaterItemShown, this,
            [this](int item) { face_.showRepeaterItem(item); });
    connect(station, &Station::repeaterSwitchShown, this,
            [this](bool on) { face_.showRepeaterSwitch(on); });
    connect(station, &Station::airTimeStarted, this,
            [this](int ms) { face_.receptionTimeStarted(ms); });
    connect(station, &Station::airTimeEnded, this, [this] { face_.receptionTimeEnded(); });
    connect(station, &Station::transmissionStarted, this,
            [this](int ms) { face_.transmissionStarted(ms); });
    connect(station, &Station::presenceChanged, this, [this](linktext::ConverterPresence presence) {
        face_.showConverterPresence(presence);
    });
    connect(station, &Station::progress, this,
            [this](int position, int maximum) { face_.showTransferProgress(position, maximum); });
    connect(station, &Station::txPictureChanged, this, &TForm1::showTxPicture);
    connect(station, &Station::confirmationWanted, this, &TForm1::playConfirmation);
    // A fetch: the RX window fills as the lines come, the picture goes into the next slot.
    connect(station, &Station::fetchStarted, this, [this](bool) {
        ui_->SpeedButton15->setEnabled(true);
        ui_->PaintBox2->setVisible(true);
        ui_->FromOrbis->setEnabled(true);
    });
    // The sound card's rows come while the picture is received: the RX window shows them.
    connect(station, &Station::lineArrived, this, [this](int) {
        ui_->PaintBox2->setVisible(true);
        ui_->PaintBox2->update();
    });
    connect(station, &Station::stored, this, [this](const StoredPicture& picture) {
        if (picture.slot > 0)
            miniSlots().fill(picture.slot, picture.name, picture.hint,
                             picture.slotFile.isEmpty() ? QImage() : picture.picture);
    });
    connect(station, &Station::fetchEnded, this,
            [this](bool byOperator, bool complete, const QString& failure) {
                ui_->PaintBox2->update();
                ui_->FromOrbis->setEnabled(true);
                // The operator has seen the box; the automatic fetch leaves its failure in the
                // status line.
                setStatusText(!byOperator && !complete && !failure.isEmpty() ? failure
                                                                             : QStringLiteral(" "));
            });
}

} // namespace winorbis
