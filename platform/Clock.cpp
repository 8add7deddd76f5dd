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

void SystemClock::sleep(int ms) {
    if (ms > 0)
        std::this_thread::sleep_for(std::chrono::milliseconds(ms));
}

void SystemClock::waitPainting(int ms) {
    if (ms <= 0)
        return;
    if (!onEventThread()) {
        sleep(ms);
        return;
    }
    QEventLoop loop;
    QTimer::singleShot(ms, Qt::PreciseTimer, &loop, &QEventLoop::quit);
    loop.exec(QEventLoop::ExcludeUserInputEvents);
}

void SystemClock::keepPainting() {
    if (onEventThread())
        QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
}

std::unique_ptr<ClockTimer> SystemClock::createTimer(std::function<void()> onTick) {
    return std::make_unique<QtClockTimer>(std::move(onTick));
}

} // namespace winorbis
