// SPDX-License-Identifier: GPL-3.0-or-later
#include "TRecThread.h"

#include "CommandGate.h"
#include "ConverterLink.h"
#include "LinkTexts.h"
#include "ModeTable.h"

#include "platform/Clock.h"
#include "platform/Colour.h"

#include <chrono>
#include <sys/resource.h>
#include <sys/syscall.h>
#include <unistd.h>

namespace winorbis {

namespace {

constexpr int kStopped = 0;
constexpr int kMonitoring = 1;
constexpr int kWaiting = 10;
constexpr int kEnded = 73;
constexpr int kRepeaterDelayMs = 1000;
constexpr int kSleepSliceMs = 50;

// The monitor's state for a byte read while monitoring; 1 for any byte that is no status.
int stateFor(std::uint8_t byte) {
    if (byte == kStatusWaitLong || byte == kStatusWaitLonger)
        return kWaiting;
    if (const auto id = modeByStatus(byte))
        return mode(*id).linkState;
    return kMonitoring;
}

} // namespace

TRecThread::TRecThread(ConverterLink& link, CommandGate& gate, MonitorHost& host, Clock& clock)
    : link_(link)
    , gate_(gate)
    , host_(host)
    , clock_(clock) {}

TRecThread::~TRecThread() {
    wake();
    if (thread_.joinable())
        thread_.join();
}

void TRecThread::start() {
    thread_ = std::thread([this] { run(); });
}

void TRecThread::hold() {
    std::unique_lock lock(mutex_);
    held_ = true;
    // A read in progress ends within its time-out; a monitor inside a window call is not waited
    // for: it stops at its next stop point.
    changed_.wait(lock, [this] { return !reading_; });
}

void TRecThread::release() {
    {
        std::lock_guard lock(mutex_);
        held_ = false;
    }
    changed_.notify_all();
}

bool TRecThread::isHeld() const {
    std::lock_guard lock(mutex_);
    return held_;
}

void TRecThread::wake() {
    { std::lock_guard lock(mutex_); }
    changed_.notify_all();
}

bool TRecThread::hasEnded() const {
    std::lock_guard lock(mutex_);
    return ended_;
}

bool TRecThread::stopPoint() {
    std::unique_lock lock(mutex_);
    changed_.wait(lock, [this] { return !held_ || link_.LinkState == kStopped; });
    return link_.LinkState != kStopped;
}

void TRecThread::sleepUnlessStopped(int ms) {
    for (int left = ms; left > 0 && link_.LinkState != kStopped; left -= kSleepSliceMs)
        clock_.sleep(std::min(left, kSleepSliceMs));
}

void TRecThread::setPriority(bool timeCritical) {
    if (timeCritical == timeCritical_)
        return;
    timeCritical_ = timeCritical;
    // Best effort: raising needs the right to, lowering back always works.
    const pid_t tid = pid_t(::syscall(SYS_gettid));
    ::setpriority(PRIO_PROCESS, id_t(tid), timeCritical ? -15 : 0);
}

void TRecThread::run() {
    while (link_.LinkState != kStopped) {
        if (!stopPoint())
            break;
        const int state = link_.LinkState;
        if (state == kMonitoring) {
            monitorPass();
        } else if (state >= 2 && state <= 7) {
            announcedPass(state);
        } else if (state == kWaiting) {
            waitPass();
        } else {
            // No such state is entered; a pass that does nothing must not spin.
            sleepUnlessStopped(porttimeouts::totalMs(1));
        }
    }
    link_.LinkState = kEnded;
    {
        std::lock_guard lock(mutex_);
        ended_ = true;
    }
    changed_.notify_all();
    if (endHandler_)
        endHandler_();
}

void TRecThread::monitorPass() {
    {
        std::unique_lock lock(mutex_);
        changed_.wait(lock, [this] { return !held_ || link_.LinkState == kStopped; });
        if (link_.LinkState != kMonitoring)
            return;
        reading_ = true;
    }
    std::uint8_t byte = 0;
    const bool got = link_.port().readByte(byte);
    {
        std::lock_guard lock(mutex_);
        reading_ = false;
    }
    changed_.notify_all();
    if (!got) {
        setPriority(false);
        return;
    }
    monitorByte_ = byte;
    const int next = stateFor(byte);
    if (next == kMonitoring)
        return; // any other byte is dropped
    int expected = kMonitoring;
    if (!link_.LinkState.compare_exchange_strong(expected, next))
        return; // the program stopped the monitor or the link meanwhile
    gate_.post([this] { host_.setLoadButtonEnabled(false); });
    gate_.post([this] { host_.setRxStopColour(colours::clLime.value()); });
    gate_.call([this, byte] { host_.announce(byte); });
    setPriority(true);
}

void TRecThread::announcedPass(int state) {
    if (const auto id = modeByLinkState(state)) {
        const Mode& m = mode(*id);
        gate_.post([this, text = m.announceText] { host_.setStatusText(text); });
        gate_.post([this, item = m.repeaterItem] { host_.selectRepeaterItem(item); });
    }
    int expected = state;
    link_.LinkState.compare_exchange_strong(expected, kWaiting);
}

void TRecThread::waitPass() {
    const int waitMs = receiveWaitMs(link_.LastStatus);
    setPriority(false);
    gate_.call([this, waitMs] { host_.startReceiveTimer(waitMs); });
    {
        // Woken by the end-of-reception timer, the receive stop or the program's end; the
        // time-out is only a safety net and costs nothing worth counting.
        std::unique_lock lock(mutex_);
        while (link_.LinkState == kWaiting)
            changed_.wait_for(lock, std::chrono::milliseconds(500));
    }
    if (link_.LinkState == kStopped)
        return;
    gate_.call([this] { host_.stopReceiveTimer(); });
    gate_.post([this] { host_.setLoadButtonEnabled(true); });
    gate_.post([this] { host_.setRxStopColour(colours::clRed.value()); });
    gate_.post([this] { host_.setStatusText(linktext::kReadyForReceive); });
    int expected = link_.LinkState;
    if (expected == kStopped || !link_.LinkState.compare_exchange_strong(expected, kMonitoring))
        return;
    sleepUnlessStopped(kRepeaterDelayMs);
    if (!stopPoint())
        return;
    // The repeater runs as one step on the user-interface thread, so it never meets a transfer.
    gate_.call([this] {
        if (link_.LinkState == kStopped)
            return;
        const int item = host_.repeaterItemToSend();
        if (item < 0 || item >= int(modeTable().size()))
            return;
        const Mode& m = modeTable()[std::size_t(item)];
        host_.removeFrames();
        host_.setStatusText(m.repeaterText);
        link_.SendCommandByte(m.txByte);
    });
}

} // namespace winorbis
