// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "SoundCardPanel.h"
#include "WebAccessPanel.h"
#include "settings/PortMap.h"
#include "stationcore/Beacons.h"
#include "stationcore/ConverterChoice.h"
#include "workspace/PictureFiles.h"

#include <QObject>

#include <functional>
#include <optional>

namespace winorbis {

class Clock;
class Dialogs;
class TFlyingButton;
class TForm1;
class TForm5;
class TForm6;
class StationConverter;
class WebFaceSwitch;

// The main window's unattended operation and its setup: the catalog beacon on the main window's
// one-second timer, the ACQ/TX beacon, the repeater items of the setup window, the converter
// (the COM port with its device, or the sound card with its devices kept in station.conf), the
// station's callsign, and the "Setup" and "Info" buttons of the main window.
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
    // The converter that a changed choice switches at once; without one a changed choice is kept
    // for the next start.
    void setConverter(StationConverter* converter);
    // The web face that a changed "Web access" switches at once; without one the choice is kept
    // for the next start.
    void setWebFace(WebFaceSwitch* face) { webFace_ = face; }
    // Where the sound card page's device lists come from (the sound server's, the cameras').
    void setDeviceLists(std::function<SoundCardPanel::Devices()> lists) {
        deviceLists_ = std::move(lists);
    }
    // SetupClick's steps around the modal window: false when a reception is under way; "OK"
    // writes a device chosen in the window to the port map, and a changed converter choice or web
    // access to station.conf, switching the converter or the web face.
    bool prepareSetup();
    void finishSetup(bool accepted);
    void InfoClick();
    // The setup window's callsign: set in the settings, written to the settings file and drawn
    // into the callsign picture; a text that cannot be a callsign is said in the status line.
    void applyCallsign(const QString& callsign);

private:
    void connectSetup();
    void connectConverterChoice();
    // The converter choice the window shows.
    ConverterChoice chosenConverter() const;
    void applyConverterChoice();
    // The web access the window shows, and why it cannot be kept (empty when it can).
    WebAccessChoice chosenWebAccess() const;
    QString webAccessProblem() const;
    void applyWebAccess();

    TForm1& main_;
    TForm5& setup_;
    TForm6& info_;
    Dialogs& dialogs_;
    CatalogBeacon catalog_;
    AcqTxBeacon acq_;
    // A device chosen in the window, written to the port map by "OK".
    std::optional<PortMap> pendingMap_;
    SoundCardPanel* soundCard_ = nullptr;
    StationConverter* converter_ = nullptr;
    // The choice as station.conf held it when the window opened.
    ConverterChoice shownChoice_;
    std::function<SoundCardPanel::Devices()> deviceLists_;
    WebAccessPanel* webAccess_ = nullptr;
    WebFaceSwitch* webFace_ = nullptr;
    // The web access as station.conf held it when the window opened.
    WebAccessChoice shownWebAccess_;
};

} // namespace winorbis
