// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "AppServices.h"
#include "CommandRow.h"
#include "MainWindowHost.h"
#include "ReceptionFace.h"
#include "link/TransmitCommands.h"
#include "platform/ProgramFolder.h"
#include "settings/Settings.h"
#include "settings/SettingsStore.h"
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

// The main window: its creation opens the converter link and starts the receive monitor, its
// destruction stops the monitor and writes the settings back. It owns the operator's settings for
// the whole run and wires the main window's controls to the subsystems and their controllers.
class TForm1 : public QMainWindow, private CommandHost {
    Q_OBJECT
public:
    explicit TForm1(const AppServices& services, QWidget* parent = nullptr);
    ~TForm1() override;

    const ProgramFolder& programFolder() const { return folder_; }
    Settings& settings() { return settings_; }
    const Settings& settings() const { return settings_; }
    int PortNumber() const { return settings_.portNumber; }
    ConverterLink& link() { return link_; }
    WorkingPictures& pictures() { return pictures_; }
    ReceptionController& reception() { return reception_; }
    PictureWorkspace& pictureWorkspace() { return *workspace_; }
    CommandGate& gate() { return gate_; }
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
    bool receiveTimerRunning() const { return reception_.receiveTimerRunning(); }
    void setStatusText(const QString& text) override;

    // The converter commands of the main window.
    void ToOrbisClick();
    void FromOrbisClick() { fetchPicture(true); }
    void RXSTOPClick() { reception_.receiveStop(); }
    void Timer2Timer() { reception_.Timer2Timer(); }
    void Ein2Click() { reception_.switchRepeater(true); }
    void Aus2Click() { reception_.switchRepeater(false); }
    void CheckBox2Click() { face_.saveAutoChanged(); }
    bool repeaterOn() const { return reception_.repeaterOn(); }
    ReceptionFace& receptionFace() { return face_; }

    // Transmit, capture and memory commands.
    void R36TxClick() { transmitClick(ModeId::R36); }
    void R72TxClick() { transmitClick(ModeId::R72); }
    void M1TxClick() { transmitClick(ModeId::M1); }
    void M2TxClick() { transmitClick(ModeId::M2); }
    void S1TxClick() { transmitClick(ModeId::S1); }
    void S2TxClick() { transmitClick(ModeId::S2); }
    void R36RxClick() { commands_.freeRun(ModeId::R36); }
    void R72RxClick() { commands_.freeRun(ModeId::R72); }
    void M1RxClick() { commands_.freeRun(ModeId::M1); }
    void M2RxClick() { commands_.freeRun(ModeId::M2); }
    void S1RxClick() { commands_.freeRun(ModeId::S1); }
    void S2RxClick() { commands_.freeRun(ModeId::S2); }
    void ACQClick() { commands_.digitize(); }
    void SpeedButton8Click() { commands_.selfTimer2s(); }
    void ACQ10Click() { commands_.selfTimer10s(); }
    void Page1Click() { commands_.memory(1); }
    void SpeedButton12Click() { commands_.memory(2); }
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
    void removeFrames() override;
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
    friend class MainWindowFetch;
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
    void connectPictures();
    // Shows the TX picture 1:1 in the TX window, painting only while there is a current file.
    void showTxPicture();
    void PaintBox1Click();

    // CommandHost: what the transmit and capture commands need.
    MonitorHold holdMonitor() override { return reception_.hold(); }
    const QImage& txPicture() const override { return pictures_.tx; }
    void beforeUpload() override;
    void playConfirmation() override;
    void transmissionStarted(int totalMs) override { face_.transmissionStarted(totalMs); }

    // The fetch; the one the operator starts shows the repeater note in a box, the automatic one
    // at the end of a reception in the status bar, so an unattended repeater never stops.
    void fetchPicture(bool byOperator);

    std::unique_ptr<Ui::TForm1> ui_;
    Dialogs& dialogs_;
    Clock& clock_;
    ProgramFolder folder_;
    Settings settings_;
    SettingsStore store_;
    MainWindowHost host_{*this}; // what the window lends the controllers it owns
    // What the window shows of the converter and its reception.
    ReceptionFace face_;
    // The converter link, gate, transfers and reception, with the chain after a reception.
    Station station_;
    ConverterLink& link_;
    CommandGate& gate_;
    PictureTransfer& transfer_;
    ReceptionController& reception_;
    QString portDevice_;
    std::array<TFlyingButton*, kRowCommands> commandRow_{};
    std::function<std::unique_ptr<BytePort>()> portFactory_;
    WorkingPictures pictures_;
    PictureFiles pictureFiles_;
    // The mini slots with their drags, and the clipboard, print and test picture commands.
    PictureWorkspace* workspace_ = nullptr;
    CaptionWorkspace* captions_ = nullptr; // the caption controls and placement
    TransmitCommands commands_;
    QSoundEffect* mediaPlayer1_ = nullptr;
    bool terminating_ = false;
    bool endFilesWritten_ = false;
    bool endWritesFailed_ = false;
    // The operator has answered the close question with "Yes".
    bool closeConfirmed_ = false;
};

} // namespace winorbis
