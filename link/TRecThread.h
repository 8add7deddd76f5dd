// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

#include <condition_variable>
#include <cstdint>
#include <functional>
#include <mutex>
#include <thread>

namespace winorbis {

class Clock;
class CommandGate;
class ConverterLink;

// The window changes the receive monitor asks for. Every call runs on the user-interface thread
// (through the command gate), in the order the monitor makes them.
class MonitorHost {
public:
    virtual ~MonitorHost() = default;
    // LastStatus := the monitor's byte, and the hidden TX-mode item that belongs to it.
    virtual void announce(std::uint8_t status) = 0;
    virtual void startReceiveTimer(int intervalMs) = 0;
    virtual void stopReceiveTimer() = 0;
    virtual void setStatusText(const QString& text) = 0;
    virtual void setLoadButtonEnabled(bool enabled) = 0;    // SpeedButton4
    virtual void setRxStopColour(std::uint32_t colour) = 0; // RXSTOP's face; text "RX Stop"
    virtual void selectRepeaterItem(int item) = 0;          // RadioGroup1
    // The repeater's mode item when the repeater is switched on; -1 when it is off or no item is
    // selected.
    virtual int repeaterItemToSend() = 0;
    virtual void removeFrames() = 0;
};

// The receive monitor: a worker thread that reads the converter's status bytes while the link is
// idle, announces a reception in its mode, has the end-of-reception timer started and waits for
// the end, then reports " Ready for Receive " and lets the repeater send. It runs from the end of
// the main window's creation until LinkState becomes 0.
//
// Hold and release keep it off the port while the user-interface thread talks to the converter.
// It stops only at safe points, never inside a port read or a window call; hold() waits for a
// running read (at most 20 ms) but not for a monitor waiting for the user-interface thread. One
// release ends any number of holds.
class TRecThread {
public:
    TRecThread(ConverterLink& link, CommandGate& gate, MonitorHost& host, Clock& clock);
    // Ends the loop (LinkState 0 is the caller's) and waits the few milliseconds until the thread
    // has left any read or sleep, so nothing it uses goes away under it.
    ~TRecThread();
    TRecThread(const TRecThread&) = delete;
    TRecThread& operator=(const TRecThread&) = delete;

    // Starts the thread, running at once.
    void start();
    void hold();
    void release();
    bool isHeld() const;
    // Wakes a monitor waiting in state 10 or sleeping, to look at LinkState again.
    void wake();
    // True once the loop has ended (LinkState 73).
    bool hasEnded() const;
    // Called on the monitor's thread when the loop has ended.
    void setEndHandler(std::function<void()> handler) { endHandler_ = std::move(handler); }

private:
    void run();
    void monitorPass();
    void announcedPass(int state);
    void waitPass();
    // The monitor's stop point: returns false when the loop is to end.
    bool stopPoint();
    // Sleeps ms, waking early when LinkState becomes 0.
    void sleepUnlessStopped(int ms);
    void setPriority(bool timeCritical);

    ConverterLink& link_;
    CommandGate& gate_;
    MonitorHost& host_;
    Clock& clock_;
    std::thread thread_;
    std::function<void()> endHandler_;

    mutable std::mutex mutex_;
    std::condition_variable changed_;
    bool held_ = false;
    bool reading_ = false;
    bool ended_ = false;
    std::uint8_t monitorByte_ = 0;
    bool timeCritical_ = false; // the monitor thread's own
};

} // namespace winorbis
