// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "link/Beacons.h"
#include "link/PictureTransfer.h"
#include "settings/PortMap.h"
#include "workspace/PictureFiles.h"

#include <QObject>

#include <optional>

namespace winorbis {

class Clock;
class Dialogs;
class TFlyingButton;
class TForm1;
class TForm5;
class TForm6;

// The main window's unattended operation and its setup: the catalog beacon on the main window's
// one-second timer, the ACQ/TX beacon, the repeater items of the setup window, the COM port with
// its device, the station's callsign, and the "Setup" and "Info" buttons of the main window.
class StationSetup : public QObject {
    Q_OBJECT
public:
    StationSetup(TForm1& main, TForm5& setup, TForm6& info, Clock& clock, Dialogs& dialogs,
                 QObject* parent = nullptr);
    ~StationSetup() override;

    CatalogBeacon& catalogBeacon() { return catalog_; }
    AcqTxBeacon& acqTxBeacon() { return acq_; }

    // "Setup": nothing during a reception; otherwise the window, modal, with the monitor held.
    void SetupClick();
    // SetupClick's steps around the modal window: false when a reception is under way; "OK"
    // writes a device chosen in the window to the port map.
    bool prepareSetup();
    void finishSetup(bool accepted);
    void InfoClick();
    // The setup window's callsign: set in the settings, written to the settings file and drawn
    // into the callsign picture; a text that cannot be a callsign is said in the status line.
    void applyCallsign(const QString& callsign);

private:
    void connectSetup();
    void showTx();

    TForm1& main_;
    TForm5& setup_;
    TForm6& info_;
    Dialogs& dialogs_;
    PictureTransfer transfer_;
    PictureFiles files_;
    CatalogBeacon catalog_;
    AcqTxBeacon acq_;
    // A device chosen in the window, written to the port map by "OK".
    std::optional<PortMap> pendingMap_;
};

} // namespace winorbis
