// SPDX-License-Identifier: GPL-3.0-or-later
#include "MainWindowLook.h"

#include "ui_TForm1.h"

#include "MainWindowTexts.h"

#include "controls/StatusHints.h"
#include "controls/ToolIcons.h"

#include <QLabel>
#include <QPalette>
#include <QStyle>

namespace winorbis {

void dressMainWindow(Ui::TForm1& ui, QWidget* window,
                     const std::function<void(const QString&)>& showStatus) {
    // The TX window shows its picture 1:1 on grey, the RX window scaled on aqua.
    ui.PaintBox1->setFit(PaintBox::Fit::OneToOne);
    ui.PaintBox1->setBackground(QColor(128, 128, 128));
    ui.PaintBox2->setFit(PaintBox::Fit::Scaled);
    ui.PaintBox2->setBackground(colours::clAqua.toQColor());

    // The window titles: white on blue, through the palette (a style sheet would put every
    // control inside them under the slower style-sheet style).
    for (QLabel* title : {ui.TxTitle, ui.RxTitle}) {
        QPalette palette = title->palette();
        palette.setColor(QPalette::Window, QColor(0, 0, 255));
        palette.setColor(QPalette::WindowText, QColor(255, 255, 255));
        title->setPalette(palette);
    }

    QStyle* style = window->style();
    ui.SpeedButton16->setIcon(style->standardIcon(QStyle::SP_MediaPlay));
    ui.SpeedButton17->setText(QStringLiteral("2"));
    ui.SpeedButton18->setText(QStringLiteral("10"));
    ui.SpeedButton7->setText(QStringLiteral("1"));
    ui.SpeedButton8->setText(QStringLiteral("2"));
    ui.SpeedButton4->setIcon(style->standardIcon(QStyle::SP_DialogOpenButton));
    ui.SpeedButton5->setIcon(style->standardIcon(QStyle::SP_FileDialogNewFolder));
    ui.SpeedButton1->setIcon(ToolIcons::copy());
    ui.SpeedButton3->setIcon(ToolIcons::paste());
    ui.SpeedButton6->setIcon(style->standardIcon(QStyle::SP_DialogSaveButton));
    ui.SpeedButton13->setIcon(style->standardIcon(QStyle::SP_FileDialogNewFolder));
    ui.SpeedButton2->setIcon(ToolIcons::copy());
    ui.SpeedButton15->setIcon(style->standardIcon(QStyle::SP_TitleBarNormalButton));
    ui.SpeedButton11->setIcon(style->standardIcon(QStyle::SP_DesktopIcon));
    ui.SpeedButton14->setIcon(style->standardIcon(QStyle::SP_DialogSaveButton));

    auto* hints = new StatusHints(showStatus, window);
    using namespace mainwindowtext;
    hints->add(ui.SpeedButton16, kDigitizeHint);
    hints->add(ui.SpeedButton17, kSelfTimer2Hint);
    hints->add(ui.SpeedButton18, kSelfTimer10Hint);
    hints->add(ui.SpeedButton7, kMemory1Hint);
    hints->add(ui.SpeedButton8, kMemory2Hint);
    hints->add(ui.CheckBox3, kPicTxHint);
    hints->add(ui.ACQandTX, kAcqTxHint);
    hints->add(ui.CheckBox4, kCallsignInsertHint);
    hints->add(ui.CheckBox2, kSavePicAutoHint);
}

} // namespace winorbis
