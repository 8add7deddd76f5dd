// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "AppServices.h"
#include "CommandRow.h"
#include "MainWindowHost.h"
#include "ReceptionFace.h"
#include "platform/ProgramFolder.h"
#include "settings/Settings.h"
#include "stationcore/Station.h"
#include "workspace/PictureFiles.h"
#include "workspace/WorkingPictures.h"

#include <QMainWindow>

#include <memory>

class QMenu;
class QSoundEffect;

namespace Ui {
class TForm1;
}

namespace winorbis {

class CaptionWorkspace;
class PaintBox;
class TFlyingButton;

// The main window: a face on the station, which it owns. Its creation opens the station's
// converter and starts the receive monitor, its destruction stops them and writes the settings
// back. It wires the main window's controls to the station and to the subsystems' controllers.
class TForm1 : public QMainWindow {
    Q_OBJECT
public:
    explicit TForm1(const AppServices& services, QWidget* parent = nullptr);
    ~TForm1() override;

    Station& station() { return station_; }
    const ProgramFolder& programFolder() const { return folder_; }
    Settings& settings() { return settings_; }
    const Settings& settings() const { return settings_; }
    int PortNumber() const { return settings_.portNumber; }
    // The box's link (the handheld's exchanges, the converter field).
    ConverterLink& link() { return *station_.boxLink(); }
    WorkingPictures& pictures() { return pictures_; }
    ReceptionController& reception() { return station_.reception(); }
    PictureWorkspace& pictureWorkspace() { return *workspace_; }
    CommandGate& gate() { return station_.gate(); }
    PictureFiles& pictureFiles() { return pictureFiles_; }
    SlotController& miniSlots() { return workspace_->miniSlots(); }
    CaptionWorkspace& captions() { return *captions_; }
    // Controls the other windows' wiring attaches to.
    PaintBox* txWindow() const;           // PaintBox1
    PaintBox* rxWindow() const;           // PaintBox2
    TFlyingButton* catalogButton() const; // FlyingButton18
    QMenu* specialMenu() const;           // "&Special"
    TFlyingButton* commandRowButton(RowCommand command) const {
        return commandRow_[std::size_t(command)];
    }
    QString statusText() const;
    // True while the end-of-reception timer (Timer2) runs.
    bool receiveTimerRunning() { return station_.reception().receiveTimerRunning(); }
    void setStatusText(const QString& text);

    // The converter commands of the main window.
    void ToOrbisClick() { station_.upload(); }
    void FromOrbisClick() { fetchPicture(true); }
    void RXSTOPClick() { station_.receiveStop(); }
    void Timer2Timer() { station_.reception().Timer2Timer(); }
    void Ein2Click() { station_.switchRepeater(true); }
    void Aus2Click() { station_.switchRepeater(false); }
    void CheckBox2Click() { face_.saveAutoChanged(); }
    bool repeaterOn() const { return station_.repeaterOn(); }
    ReceptionFace& receptionFace() { return face_; }

    // Transmit, capture and memory commands.
    void R36TxClick() { transmitClick(ModeId::Robot36); }
    void R72TxClick() { transmitClick(ModeId::Robot72); }
    void M1TxClick() { transmitClick(ModeId::Martin1); }
    void M2TxClick() { transmitClick(ModeId::Martin2); }
    void S1TxClick() { transmitClick(ModeId::Scottie1); }
    void S2TxClick() { transmitClick(ModeId::Scottie2); }
    void ACQClick() { station_.digitize(); }
    void SpeedButton8Click() { station_.selfTimer2s(); }
    void ACQ10Click() { station_.selfTimer10s(); }
    void Page1Click() { station_.selectMemory(1); }
    void SpeedButton12Click() { station_.selectMemory(2); }
    void CheckBox3Click();
    void ACQandTXClick();

    // The TX and RX pictures and their files.
    void BildladenTxClick();
    void BildspeichernTxClick();
    void BildspeichernunterTxClick();
    void BildspeichernRxClick();
    void BildspeichernunterRxClick();
    void FlyingButton23Click();
    void LoadPicClick();

    // "Exit": beep, save the TX picture as "\start.bmp", and ask whether to close.
    void ExitClick();
    // Saves the TX picture as "\start.bmp".
    void SaveEndPicClick();
    void removeFrames();
    // Ends the program in order without asking (SIGTERM, SIGINT): a running converter command
    // stops at its next step without sending anything more (a fetch keeps what it has received),
    // then the monitor ends, the TX picture and the settings are written and the event loops end.
    // Works inside an open message box as well.
    void Terminate();
    // True when a write of the program's end (the TX picture, the settings) failed.
    bool endWritesFailed() const { return endWritesFailed_; }

signals:
    // A write of the program's end (the TX picture, the settings) failed; also emitted during the
    // destruction.
    void endWriteFailed();

protected:
    void closeEvent(QCloseEvent* event) override;
    bool event(QEvent* event) override;

private:
    friend class MainWindowHost;
    void FormCreate();
    void FormDestroy();
    // The exit command's steps; true when the operator answered "Yes" (or the program ends
    // without asking).
    bool exitSteps();
    void connectControls();
    // The rest of Terminate(), once no converter command runs any more.
    void finishTermination();
    // Writes "\start.bmp" and "\COM.DAT", each whether the other failed or not.
    void writeEndFiles();
    void stopMonitor();
    void transmitClick(ModeId mode);
    void connectCommands();
    // The station's signals to the window's controls.
    void connectStation();
    void connectPictures();
    // Shows the TX picture 1:1 in the TX window, painting only while there is a current file.
    void showTxPicture();
    void PaintBox1Click();

    void playConfirmation();

    // The fetch; the one the operator starts shows the repeater note in a box, the automatic one
    // at the end of a reception in the status bar, so an unattended repeater never stops.
    void fetchPicture(bool byOperator);

    std::unique_ptr<Ui::TForm1> ui_;
    Dialogs& dialogs_;
    Clock& clock_;
    // The station: settings, converter, reception, commands, pictures and their store.
    Station station_;
    const ProgramFolder& folder_;
    Settings& settings_;
    WorkingPictures& pictures_;
    MainWindowHost host_{*this}; // what the window lends the controllers it owns
    // What the window shows of the converter and its reception.
    ReceptionFace face_;
    std::array<TFlyingButton*, kRowCommands> commandRow_{};
    PictureFiles pictureFiles_;
    // The mini slots with their drags, and the clipboard, print and test picture commands.
    PictureWorkspace* workspace_ = nullptr;
    CaptionWorkspace* captions_ = nullptr; // the caption controls and placement
    QSoundEffect* mediaPlayer1_ = nullptr;
    bool terminating_ = false;
    bool endFilesWritten_ = false;
    bool endWritesFailed_ = false;
    // The operator has answered the close question with "Yes".
    bool closeConfirmed_ = false;
};

} // namespace winorbis
