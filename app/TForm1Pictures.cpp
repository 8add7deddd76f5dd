// SPDX-License-Identifier: GPL-3.0-or-later
// The main window's TX and RX picture commands: loading into the TX picture, the catalog stores,
// the save-as commands and the click on the TX window that reloads the last file.
#include "TForm1.h"

#include "ui_TForm1.h"

#include <QMouseEvent>
#include <QStyle>

namespace winorbis {

void TForm1::connectPictures() {
    pictureFiles_.setStatusSink([this](const QString& text) { setStatusText(text); });

    connect(ui_->SpeedButton4, &QToolButton::clicked, this, &TForm1::BildladenTxClick);
    connect(ui_->Bildfnen1, &QAction::triggered, this, &TForm1::BildladenTxClick);
    connect(ui_->SpeedButton5, &QToolButton::clicked, this, &TForm1::BildspeichernTxClick);
    connect(ui_->Bildspeichern1, &QAction::triggered, this, &TForm1::BildspeichernTxClick);
    connect(ui_->SpeedButton6, &QToolButton::clicked, this, &TForm1::BildspeichernunterTxClick);
    connect(ui_->Bildspeichernunter1, &QAction::triggered, this,
            &TForm1::BildspeichernunterTxClick);
    connect(ui_->SpeedButton13, &QToolButton::clicked, this, &TForm1::BildspeichernRxClick);
    connect(ui_->Bildspeichern2, &QAction::triggered, this, &TForm1::BildspeichernRxClick);
    connect(ui_->SpeedButton14, &QToolButton::clicked, this, &TForm1::BildspeichernunterRxClick);
    connect(ui_->Bildspeichernunter2, &QAction::triggered, this,
            &TForm1::BildspeichernunterRxClick);
    connect(ui_->FlyingButton23, &TFlyingButton::OnClick, this, &TForm1::FlyingButton23Click);
    connect(ui_->SpeedButton11, &QToolButton::clicked, this, &TForm1::FlyingButton23Click);
    connect(ui_->BitBtn3, &QPushButton::clicked, this, &TForm1::SaveEndPicClick);
    ui_->PaintBox1->installEventFilter(this);

    // The clipboard buttons are enabled with the clipboard commands.
    for (QToolButton* clipboard : {ui_->SpeedButton1, ui_->SpeedButton2, ui_->SpeedButton3})
        clipboard->setEnabled(false);

    QStyle* style = this->style();
    ui_->SpeedButton4->setIcon(style->standardIcon(QStyle::SP_DialogOpenButton));
    ui_->SpeedButton5->setIcon(style->standardIcon(QStyle::SP_FileDialogNewFolder));
    ui_->SpeedButton1->setIcon(style->standardIcon(QStyle::SP_FileDialogDetailedView));
    ui_->SpeedButton3->setIcon(style->standardIcon(QStyle::SP_FileDialogListView));
    ui_->SpeedButton6->setIcon(style->standardIcon(QStyle::SP_DialogSaveButton));
    ui_->SpeedButton13->setIcon(style->standardIcon(QStyle::SP_FileDialogNewFolder));
    ui_->SpeedButton2->setIcon(style->standardIcon(QStyle::SP_FileDialogDetailedView));
    ui_->SpeedButton15->setIcon(style->standardIcon(QStyle::SP_TitleBarNormalButton));
    ui_->SpeedButton11->setIcon(style->standardIcon(QStyle::SP_DesktopIcon));
    ui_->SpeedButton14->setIcon(style->standardIcon(QStyle::SP_DialogSaveButton));
}

void TForm1::showTxPicture() {
    ui_->PaintBox1->setPaintsPicture(!pictures_.currentFile.isEmpty());
    ui_->PaintBox1->update();
}

void TForm1::BildladenTxClick() {
    removeFrames();
    pictureFiles_.openAndLoad(link_.isIdle());
    showTxPicture();
}

void TForm1::PaintBox1Click() {
    if (!link_.isIdle())
        return;
    // A pending caption frame takes the click instead; the caption placement is added here.
    pictureFiles_.reloadLastChosen();
    showTxPicture();
    // The drag state of the mini slots is reset here.
}

void TForm1::BildspeichernTxClick() {
    removeFrames();
    pictureFiles_.storeInTxCatalog();
    // The catalog window shows the picture in its TX catalog position here.
}

void TForm1::BildspeichernunterTxClick() {
    pictureFiles_.saveTxAs();
}

void TForm1::BildspeichernRxClick() {
    removeFrames();
    pictureFiles_.storeInRxCatalog();
    // The catalog window shows the picture and its name in the RX catalog here.
}

void TForm1::BildspeichernunterRxClick() {
    pictureFiles_.saveRxAs();
}

void TForm1::FlyingButton23Click() {
    pictureFiles_.saveShownRxAs(ui_->PaintBox2->shownPicture());
}

void TForm1::LoadPicClick() {
    pictureFiles_.loadStartPicture();
    showTxPicture();
}

} // namespace winorbis
