// SPDX-License-Identifier: GPL-3.0-or-later
#include "support/VirtualClock.h"

#include "platform/ThreadHandoff.h"

#include <QCoreApplication>
#include <QThread>

#include <algorithm>
#include <condition_variable>
#include <limits>

namespace winorbis::test {

struct VirtualClock::Entry {
    std::function<void()> onTick;
    bool active = false;
    int interval = 0;
    std::int64_t due = 0;
};

class VirtualTimer final : public ClockTimer {
public:
    VirtualTimer(VirtualClock& clock, std::function<void()> onTick)
        : clock_(clock) {
        entry_.onTick = std::move(onTick);
        std::lock_guard lock(clock_.mutex_);
        clock_.timers_.push_back(&entry_);
    }
    ~VirtualTimer() override {
        std::lock_guard lock(clock_.mutex_);
        std::erase(clock_.timers_, &entry_);
    }
    void start(int intervalMs) override {
        std::lock_guard lock(clock_.mutex_);
        entry_.active = true;
        entry_.interval = std::max(intervalMs, 0);
        entry_.due = clock_.nowMs() + entry_.interval;
    }
    void stop() override {
        std::lock_guard lock(clock_.mutex_);
        entry_.active = false;
    }
    bool isActive() const override {
        std::lock_guard lock(clock_.mutex_);
        return entry_.active;
    }
    int interval() const override {
        std::lock_guard lock(clock_.mutex_);
        return entry_.interval;
    }

private:
    VirtualClock& clock_;
    VirtualClock::Entry entry_;
};

VirtualClock::VirtualClock() = default;
VirtualClock::~VirtualClock() = default;

bool VirtualClock::waitPainting(int ms) {
    if (ending())
        return false;
    advance(ms, [this] { return ending(); });
    return !ending();
}

bool VirtualClock::workerWait(int ms, const std::atomic<bool>* cancel) {
    QCoreApplication* app = QCoreApplication::instance();
    if (!app || QThread::currentThread() == app->thread())
        return waitPainting(ms) && !(cancel && *cancel);
    struct Wait {
        std::mutex mutex;
        std::condition_variable done;
        bool finished = false;
        bool result = false;
    };
    auto wait = std::make_shared<Wait>();
    threading::applicationQueue().post([this, ms, wait] {
        const bool result = waitPainting(ms);
        std::lock_guard lock(wait->mutex);
        wait->result = result;
        wait->finished = true;
        wait->done.notify_all();
    });
    std::unique_lock lock(wait->mutex);
    while (!wait->finished) {
        if (cancel && *cancel)
            return false;
        wait->done.wait_for(lock, std::chrono::milliseconds(10));
    }
    return wait->result && !(cancel && *cancel);
}

void VirtualClock::sleep(int ms) {
    if (ms > 0)
        now_ += ms;
}

std::unique_ptr<ClockTimer> VirtualClock::createTimer(std::function<void()> onTick) {
    return std::make_unique<VirtualTimer>(*this, std::move(onTick));
}

void VirtualClock::advance(std::int64_t ms) {
    advance(ms, [] { return false; });
}

void VirtualClock::advance(std::int64_t ms, const std::function<bool()>& stop) {
    const std::int64_t target = now_.load() + std::max<std::int64_t>(ms, 0);
    while (!stop()) {
        std::function<void()> tick;
        {
            std::lock_guard lock(mutex_);
            Entry* next = nullptr;
            for (Entry* entry : timers_) {
                if (entry->active && entry->due <= target && (!next || entry->due < next->due))
                    next = entry;
            }
            if (!next)
                break;
            now_ = std::max(now_.load(), next->due);
            // Ticks missed while the time jumped are dropped, as a window timer drops them; a
            // zero interval fires once per millisecond.
            const int step = std::max(next->interval, 1);
            next->due = std::max(next->due + step, now_.load() + (next->due < now_ ? step : 0));
            tick = next->onTick;
        }
        tick();
    }
    if (!stop())
        now_ = std::max(now_.load(), target);
}

} // namespace winorbis::test
