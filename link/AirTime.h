// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

#include <cstdint>
#include <memory>

namespace winorbis {

class Clock;
class ClockTimer;

// Where the time on the air shows: the progress bar and the status line. The main window's
// reception face implements it.
class AirTimeView {
public:
    virtual ~AirTimeView() = default;
    virtual void showAirTime(int position, int maximum) = 0;
    virtual void showStatus(const QString& text) = 0;
};

// The progress of a picture on the air, for the operator to see how long is left: a reception
// from its announcement until its fetch starts (or the receive stop), a transmission from its
// command until the mode's time has passed, when it says "Transmission ended". The progress goes
// in tenths of a second; it ticks four times a second on the clock's timers and sends nothing to
// the converter.
class AirTime {
public:
    static constexpr int kTickMs = 250;

    AirTime(Clock& clock, AirTimeView& view);
    ~AirTime();

    // A reception of totalMs: the progress stays full at its end until stop().
    void startReception(int totalMs);
    // A transmission of totalMs: ends by itself with "Transmission ended".
    void startTransmission(int totalMs);
    // Ends what runs without another word (a transfer takes the progress over, or the operator
    // stopped the reception); the progress goes back to 0.
    void stop();
    bool running() const;
    bool transmitting() const { return running() && transmission_; }

private:
    void start(int totalMs, bool transmission);
    void tick();

    Clock& clock_;
    AirTimeView& view_;
    std::unique_ptr<ClockTimer> timer_;
    std::int64_t startMs_ = 0;
    int totalMs_ = 0;
    bool transmission_ = false;
};

} // namespace winorbis
