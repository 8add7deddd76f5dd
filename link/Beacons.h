// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "ConverterLink.h"
#include "TRecThread.h"

#include <QImage>
#include <QString>

#include <algorithm>
#include <functional>
#include <memory>

namespace winorbis {

class Clock;
class ClockTimer;
class CommandGate;
class Dialogs;
class PictureTransfer;
class ProgramFolder;

// The mode a beacon sends its picture in after the upload; None uploads without sending.
enum class BeaconMode { None, Robot36, Martin1 };
std::uint8_t beaconModeByte(BeaconMode mode); // 62, 56, 0 for none

// The station around the catalog beacon: the receive monitor's hold, the catalog page, the TX
// picture it loads and uploads, the status line, and what it is told of each picture. The main
// window's station setup and orbisctl's beacon command implement it.
class CatalogBeaconHost {
public:
    virtual ~CatalogBeaconHost() = default;
    // Holds the receive monitor while a picture goes out.
    virtual MonitorHold holdMonitor() = 0;
    // The current catalog page.
    virtual int catalogPage() const = 0;
    // Loads a BMP or JPEG file into the TX picture; false, with the reason in why, when nothing
    // was loaded.
    virtual bool loadIntoTx(const QString& file, QString* why) = 0;
    virtual const QImage& txPicture() const = 0;
    // The callsign insert, before the upload.
    virtual void beforeUpload() = 0;
    // Shows the TX picture.
    virtual void txPictureChanged() = 0;
    virtual void showStatus(const QString& text) = 0;
    // The picture of the position went out, or its upload failed and it was not sent.
    virtual void pictureSent(int /*page*/, int /*position*/, const QString& /*file*/) {}
    virtual void pictureFailed(int /*page*/, int /*position*/, const QString& /*file*/) {}
};

// The catalog beacon: every interval seconds the next picture of the current catalog page
// ("\im" P "\cat" K ".BMP", else ".JPG") goes into the TX picture, is uploaded and sent in the
// beacon's mode. It ticks once a second (the main window's Timer1) while the link is idle. It
// never stops on a message box: what goes wrong is said in the status and on standard error, and
// the beacon goes on with the next position at the next interval. A picture whose upload failed
// is not sent (no mode byte). 25 empty positions in a row end it. While the converter's device
// has vanished the countdown pauses.
class CatalogBeacon {
public:
    CatalogBeacon(ConverterLink& link, PictureTransfer& transfer, CommandGate& gate, Clock& clock,
                  Dialogs& dialogs, const ProgramFolder& folder, CatalogBeaconHost& host);
    ~CatalogBeacon();

    // The second's tick: the timer calls it, or a loop of its own (orbisctl). Ticks do nothing
    // while the link is not idle, while a picture goes out, and once the beacon has ended.
    void tick();
    // Starts the main window's one-second timer, which runs from the program's start to its end.
    void startTimer();
    // False while a picture goes out and once the beacon has ended (the main window's Timer1
    // stopped).
    bool timerRunning() const { return ticking_ && !ended_; }

    // "Start": the first picture goes out at the next tick.
    void start() { countdown_ = 1; }
    int interval() const { return interval_; }
    void setInterval(int seconds) { interval_ = std::clamp(seconds, 0, 9995); }
    // "Stop": the interval becomes 0 and the countdown's text is cleared; a running countdown
    // runs out without showing itself, and one more picture goes out.
    void switchOff();
    void setMode(BeaconMode mode) { mode_ = mode; }
    BeaconMode mode() const { return mode_; }
    int countdown() const { return countdown_; }
    int position() const { return position_; }
    void setPosition(int position) { position_ = std::clamp(position, 0, 24); }
    // True once 25 positions in a row were empty: the beacon has ended until the next start.
    bool ended() const { return ended_; }

    // The file of a catalog position, BMP before JPEG, found whatever its letter case; empty when
    // the position holds none.
    static QString positionFile(const ProgramFolder& folder, int page, int position);

private:
    void sendNext();

    ConverterLink& link_;
    PictureTransfer& transfer_;
    CommandGate& gate_;
    Clock& clock_;
    Dialogs& dialogs_;
    const ProgramFolder& folder_;
    CatalogBeaconHost& host_;
    std::unique_ptr<ClockTimer> timer_;
    int interval_ = 60;
    int countdown_ = 0;
    int position_ = 0;
    BeaconMode mode_ = BeaconMode::Robot36;
    bool ticking_ = true;
    bool ended_ = false;
};

// The ACQ/TX beacon: digitize the video input and send it in the beacon's mode, then again every
// 10 minutes. Its waits go through the clock, so the window keeps painting and answering; no other
// converter command starts meanwhile, "Stop" ends the transmission's waits within a second
// (nothing more is sent), and the program's end cuts a wait short. While the converter is lost
// it sends nothing and tries again at the next period.
class AcqTxBeacon {
public:
    struct Host {
        std::function<void()> removeFrames;
        std::function<void(const QString&)> status; // the setup window's status line
    };
    static constexpr int kPeriodMs = 600000;

    AcqTxBeacon(ConverterLink& link, CommandGate& gate, Clock& clock, Host host);
    ~AcqTxBeacon();

    // "Start", and the period's tick: one transmission, then the next in 10 minutes.
    void transmit();
    // "Stop".
    void stop();
    void setMode(BeaconMode mode) { mode_ = mode; }
    bool running() const;
    bool tenMinutes() const { return tenMinutes_; } // the hidden "Set 10 min." box

private:
    ConverterLink& link_;
    CommandGate& gate_;
    Clock& clock_;
    Host host_;
    // False when the wait was cut short by "Stop" or the program's end.
    [[nodiscard]] bool waitUnlessStopped(int ms);

    std::unique_ptr<ClockTimer> timer_;
    BeaconMode mode_ = BeaconMode::Robot36;
    bool tenMinutes_ = false;
    bool stopped_ = false;
};

} // namespace winorbis
