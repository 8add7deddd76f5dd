// SPDX-License-Identifier: GPL-3.0-or-later
// The main window's TX and RX picture commands: loading into the TX picture, the catalog stores,
// the save-as commands, the click on the TX window that reloads the last file, and the mini slots
// with the picture drags.
#include "TForm1.h"

#include "ui_TForm1.h"

#include "captions/ui/CaptionWorkspace.h"
#include "workspace/ui/SlotPanel.h"
#include "workspace/ui/TestPictureBox.h"

namespace winorbis {

void TForm1::connectPictures() {
    pictureFiles_.setStatusSink([this](const QString& text) { setStatusText(text); });

    // A tool button and its menu item run the same command.
    const auto bind = [this](QToolButton* button, QAction* item, const std::function<void()>& fn) {
        if (button)
            connect(button, &QToolButton::clicked, this, fn);
        connect(item, &QAction::triggered, this, fn);
    };
    bind(ui_->SpeedButton4, ui_->Bildfnen1, [this] { BildladenTxClick(); });
    bind(ui_->SpeedButton5, ui_->Bildspeichern1, [this] { BildspeichernTxClick(); });
    bind(ui_->SpeedButton6, ui_->Bildspeichernunter1, [this] { BildspeichernunterTxClick(); });
    bind(ui_->SpeedButton13, ui_->Bildspeichern2, [this] { BildspeichernRxClick(); });
    bind(ui_->SpeedButton14, ui_->Bildspeichernunter2, [this] { BildspeichernunterRxClick(); });
    connect(ui_->FlyingButton23, &TFlyingButton::OnClick, this, &TForm1::FlyingButton23Click);
    connect(ui_->SpeedButton11, &QToolButton::clicked, this, &TForm1::FlyingButton23Click);
    connect(ui_->BitBtn3, &QPushButton::clicked, this, &TForm1::SaveEndPicClick);

    workspace_ = new PictureWorkspace(
        folder_, dialogs_, pictures_, settings_,
        {*ui_->ThumbnailPanel, *ui_->PaintBox1, *ui_->PaintBox2, *ui_->ScrollBox1}, host_, this);
    // Made after the slots' drags, so that a caption or picture-in-picture frame takes the TX
    // window's mouse first.
    captions_ = new CaptionWorkspace(settings_, pictures_, folder_, dialogs_,
                                     {*ui_->centralwidget, *ui_->PicturePanel, *ui_->PaintBox1,
                                      *ui_->SpeedButton15, *ui_->CheckBox4},
                                     host_, this);
    captions_->addReferenceMenu(*ui_->Special1);
    PictureExchange* exchange = &workspace_->exchange();
    exchange->setDialogParent(this);
    bind(ui_->SpeedButton1, ui_->Bildkopieren1, [exchange] { exchange->BildkopierenTxClick(); });
    bind(ui_->SpeedButton2, ui_->Bildkopieren2, [exchange] { exchange->BildkopierenRxClick(); });
    bind(ui_->SpeedButton3, ui_->Bildeinfgen1, [exchange] { exchange->BildeinfuegenTxClick(); });
    bind(nullptr, ui_->Drucken1, [exchange] { exchange->Drucken1Click(); });
    bind(nullptr, ui_->Drucken2, [exchange] { exchange->Drucken2Click(); });
    bind(nullptr, ui_->PrinterSetup1, [exchange] { exchange->Druckereinrichten1Click(); });
}

void TForm1::showTxPicture() {
    ui_->PaintBox1->setPaintsPicture(!pictures_.currentFile.isEmpty());
    ui_->PaintBox1->update();
}

void TForm1::BildladenTxClick() {
    removeFrames();
    pictureFiles_.openAndLoad(!station_.receptionRunning());
    showTxPicture();
}

void TForm1::PaintBox1Click() {
    if (station_.receptionRunning())
        return;
    pictureFiles_.reloadLastChosen();
    showTxPicture();
    miniSlots().setDragState(DragState::TxReloaded);
}

void TForm1::BildspeichernTxClick() {
    removeFrames();
    pictureFiles_.storeInTxCatalog();
}

void TForm1::BildspeichernRxClick() {
    removeFrames();
    if (pictureFiles_.storeInRxCatalog())
        miniSlots().showNames(); // the first twelve positions name their slot
}

void TForm1::FlyingButton23Click() {
    pictureFiles_.saveShownRxAs(ui_->PaintBox2->shownPicture());
}

void TForm1::LoadPicClick() {
    pictureFiles_.loadStartPicture();
    showTxPicture();
}

} // namespace winorbis
