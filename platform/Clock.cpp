// SPDX-License-Identifier: GPL-3.0-or-later
#include "Clock.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QThread>
#include <QTimer>

#include <chrono>
#include <thread>

namespace winorbis {

namespace {

class QtClockTimer final : public ClockTimer {
public:
    explicit QtClockTimer(std::function<void()> onTick) {
        // Qt's default coarse timers may fire 5 % early: the end of a reception would then cut
        // off the last lines the converter is still receiving.
        timer_.setTimerType(Qt::PreciseTimer);
        QObject::connect(&timer_, &QTimer::timeout, [tick = std::move(onTick)] { tick(); });
    }
    void start(int intervalMs) override { timer_.start(intervalMs); }
    void stop() override { timer_.stop(); }
    bool isActive() const override { return timer_.isActive(); }
    int interval() const override { return timer_.interval(); }

private:
    QTimer timer_;
};

bool onEventThread() {
    return QCoreApplication::instance() &&
           QThread::currentThread() == QCoreApplication::instance()->thread();
}

} // namespace

std::int64_t SystemClock::nowMs() const {
    using namespace std::chrono;
    return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
}

bool Clock::workerWait(int ms, const std::atomic<bool>* cancel) {
    constexpr int kSliceMs = 20;
    const std::int64_t until = nowMs() + ms;
    for (std::int64_t left = ms; left > 0; left = until - nowMs()) {
        if (ending() || (cancel && *cancel))
            return false;
        sleep(int(std::min<std::int64_t>(left, kSliceMs)));
    }
    return !ending() && !(cancel && *cancel);
}

void SystemClock::sleep(int ms) {
    if (ms > 0)
        std::this_thread::sleep_for(std::chrono::milliseconds(ms));
}

bool SystemClock::waitPainting(int ms) {
    if (ending())
        return false;
    if (ms <= 0)
        return true;
    if (!onEventThread()) {
        sleep(ms);
        return !ending();
    }
    QEventLoop loop;
    QTimer timer;
    timer.setTimerType(Qt::PreciseTimer);
    timer.setSingleShot(true);
    bool ranOut = false;
    QObject::connect(&timer, &QTimer::timeout, &loop, [&] {
        ranOut = true;
        loop.quit();
    });
    timer.start(ms);
    waits_.push_back(&loop);
    // The window answers clicks meanwhile; the command gate keeps every other converter command
    // from starting (a stop button may end the waiting command at its next step).
    loop.exec();
    std::erase(waits_, &loop);
    // A loop ended by anything but its timer was ended by the program's end (QCoreApplication's
    // exit ends every loop).
    return ranOut && !ending();
}

bool SystemClock::keepPainting() {
    if (onEventThread())
        QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
    return !ending();
}

void SystemClock::interruptWaits() {
    for (QEventLoop* loop : waits_)
        loop->quit();
}

std::unique_ptr<ClockTimer> SystemClock::createTimer(std::function<void()> onTick) {
    return std::make_unique<QtClockTimer>(std::move(onTick));
}

} // namespace winorbis
