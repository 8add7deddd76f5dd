// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "LinkTexts.h"
#include "TRecThread.h"

#include <QString>

#include <cstdint>
#include <memory>
#include <optional>

namespace winorbis {

class Clock;
class ClockTimer;
class CommandGate;
class ConverterLink;

// What the reception shows in the main window, and the fetch it starts.
class ReceptionView {
public:
    virtual ~ReceptionView() = default;
    // The hidden TX-mode selector shows the converter's kind for a status byte.
    virtual void selectTxModeItem(std::uint8_t status) = 0;
    virtual void setStatusText(const QString& text) = 0;
    virtual void setLoadButtonEnabled(bool enabled) = 0; // SpeedButton4
    // RXSTOP's text, and its face colour when one is given.
    virtual void setRxStopFace(const QString& text, std::optional<std::uint32_t> colour) = 0;
    virtual void showRepeaterItem(int item) = 0;  // RadioGroup1
    virtual void showRepeaterSwitch(bool on) = 0; // Ein2, Aus2 and the repeater label
    virtual void removeFrames() = 0;
    // "Save Pic Auto": the received picture is fetched when the reception has ended.
    virtual bool savesAutomatically() const = 0;
    virtual void fetchReceivedPicture() = 0;
    // The end-of-reception timer started with the reception's time, and ended (its time ran out,
    // or the receive stop); for the progress of the reception.
    virtual void receptionTimeStarted(int totalMs) { (void)totalMs; }
    virtual void receptionTimeEnded() {}
    // The converter was lost, or answers again.
    virtual void showConverterPresence(linktext::ConverterPresence presence) { (void)presence; }
};

// The reception side of the main window: the receive monitor, the end-of-reception timer
// (Timer2), the receive stop and the repeater. It answers the monitor's calls, keeps the repeater
// switch and its mode item, and tells the window what to show through ReceptionView.
class ReceptionController final : private MonitorHost {
public:
    ReceptionController(ConverterLink& link, CommandGate& gate, Clock& clock, ReceptionView& view);
    ~ReceptionController() override;

    // Starts the receive monitor; the link is idle from now on.
    void start();
    // Ends the receive monitor (the program ends); holds that still exist stay harmless.
    void stop();
    // Keeps the monitor off the port while the returned hold lives.
    MonitorHold hold() { return MonitorHold(monitor_.get()); }
    TRecThread& monitor() { return *monitor_; }

    // Timer2's tick: the reception time has run out.
    void Timer2Timer();
    bool receiveTimerRunning() const;
    // The operator's receive stop: the converter stops receiving, the monitor watches again.
    void receiveStop();

    // The repeater switch (Ein2 on, Aus2 off) and the mode it sends in.
    void switchRepeater(bool on);
    bool repeaterOn() const { return repeaterOn_; }
    // The item of the repeater list, -1 while none is selected.
    int repeaterItem() const { return repeaterItem_; }
    void selectRepeaterItem(int item) override;

private:
    void announce(std::uint8_t status) override;
    void startReceiveTimer(int intervalMs) override;
    void stopReceiveTimer() override;
    void setStatusText(const QString& text) override;
    void setLoadButtonEnabled(bool enabled) override;
    void setRxStopColour(std::uint32_t colour) override;
    int repeaterItemToSend() override;
    void removeFrames() override;
    // Shown in the status bar and on standard error.
    void connectionLost(const QString& device) override;
    void connectionRestored() override;

    ConverterLink& link_;
    ReceptionView& view_;
    CommandGate& gate_;
    std::unique_ptr<ClockTimer> timer2_;
    std::unique_ptr<TRecThread> monitor_;
    bool repeaterOn_ = false;
    int repeaterItem_ = -1;
};

} // namespace winorbis
