// SPDX-License-Identifier: GPL-3.0-or-later
// The main window's transmit, capture, memory and free-run commands, their option boxes, and the
// status texts shown while the mouse moves over the controls.
#include "TForm1.h"

#include "ui_TForm1.h"

#include "MainWindowTexts.h"

#include "controls/StatusHints.h"
#include "platform/Dialogs.h"

#include <QFileInfo>
#include <QSoundEffect>
#include <QStyle>
#include <QUrl>

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
    connect(ui_->SpeedButton16, &QToolButton::clicked, this, &TForm1::ACQClick);
    connect(ui_->Digitalisieren1, &QAction::triggered, this, &TForm1::ACQClick);
    connect(ui_->SpeedButton17, &QToolButton::clicked, this, &TForm1::SpeedButton8Click);
    connect(ui_->Selbstauslser2s1, &QAction::triggered, this, &TForm1::SpeedButton8Click);
    connect(ui_->SpeedButton18, &QToolButton::clicked, this, &TForm1::ACQ10Click);
    connect(ui_->VerzgerterAuslser10s1, &QAction::triggered, this, &TForm1::ACQ10Click);
    connect(ui_->SpeedButton7, &QToolButton::clicked, this, &TForm1::Page1Click);
    connect(ui_->Bildspeicher11, &QAction::triggered, this, &TForm1::Page1Click);
    connect(ui_->SpeedButton8, &QToolButton::clicked, this, &TForm1::SpeedButton12Click);
    connect(ui_->Bildspeicher21, &QAction::triggered, this, &TForm1::SpeedButton12Click);
    // A change from code runs a box's handler as a click does, only when the value changes.
    connect(ui_->CheckBox3, &QCheckBox::toggled, this, &TForm1::CheckBox3Click);
    connect(ui_->ACQandTX, &QCheckBox::toggled, this, &TForm1::ACQandTXClick);

    QStyle* style = this->style();
    ui_->SpeedButton16->setIcon(style->standardIcon(QStyle::SP_MediaPlay));
    ui_->SpeedButton17->setText(QStringLiteral("2"));
    ui_->SpeedButton18->setText(QStringLiteral("10"));
    ui_->SpeedButton7->setText(QStringLiteral("1"));
    ui_->SpeedButton8->setText(QStringLiteral("2"));

    auto* hints = new StatusHints([this](const QString& text) { setStatusText(text); }, this);
    using namespace mainwindowtext;
    hints->add(ui_->SpeedButton16, kDigitizeHint);
    hints->add(ui_->SpeedButton17, kSelfTimer2Hint);
    hints->add(ui_->SpeedButton18, kSelfTimer10Hint);
    hints->add(ui_->SpeedButton7, kMemory1Hint);
    hints->add(ui_->SpeedButton8, kMemory2Hint);
    hints->add(ui_->CheckBox3, kPicTxHint);
    hints->add(ui_->ACQandTX, kAcqTxHint);
    hints->add(ui_->CheckBox4, kCallsignInsertHint);
    hints->add(ui_->CheckBox2, kSavePicAutoHint);

    mediaPlayer1_ = new QSoundEffect(this);
    mediaPlayer1_->setObjectName(QStringLiteral("MediaPlayer1"));
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

void TForm1::playConfirmation() {
    const QString path = folder_.path(u"\\ok.wav");
    if (!QFileInfo::exists(path)) {
        dialogs_.error(
            QStringLiteral("The sound %1 cannot be played: the file does not exist.").arg(path));
        return;
    }
    mediaPlayer1_->setSource(QUrl::fromLocalFile(path));
    mediaPlayer1_->play();
}

} // namespace winorbis
