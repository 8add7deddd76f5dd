// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "platform/Clock.h"

#include <atomic>
#include <mutex>
#include <vector>

namespace winorbis::test {

// Virtual time for tests: sleeps and waits move the clock forward at once, and timers fire when
// the test (or a wait on the user-interface thread) advances the time past them.
class VirtualClock final : public Clock {
public:
    VirtualClock();
    ~VirtualClock() override;

    std::int64_t nowMs() const override { return now_.load(); }
    // Moves the time forward without firing timers (worker threads, port reads).
    void sleep(int ms) override;
    // Advances the time, firing every timer that falls due on the way.
    // Advances the time, firing every timer that falls due on the way; a timer that ends the
    // program's waits (endWaits) cuts the wait short there.
    bool waitPainting(int ms) override;
    bool keepPainting() override {
        ++keepPaintingCalls_;
        return !ending();
    }
    std::unique_ptr<ClockTimer> createTimer(std::function<void()> onTick) override;
    // On the user-interface thread a waitPainting; on a worker the user-interface thread moves
    // the time on (its timers firing), while the worker waits for it.
    bool workerWait(int ms, const std::atomic<bool>* cancel) override;

    // Moves the time forward by ms and fires the timers due on the way, in time order; each fires
    // with the clock set to its own due time.
    void advance(std::int64_t ms);
    // The same, stopping at the first timer after which stop() holds.
    void advance(std::int64_t ms, const std::function<bool()>& stop);
    // Time spent in sleeps and waits since the clock was made.
    std::int64_t elapsedMs() const { return now_.load() - kOrigin; }
    int keepPaintingCalls() const { return keepPaintingCalls_.load(); }

private:
    friend class VirtualTimer;
    struct Entry;
    static constexpr std::int64_t kOrigin = 1'000'000;

    std::atomic<std::int64_t> now_{kOrigin};
    std::atomic<int> keepPaintingCalls_{0};
    std::mutex mutex_;
    std::vector<Entry*> timers_;
};

} // namespace winorbis::test
