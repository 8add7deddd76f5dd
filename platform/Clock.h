// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

class QEventLoop;

namespace winorbis {

// A repeating timer like a window timer: once started it calls its handler every interval until
// it is stopped. Timers belong to the user-interface thread.
class ClockTimer {
public:
    virtual ~ClockTimer() = default;
    // Starts the timer, or restarts it with a new interval when it runs.
    virtual void start(int intervalMs) = 0;
    virtual void stop() = 0;
    virtual bool isActive() const = 0;
    virtual int interval() const = 0;
};

// The one source of time for every wait and timer of the program, so that tests can run a 14 s
// wait in virtual time. The program uses SystemClock; tests use a virtual clock.
//
// When the program ends (a signal, the window closed), endWaits() cuts every wait short: the wait
// running now and every later one return false at once, so that the command waiting ends without
// writing anything more to the converter.
class Clock {
public:
    virtual ~Clock() = default;
    // Monotonic milliseconds since an arbitrary origin.
    virtual std::int64_t nowMs() const = 0;
    // Blocks the calling thread without handling any event. For worker threads.
    virtual void sleep(int ms) = 0;
    // Blocks the calling command on the user-interface thread for ms, while windows keep painting,
    // timers keep firing and the window takes user input (the command gate keeps a second
    // converter command from starting). False when the wait was cut short because the program is
    // ending: the command then stops where it is.
    [[nodiscard]] virtual bool waitPainting(int ms) = 0;
    // Lets windows repaint during a long operation on the user-interface thread, without user
    // input. Returns at once; false once the program is ending.
    [[nodiscard]] virtual bool keepPainting() = 0;
    virtual std::unique_ptr<ClockTimer> createTimer(std::function<void()> onTick) = 0;
    // Waits ms on a worker thread (a converter's), never blocking the user-interface thread;
    // false when the program ends or *cancel becomes true meanwhile (looked at every few
    // milliseconds). The tests' virtual clock has the user-interface thread move the time forward
    // meanwhile, its timers firing on the way, as a wait there would.
    [[nodiscard]] virtual bool workerWait(int ms, const std::atomic<bool>* cancel);

    // The program is ending: cuts the running waits short and every later one too.
    void endWaits() {
        ending_ = true;
        interruptWaits();
    }
    bool ending() const { return ending_.load(); }

protected:
    // Ends the waits running now; called on the user-interface thread.
    virtual void interruptWaits() {}

    std::atomic<bool> ending_{false};
};

// Real time: std::chrono::steady_clock, precise QTimers (a window timer of 115 s must not fire a
// second early) and nested event loops; transfers repaint without taking user input.
class SystemClock final : public Clock {
public:
    std::int64_t nowMs() const override;
    void sleep(int ms) override;
    bool waitPainting(int ms) override;
    bool keepPainting() override;
    std::unique_ptr<ClockTimer> createTimer(std::function<void()> onTick) override;

protected:
    void interruptWaits() override;

private:
    std::vector<QEventLoop*> waits_; // the nested loops of the running waits, innermost last
};

} // namespace winorbis
