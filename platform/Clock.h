// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>
#include <functional>
#include <memory>

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
class Clock {
public:
    virtual ~Clock() = default;
    // Monotonic milliseconds since an arbitrary origin.
    virtual std::int64_t nowMs() const = 0;
    // Blocks the calling thread without handling any event. For worker threads.
    virtual void sleep(int ms) = 0;
    // Blocks the calling command on the user-interface thread for ms, while windows keep painting
    // and timers keep firing; user input waits until the command has ended.
    virtual void waitPainting(int ms) = 0;
    // Lets windows repaint during a long operation on the user-interface thread, without user
    // input. Returns at once.
    virtual void keepPainting() = 0;
    virtual std::unique_ptr<ClockTimer> createTimer(std::function<void()> onTick) = 0;
};

// Real time: std::chrono::steady_clock, QTimer and nested event loops that exclude user input.
class SystemClock final : public Clock {
public:
    std::int64_t nowMs() const override;
    void sleep(int ms) override;
    void waitPainting(int ms) override;
    void keepPainting() override;
    std::unique_ptr<ClockTimer> createTimer(std::function<void()> onTick) override;
};

} // namespace winorbis
