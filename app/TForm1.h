// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "AppServices.h"
#include "CommandRow.h"
#include "MainWindowHost.h"
#include "ReceptionFace.h"
#include "platform/ProgramFolder.h"
#include "settings/Settings.h"
#include "stationcore/ProgramEnd.h"
#include "stationcore/Station.h"
#include "workspace/PictureFiles.h"
#include "workspace/WorkingPictures.h"

#include <QMainWindow>

#include <memory>

class QMenu;

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
    // The fetch the operator starts shows the repeater note in a box; the automatic one at the
    // end of a reception, in the status bar, so an unattended repeater never stops.
    void FromOrbisClick() { station_.fetch(true); }
    void RXSTOPClick() { station_.receiveStop(); }
    void Timer2Timer() { station_.reception().Timer2Timer(); }
    void Ein2Click() { station_.switchRepeater(true); }
    void Aus2Click() { station_.switchRepeater(false); }
    void CheckBox2Click() { face_.saveAutoChanged(); }
    bool repeaterOn() const { return station_.repeaterOn(); }

    // Sends the TX picture in a mode, after an upload or a digitize as the option boxes say.
    void transmitClick(ModeId mode);
    void CheckBox3Click();
    void ACQandTXClick();

    // The TX and RX pictures and their files.
    void BildladenTxClick();
    void BildspeichernTxClick();
    void BildspeichernunterTxClick() { pictureFiles_.saveTxAs(); }
    void BildspeichernRxClick();
    void BildspeichernunterRxClick() { pictureFiles_.saveRxAs(); }
    void FlyingButton23Click();
    void LoadPicClick();

    // "Exit": beep, save the TX picture as "\start.bmp", and ask whether to close.
    void ExitClick();
    // Saves the TX picture as "\start.bmp".
    void SaveEndPicClick();
    void removeFrames();
    // Ends the program in order without asking (SIGTERM, SIGINT); see ProgramEnd.
    void Terminate() { end_.terminate(); }
    // True when a write of the program's end (the TX picture, the settings) failed.
    bool endWritesFailed() const { return end_.writesFailed(); }

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
    // The exit command's steps; true when the operator answered "Yes" (or the program ends
    // without asking).
    bool exitSteps();
    void connectControls();
    void connectCommands();
    // The station's signals to the window's controls.
    void connectStation();
    void connectPictures();
    // Shows the TX picture 1:1 in the TX window, painting only while there is a current file.
    void showTxPicture();
    void PaintBox1Click();

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
    ProgramEnd end_;
    // The operator has answered the close question with "Yes".
    bool closeConfirmed_ = false;
};

} // namespace winorbis
