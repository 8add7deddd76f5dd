// SPDX-License-Identifier: GPL-3.0-or-later
// The main window's converter commands (transfers, receive stop, repeater switch, transmit,
// capture, memory and free run) with their option boxes, and the station's events on the window.
#include "TForm1.h"

#include "ui_TForm1.h"

#include "AirModeList.h"
#include "ConfirmationSound.h"
#include "MainWindowLook.h"

#include "captions/ui/CaptionWorkspace.h"
#include "workspace/ui/SlotPanel.h"

#include <QStatusBar>
#include <QStatusTipEvent>

namespace winorbis {

void TForm1::connectCommands() {
    const QList<TFlyingButton*> transmit = {ui_->FlyingButton1, ui_->FlyingButton2,
                                            ui_->FlyingButton3, ui_->FlyingButton4,
                                            ui_->FlyingButton5, ui_->FlyingButton6};
    const QList<TFlyingButton*> freeRun = {ui_->FlyingButton7,  ui_->FlyingButton8,
                                           ui_->FlyingButton9,  ui_->FlyingButton10,
                                           ui_->FlyingButton11, ui_->FlyingButton12};
    for (int i = 0; i < 6; ++i) {
        const auto id = ModeId(i);
        connect(transmit[i], &TFlyingButton::OnClick, this, [this, id] { transmitClick(id); });
        connect(freeRun[i], &TFlyingButton::OnClick, this, [this, id] { station_.freeRun(id); });
    }
    // A tool button and its menu item run the same station command.
    Station* s = &station_;
    const auto bind = [this](QToolButton* button, QAction* item, const std::function<void()>& fn) {
        connect(button, &QToolButton::clicked, this, fn);
        connect(item, &QAction::triggered, this, fn);
    };
    bind(ui_->SpeedButton16, ui_->Digitalisieren1, [s] { s->digitize(); });
    bind(ui_->SpeedButton17, ui_->Selbstauslser2s1, [s] { s->selfTimer2s(); });
    bind(ui_->SpeedButton18, ui_->VerzgerterAuslser10s1, [s] { s->selfTimer10s(); });
    bind(ui_->SpeedButton7, ui_->Bildspeicher11, [s] { s->selectMemory(1); });
    bind(ui_->SpeedButton8, ui_->Bildspeicher21, [s] { s->selectMemory(2); });
    // A change from code runs a box's handler as a click does, only when the value changes.
    connect(ui_->CheckBox3, &QCheckBox::toggled, this, &TForm1::CheckBox3Click);
    connect(ui_->ACQandTX, &QCheckBox::toggled, this, &TForm1::ACQandTXClick);
    dressMainWindow(*ui_, this, [this](const QString& text) { setStatusText(text); });
    new AirModeList(station_, ui_->centralwidget, [this](ModeId id) { transmitClick(id); });
}

void TForm1::transmitClick(ModeId mode) {
    station_.transmit(mode, ui_->CheckBox3->isChecked(), ui_->ACQandTX->isChecked());
}

void TForm1::CheckBox3Click() {
    settings_.picTx = ui_->CheckBox3->isChecked();
    if (ui_->CheckBox3->isChecked())
        ui_->ACQandTX->setChecked(false);
}

void TForm1::ACQandTXClick() {
    if (ui_->ACQandTX->isChecked())
        ui_->CheckBox3->setChecked(false);
}

void TForm1::connectControls() {
    ui_->PaintBox1->setPicture(&pictures_.tx);
    ui_->PaintBox2->setPicture(&pictures_.rx);

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

void TForm1::connectStation() {
    Station* station = &station_;
    face_.follow(station_, this);
    connect(station, &Station::statusText, this, &TForm1::setStatusText);
    connect(station, &Station::framesRemoved, this, &TForm1::removeFrames);
    connect(station, &Station::txPictureChanged, this, &TForm1::showTxPicture);
    auto* sound = new ConfirmationSound(folder_, dialogs_, this);
    connect(station, &Station::confirmationWanted, sound, &ConfirmationSound::play);
    // The picture goes into the next slot.
    connect(station, &Station::stored, this, [this](const StoredPicture& picture) {
        if (picture.slot > 0)
            miniSlots().fill(picture.slot, picture.name, picture.hint,
                             picture.slotFile.isEmpty() ? QImage() : picture.picture);
    });
    // The operator has seen the box; the automatic fetch leaves its failure in the status line.
    connect(station, &Station::fetchEnded, this,
            [this](bool byOperator, bool complete, const QString& failure) {
                setStatusText(!byOperator && !complete && !failure.isEmpty() ? failure
                                                                             : QStringLiteral(" "));
            });
}

} // namespace winorbis
