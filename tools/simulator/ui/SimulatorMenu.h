// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "converter/Modes.h"

#include <QMenu>

class QAction;

namespace winorbis {

class ConverterSimulator;
class Dialogs;

// The menu "Simulator" of a program that runs on the simulated converter: it makes the converter
// receive in any of the six modes (the test picture or a picture file chosen through the dialogs),
// send the two status bytes without a mode, close the line, or fall silent; a line behind a stable
// name can also be unplugged and plugged in again. Every action carries an objectName
// ("SimulatorReceiveTestM1", "SimulatorReceiveFileS2", "SimulatorStatus68", "SimulatorStatus72",
// "SimulatorCloseLine", "SimulatorSilent", "SimulatorUnplug", "SimulatorPlugIn").
class SimulatorMenu : public QMenu {
    Q_OBJECT
public:
    SimulatorMenu(ConverterSimulator& simulator, Dialogs& dialogs, QWidget* parent = nullptr);

    // The picture a reception with the test picture brings; it changes with every reception.
    QImage nextTestPicture();

private:
    void receiveTestPicture(ModeId id);
    void receivePictureFile(ModeId id);
    // Actions that need the line are disabled once it is closed; the silent mark follows the
    // simulator.
    void refresh();

    ConverterSimulator& simulator_;
    Dialogs& dialogs_;
    int testFrame_ = 0;
    QList<QAction*> lineActions_;
    QAction* silent_ = nullptr;
    QAction* unplug_ = nullptr;
    QAction* plugIn_ = nullptr;
};

} // namespace winorbis
