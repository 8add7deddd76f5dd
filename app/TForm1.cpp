// SPDX-License-Identifier: GPL-3.0-or-later
#include "TForm1.h"

#include "ui_TForm1.h"

#include "captions/CaptionSources.h"
#include "captions/ui/CaptionWorkspace.h"
#include "platform/Clock.h"
#include "platform/Dialogs.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QLayout>
#include <QStatusBar>

namespace winorbis {

// The client area below the menu bar, the status line included.
const QSize kClientSize(1024, 702);

TForm1::TForm1(const AppServices& services, QWidget* parent)
    : QMainWindow(parent)
    , ui_(std::make_unique<Ui::TForm1>())
    , dialogs_(services.dialogs)
    , clock_(services.clock)
    , station_(services.stationSetup(), dialogs_, clock_)
    , folder_(station_.folder())
    , settings_(station_.settings())
    , pictures_(station_.pictures())
    , face_(*ui_, clock_, services.portKind, host_)
    , pictureFiles_(folder_, dialogs_, pictures_, settings_)
    , end_({station_, clock_, dialogs_,
            [this] {
                removeFrames();
                return pictureFiles_.saveStartPicture();
            },
            [this] { emit endWriteFailed(); }}) {
    ui_->setupUi(this);
    ui_->centralwidget->setFixedSize(kClientSize.width(),
                                     kClientSize.height() - ui_->StatusBar1->sizeHint().height());
    layout()->setSizeConstraint(QLayout::SetFixedSize);
    commandRow_ = makeCommandRow(centralWidget());
    connectControls();
    connectCommands();
    connectPictures();
    connectStation();
    FormCreate();
}

TForm1::~TForm1() {
    // The close question was asked while the window was still shown (closeEvent, ExitClick).
    end_.finish();
}

void TForm1::FormCreate() {
    // The caption placement starts cleared (no caption armed, no picture in picture), and so does
    // the reserved settings value; reading the settings gives it the file's value.
    settings_.reserved = 0;
    station_.prepareFolder();
    pictures_.scratch = QImage(410, 256, QImage::Format_RGB888);
    // A folder without a settings file is new: it gets its starter files without a word.
    station_.readSettings(captions::defaultFace());
    // The option boxes kept in the settings; a change runs the box's handler.
    ui_->CheckBox2->setChecked(settings_.saveAuto);
    CheckBox2Click(); // its colour also when the value was already the box's
    ui_->CheckBox3->setChecked(settings_.picTx);
    // The converter: the box's port (the device of the settings' COM number in ports.conf, or the
    // one given for this run) with its identify, or the sound card.
    station_.openConverter();
    miniSlots().loadAll();
    pictures_.currentFile = WorkingPictures::kNone;
    pictures_.txName = WorkingPictures::kNone;
    captions_->showSettings();
    station_.writeStartupPictures();
    // The receive monitor runs at once: the link is idle. Then the TX picture of the last run.
    station_.start();
    LoadPicClick();
}

bool TForm1::exitSteps() {
    dialogs_.beep(0);
    SaveEndPicClick();
    return end_.terminating() || dialogs_.askYesNo(QStringLiteral("WinOrbis 70p close?"));
}

void TForm1::ExitClick() {
    if (!exitSteps())
        return;
    closeConfirmed_ = true;
    close();
}

void TForm1::SaveEndPicClick() {
    removeFrames();
    pictureFiles_.saveStartPicture();
}

void TForm1::closeEvent(QCloseEvent* event) {
    // The question is asked while the window is still shown, and "No" keeps the program running.
    // A program ended by a signal, or by "Exit" after its own question, asks nothing more.
    if (!end_.terminating() && !closeConfirmed_ && !exitSteps()) {
        event->ignore();
        return;
    }
    closeConfirmed_ = true;
    event->accept();
    // A command waiting now (a self-timer, the beacon's transmission) ends at once without
    // sending anything more, and no later wait starts.
    clock_.endWaits();
    // The program runs until the main window closes, whatever other window is still open.
    QCoreApplication::quit();
}

} // namespace winorbis
