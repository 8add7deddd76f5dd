// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "LinkState.h"

#include <QString>

#include <condition_variable>
#include <cstdint>
#include <deque>
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
    // A reception was announced with this status byte (LastStatus already holds it).
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
    // The port has vanished (a device unplugged, a server's connection dropped); device is its
    // name. While the monitor reconnects, it tries to open it again every second.
    virtual void connectionLost(const QString& device) = 0;
    // The device is back and the converter answered identify: the monitor watches again.
    virtual void connectionRestored() = 0;
};

// A host that shows nothing, for monitors that run without a window (benchmarks, tools).
class SilentMonitorHost : public MonitorHost {
public:
    void announce(std::uint8_t) override {}
    void startReceiveTimer(int) override {}
    void stopReceiveTimer() override {}
    void setStatusText(const QString&) override {}
    void setLoadButtonEnabled(bool) override {}
    void setRxStopColour(std::uint32_t) override {}
    void selectRepeaterItem(int) override {}
    int repeaterItemToSend() override { return -1; }
    void removeFrames() override {}
    void connectionLost(const QString&) override {}
    void connectionRestored() override {}
};

class MonitorHold;

// The receive monitor, the converter's worker: a thread that reads the converter's status bytes
// while the link is idle, announces a reception in its mode, has the end-of-reception timer started
// and waits for the end, then reports " Ready for Receive " and lets the repeater send; between
// its passes it runs the jobs posted to it (the converter commands), one after the other, in the
// order posted, so that one thread alone uses the port. It owns the link state: every change of
// it goes through start(), endReception(), stopReception(), stop() or its loop. The threading
// rules are those of ConverterLink.h.
//
// While idle it waits in poll() on the port and on a wake-up descriptor, so an idle monitor costs
// no processor time; a status byte is seen as soon as it arrives. Holds (MonitorHold) keep it off
// the port while the user-interface thread talks to the converter. It stops only at safe points,
// never inside a port read or a window call; taking a hold waits for a running read (at most
// 20 ms) or reconnection attempt (at most half a second), but not for a monitor waiting for the
// user-interface thread.
//
// When the device vanishes (a USB adapter unplugged, a hub reset) the monitor reports it once and,
// unless told not to, opens the same device name again every second, sleeping in between; when it
// is back and the converter answers identify, it reports that and watches as before.
class TRecThread {
public:
    TRecThread(ConverterLink& link, CommandGate& gate, MonitorHost& host, Clock& clock);
    // Stops the monitor (see stop()).
    ~TRecThread();
    TRecThread(const TRecThread&) = delete;
    TRecThread& operator=(const TRecThread&) = delete;

    // Sets the link idle and starts the thread, running at once.
    void start();
    // The end-of-reception timer has run out: back to idle, the monitor ends its wait.
    void endReception();
    // The operator stopped the reception: back to idle, the monitor ends its wait.
    void stopReception();
    // Ends the loop and waits the few milliseconds until the thread has left it (LinkState Ended).
    // A job that runs ends first (its waits are cut short by the clock's end); jobs not yet run
    // are dropped. Holds that still exist stay harmless; the object may be destroyed later.
    void stop();
    // Runs job on the monitor's thread at its next stop point, after the jobs posted before it,
    // also while the monitor is held: while it runs the monitor's own reads are off the port,
    // and a hold taken meanwhile waits for it. Jobs posted before
    // start() run once the monitor runs; jobs posted after stop() never run.
    void post(std::function<void()> job);
    // True on the monitor's own thread (inside a job).
    bool onMonitorThread() const { return std::this_thread::get_id() == thread_.get_id(); }

    bool isHeld() const;
    // True once the loop has ended (LinkState Ended).
    bool hasEnded() const;
    // Called on the monitor's thread when the loop has ended.
    void setEndHandler(std::function<void()> handler) { endHandler_ = std::move(handler); }
    // Whether a vanished device is opened again (the default); set before start().
    void setReconnecting(bool on) { reconnecting_ = on; }
    bool reconnecting() const { return reconnecting_; }

private:
    friend class MonitorHold;
    void hold();
    void release();
    // Wakes the thread wherever it waits, to look at the link state and the holds again.
    void wake();
    void setState(LinkState state);
    // From state `from` to `to`; false when the state was another meanwhile.
    bool changeState(LinkState from, LinkState to);
    // Back to idle, unless the monitor is stopping or has ended.
    void backToIdle();

    void run();
    void monitorPass();
    void announcedPass(LinkState state);
    void waitPass();
    // The device has vanished: report it once, then try to get it back every second.
    void lostPass();
    bool tryReconnect();
    // Waits ms on the wake-up descriptor alone; false when woken.
    bool waitUnlessWoken(int ms);
    // The monitor's stop point: returns false when the loop is to end. Runs the jobs posted.
    bool stopPoint();
    // Runs the jobs posted so far; false when the loop is to end.
    bool runJobs();
    // Runs fn on the user-interface thread through the command gate and waits until it has run
    // (or the gate has dropped it), running the jobs posted meanwhile.
    void callWindow(std::function<void()> fn);
    // Sleeps ms, waking early when the monitor is to stop.
    void sleepUnlessStopped(int ms);
    void setPriority(bool timeCritical);
    void drainWakeups();

    ConverterLink& link_;
    CommandGate& gate_;
    MonitorHost& host_;
    Clock& clock_;
    std::thread thread_;
    std::function<void()> endHandler_;
    int wakeFd_ = -1; // an eventfd that hold, release, stop and the state changes signal

    mutable std::mutex mutex_;
    std::condition_variable changed_;
    int holds_ = 0;
    bool reading_ = false; // on the port: a read, a reconnection attempt or a job
    std::deque<std::function<void()>> jobs_;
    bool stopped_ = false; // stop() has come: no job is taken any more
    bool ended_ = false;
    std::uint8_t monitorByte_ = 0;
    bool timeCritical_ = false; // the monitor thread's own
    bool reconnecting_ = true;
    bool lost_ = false; // the monitor thread's own: the device vanished and is not back yet
};

// Keeps the receive monitor off the port for its lifetime (see ConverterLink.h): taken before the
// user-interface thread talks to the converter, released when it goes out of scope, also on an
// early return or an exception. Picture transfers take one as a parameter. A hold on no monitor
// (none runs yet, or none at all as in orbisctl) holds nothing.
class MonitorHold {
public:
    explicit MonitorHold(TRecThread* monitor);
    ~MonitorHold();
    MonitorHold(const MonitorHold&) = delete;
    MonitorHold& operator=(const MonitorHold&) = delete;

private:
    TRecThread* monitor_;
};

} // namespace winorbis
