// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "platform/ThreadHandoff.h"

#include <QImage>
#include <QString>

#include <algorithm>
#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>

namespace winorbis {

class ClockTimer;
class ProgramFolder;
class Station;

// The mode a beacon sends its picture in after the upload; None uploads without sending.
enum class BeaconMode { None, Robot36, Martin1 };
std::uint8_t beaconModeByte(BeaconMode mode); // 62, 56, 0 for none

// What the catalog beacon tells of its pictures: each sent, or failed (its upload failed and it
// was not sent). The station's window and orbisctl's beacon command listen.
class CatalogBeaconListener {
public:
    virtual ~CatalogBeaconListener() = default;
    virtual void pictureSent(int /*page*/, int /*position*/, const QString& /*file*/) {}
    virtual void pictureFailed(int /*page*/, int /*position*/, const QString& /*file*/) {}
};

// The catalog beacon: every interval seconds the next picture of the station's catalog page
// ("\im" P "\cat" K ".BMP", else ".JPG") goes into the TX picture, is uploaded (with the station's
// callsign insert) and sent in the beacon's mode, as one job on the converter's worker. It ticks
// once a second (the main window's Timer1) while no reception runs. It never stops on a message
// box: what goes wrong is said in the station's status and on standard error, and the beacon goes
// on with the next position at the next interval. A picture whose upload failed is not sent (no
// mode byte). 25 empty positions in a row end it. While the converter is lost the countdown
// pauses.
class CatalogBeacon {
public:
    explicit CatalogBeacon(Station& station);
    ~CatalogBeacon();

    void setListener(CatalogBeaconListener* listener) { listener_ = listener; }
    // The second's tick: the timer calls it. Ticks do nothing while a reception runs, while a
    // picture goes out, and once the beacon has ended.
    void tick();
    // Starts the one-second timer, which runs from the station's start to its end.
    void startTimer();
    // False while a picture goes out and once the beacon has ended.
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

    Station& station_;
    CatalogBeaconListener* listener_ = nullptr;
    std::unique_ptr<ClockTimer> timer_;
    int interval_ = 60;
    int countdown_ = 0;
    int position_ = 0;
    BeaconMode mode_ = BeaconMode::Robot36;
    bool ticking_ = true;
    bool ended_ = false;
};

// The ACQ/TX beacon: digitize the video input and send it in the beacon's mode, then again every
// 10 minutes, as one job on the converter's worker; no other converter command starts meanwhile,
// "Stop" ends the transmission's waits within a second (nothing more is sent), and the program's
// end cuts a wait short. While the converter is lost it sends nothing and tries again at the next
// period.
class AcqTxBeacon {
public:
    struct Host {
        std::function<void()> removeFrames;
        std::function<void(const QString&)> status; // the setup window's status line
    };
    static constexpr int kPeriodMs = 600000;

    AcqTxBeacon(Station& station, Host host);
    ~AcqTxBeacon();

    // "Start", and the period's tick: one transmission, then the next in 10 minutes.
    void transmit();
    // "Stop".
    void stop();
    void setMode(BeaconMode mode) { mode_ = mode; }
    bool running() const;
    bool tenMinutes() const { return tenMinutes_; } // the hidden "Set 10 min." box

private:
    Station& station_;
    Host host_;
    // The beacon's texts from its job on the worker to the station's thread.
    threading::HandoverQueue toStation_;
    std::unique_ptr<ClockTimer> timer_;
    BeaconMode mode_ = BeaconMode::Robot36;
    bool tenMinutes_ = false;
    // Set by "Stop" for the transmission under way, which its job watches.
    std::shared_ptr<std::atomic<bool>> stopped_ = std::make_shared<std::atomic<bool>>(false);
};

} // namespace winorbis
