// SPDX-License-Identifier: GPL-3.0-or-later
#include "TForm1.h"

#include "ui_TForm1.h"

#include "captions/CaptionSources.h"
#include "captions/ui/CaptionWorkspace.h"
#include "platform/Clock.h"
#include "platform/Dialogs.h"
#include "workspace/StartupPictures.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QDir>
#include <QLayout>
#include <QStatusBar>

namespace winorbis {

namespace {

const QSize kClientSize(1024, 702);

Station::Setup stationSetup(const AppServices& services) {
    Station::Setup setup;
    setup.folder = services.folder.isEmpty() ? QDir::currentPath() : services.folder;
    setup.device = services.portDevice;
    setup.portFactory = services.portFactory;
    setup.portKind = services.portKind;
    if (services.soundCard)
        setup.use = Station::Setup::Use::SoundCard;
    setup.converterLog = services.converterLog;
    setup.converterFactory = services.converterFactory;
    setup.verbose = services.verbose;
    return setup;
}

} // namespace

TForm1::TForm1(const AppServices& services, QWidget* parent)
    : QMainWindow(parent)
    , ui_(std::make_unique<Ui::TForm1>())
    , dialogs_(services.dialogs)
    , clock_(services.clock)
    , station_(stationSetup(services), dialogs_, clock_)
    , folder_(station_.folder())
    , settings_(station_.settings())
    , pictures_(station_.pictures())
    , face_(*ui_, clock_, services.portKind, host_)
    , pictureFiles_(folder_, dialogs_, pictures_, settings_) {
    ui_->setupUi(this);
    // The client area below the menu bar is 1024 x 702, the status line included.
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
    FormDestroy();
}

void TForm1::FormCreate() {
    // 1. The caption placement starts cleared (no caption armed, no picture in picture), and so
    //    does the reserved settings value; reading the settings below gives it the file's value,
    //    which is written back unchanged.
    settings_.reserved = 0;

    // 2. The program folder was taken when the window was made (the current directory, or the
    //    folder of --folder). Missing picture folders are made now, so that no received or stored
    //    picture is lost for want of a folder.
    const QStringList missing = folder_.createMissingFolders();
    // What a program killed in the middle of a write left behind goes now.
    folder_.removeStaleTemporaryFiles();
    for (const QString& name : missing)
        qWarning("cannot create the folder %s", qPrintable(folder_.path(name)));

    // 3. The TX, RX and scratch pictures, 410 x 256 with the grey ramp until the start-up pictures
    //    are loaded.
    pictures_.tx = WorkingPictures::defaultGradient();
    pictures_.rx = WorkingPictures::defaultGradient();
    pictures_.scratch = QImage(410, 256, QImage::Format_RGB888);

    // 4. Settings. A folder without a settings file is new: it gets its starter files (the
    //    start picture, the standard-text library, the callsign picture) without a word.
    station_.readSettings(captions::defaultFace());
    // The option boxes kept in the settings; a change runs the box's handler.
    ui_->CheckBox2->setChecked(settings_.saveAuto);
    CheckBox2Click(); // its colour also when the value was already the box's
    ui_->CheckBox3->setChecked(settings_.picTx);

    // 5., 6., 7. The converter's port (the device of the settings' COM number in ports.conf, or
    //    the one given for this run; a port that failed answers nothing), its identify, and the
    //    hidden TX-mode item of its answer.
    station_.openConverter();
    // 8. The mini picture slots: their files and names.
    miniSlots().loadAll();
    // 9. Current picture file and TX picture name "$$$".
    pictures_.currentFile = WorkingPictures::kNone;
    pictures_.txName = WorkingPictures::kNone;
    // 10., 11., 13., 14. The caption controls from the settings, and the font example.
    captions_->showSettings();
    // 12. The start-up pictures: "\DEFALT.BMP" written and loaded into the TX and RX pictures
    //     (the caption font example is drawn between the two), then "\Gray.BMP".
    {
        const StartupPictures startup(folder_, dialogs_);
        const bool written = startup.writeDefaultPicture();
        startup.loadDefaultPicture(pictures_, written);
        startup.writeGrayPicture();
        startup.writeMissingConfirmationSound();
    }
    // 16. The receive monitor, running at once: the link is idle.
    station_.start();
    // 17. The TX picture of the last run.
    LoadPicClick();
}

bool TForm1::exitSteps() {
    dialogs_.beep(0);
    SaveEndPicClick();
    if (terminating_)
        return true;
    return dialogs_.askYesNo(QStringLiteral("WinOrbis 70p close?"));
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

void TForm1::FormDestroy() {
    // 1. The close question was asked while the window was still shown (closeEvent, ExitClick),
    //    never a second time here.
    // 2. The help viewer: the program opens the manual in the desktop's viewer, which it does not
    //    own, so there is nothing to close.
    // 3. The receive monitor ends; it is waited for the few milliseconds it needs to leave its
    //    loop, so that nothing it uses goes away under it.
    stopMonitor();
    // 4. The three working pictures are freed with the window.
    // 5. The TX picture as "\start.bmp" and the settings, unless the program's end on a signal
    //    has written them already.
    if (!endFilesWritten_)
        writeEndFiles();
}

void TForm1::writeEndFiles() {
    removeFrames();
    const bool picture = pictureFiles_.saveStartPicture();
    const bool settings = station_.writeSettings();
    endFilesWritten_ = true;
    if (!picture || !settings) {
        endWritesFailed_ = true;
        emit endWriteFailed();
    }
}

void TForm1::Terminate() {
    if (terminating_)
        return;
    terminating_ = true;
    // Nobody may be there to answer: from now on messages go to standard error only.
    dialogs_.setUnattended(true);
    // A wait or transfer that runs now returns at once and its command sends nothing more; every
    // event loop ends (an open message box's among them).
    clock_.endWaits();
    QCoreApplication::exit(0);
    // The rest runs when the command has unwound (at once when none runs): a fetch has stored
    // what it received by then.
    station_.gate().whenIdle([this] { finishTermination(); });
}

void TForm1::finishTermination() {
    stopMonitor();
    writeEndFiles();
    QCoreApplication::exit(endWritesFailed_ ? 1 : 0);
}

void TForm1::stopMonitor() {
    station_.stop();
}

void TForm1::closeEvent(QCloseEvent* event) {
    // The question is asked while the window is still shown, and "No" keeps the program running.
    // A program ended by a signal, or by "Exit" after its own question, asks nothing more.
    if (!terminating_ && !closeConfirmed_ && !exitSteps()) {
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
