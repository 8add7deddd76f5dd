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
class Converter;

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

// The reception side of the station: the end-of-reception timer (Timer2), the receive stop and
// the repeater. It answers the converter monitor's calls (MonitorHost, on the station's thread
// through the command gate), keeps the repeater switch and its mode item, and tells the faces what
// to show through ReceptionView. The converter it works with is attached once it exists.
class ReceptionController final : public MonitorHost {
public:
    ReceptionController(CommandGate& gate, Clock& clock, ReceptionView& view);
    ~ReceptionController() override;

    // The converter whose receptions it follows; null before there is one and after it has gone.
    void attach(Converter* converter) { converter_ = converter; }
    // Ends the timer (the program ends).
    void stop();

    // Timer2's tick: the reception time has run out.
    void Timer2Timer();
    bool receiveTimerRunning() const;
    // The converter has ended a reception by itself (the sound card has the whole picture): as
    // when the reception's time has run out.
    void receptionEnded();

    // The repeater switch (Ein2 on, Aus2 off) and the mode it sends in.
    void switchRepeater(bool on);
    bool repeaterOn() const { return repeaterOn_; }
    // The item of the repeater list, -1 while none is selected.
    int repeaterItem() const { return repeaterItem_; }
    void selectRepeaterItem(int item) override;

    // Whether a lost converter is waited for (its device opened again every second); for the
    // text of the loss.
    void setReconnecting(bool on) { reconnecting_ = on; }

    // MonitorHost: the converter monitor's calls.
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

private:
    ReceptionView& view_;
    CommandGate& gate_;
    Converter* converter_ = nullptr;
    std::unique_ptr<ClockTimer> timer2_;
    bool repeaterOn_ = false;
    int repeaterItem_ = -1;
    bool reconnecting_ = true;
};

} // namespace winorbis
