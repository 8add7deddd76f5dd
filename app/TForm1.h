// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "AppServices.h"
#include "app/settings/Settings.h"
#include "app/settings/SettingsStore.h"
#include "link/ConverterLink.h"
#include "platform/ProgramFolder.h"

#include <QMainWindow>

#include <memory>

namespace Ui {
class TForm1;
}

namespace winorbis {

// The main window: its creation opens the converter link and starts the receive monitor, its
// destruction stops the monitor and writes the settings back. It owns the operator's settings for
// the whole run and wires the main window's controls to the subsystems.
class TForm1 : public QMainWindow {
    Q_OBJECT
public:
    explicit TForm1(const AppServices& services, QWidget* parent = nullptr);
    ~TForm1() override;

    const ProgramFolder& programFolder() const { return folder_; }
    Settings& settings() { return settings_; }
    const Settings& settings() const { return settings_; }
    int PortNumber() const { return portNumber_; }
    ConverterLink& link() { return link_; }

    // "Exit": beep, save the TX picture as "\start.bmp", and ask whether to close.
    void ExitClick();
    // Saves the TX picture as "\start.bmp".
    void SaveEndPicClick();
    // Ends the program in order without asking (SIGTERM, SIGINT): the TX picture and the settings
    // are written, then the event loops end. Works inside an open message box as well.
    void Terminate();

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void FormCreate();
    void FormDestroy();
    // The exit command's steps; true when the operator answered "Yes" (or the program ends
    // without asking).
    bool exitSteps();
    QString defaultCaptionFace() const;

    std::unique_ptr<Ui::TForm1> ui_;
    Dialogs& dialogs_;
    Clock& clock_;
    ProgramFolder folder_;
    Settings settings_;
    SettingsStore store_;
    ConverterLink link_;
    QString portDevice_;
    std::function<std::unique_ptr<BytePort>()> portFactory_;
    int portNumber_ = 1;
    bool terminating_ = false;
};

} // namespace winorbis
