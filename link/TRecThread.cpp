// SPDX-License-Identifier: GPL-3.0-or-later
#include "TRecThread.h"

#include "CommandGate.h"
#include "ConverterLink.h"
#include "LinkTexts.h"
#include "converter/Modes.h"

#include "platform/Clock.h"
#include "platform/Colour.h"

#include <cerrno>
#include <chrono>
#include <poll.h>
#include <sys/eventfd.h>
#include <sys/resource.h>
#include <sys/syscall.h>
#include <unistd.h>

namespace winorbis {

namespace {

constexpr int kRepeaterDelayMs = 1000;
constexpr int kReconnectIntervalMs = 1000;
constexpr int kSleepSliceMs = 50;

// The monitor's state for a byte read while idle; Idle for any byte that is no status.
LinkState stateFor(std::uint8_t byte) {
    if (byte == kStatusWaitLong || byte == kStatusWaitLonger)
        return LinkState::Waiting;
    if (const auto id = modeByStatus(byte))
        return announcedState(*id).value_or(LinkState::Idle);
    return LinkState::Idle;
}

} // namespace

TRecThread::TRecThread(ConverterLink& link, CommandGate& gate, MonitorHost& host, Clock& clock)
    : link_(link)
    , gate_(gate)
    , host_(host)
    , clock_(clock)
    , wakeFd_(::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK)) {}

TRecThread::~TRecThread() {
    stop();
    if (wakeFd_ >= 0)
        ::close(wakeFd_);
}

void TRecThread::start() {
    if (thread_.joinable())
        return;
    setState(LinkState::Idle);
    thread_ = std::thread([this] { run(); });
}

void TRecThread::setState(LinkState state) {
    {
        std::lock_guard lock(mutex_);
        link_.state_ = state;
    }
    wake();
}

bool TRecThread::changeState(LinkState from, LinkState to) {
    bool changed = false;
    {
        std::lock_guard lock(mutex_);
        changed = link_.state_.compare_exchange_strong(from, to);
    }
    if (changed)
        wake();
    return changed;
}

void TRecThread::backToIdle() {
    {
        std::lock_guard lock(mutex_);
        const LinkState now = link_.state_;
        if (now == LinkState::Stop || now == LinkState::Ended)
            return;
        link_.state_ = LinkState::Idle;
    }
    wake();
}

void TRecThread::endReception() {
    backToIdle();
}

void TRecThread::stopReception() {
    backToIdle();
}

void TRecThread::stop() {
    std::deque<std::function<void()>> dropped;
    {
        std::lock_guard lock(mutex_);
        if (link_.state_ != LinkState::Ended)
            link_.state_ = LinkState::Stop;
        stopped_ = true;
        dropped.swap(jobs_);
    }
    wake();
    if (thread_.joinable() && thread_.get_id() != std::this_thread::get_id())
        thread_.join();
    if (!thread_.joinable())
        link_.state_ = LinkState::Ended;
}

void TRecThread::post(std::function<void()> job) {
    {
        std::lock_guard lock(mutex_);
        if (ended_ || stopped_)
            return;
        jobs_.push_back(std::move(job));
    }
    wake();
}

bool TRecThread::runJobs() {
    for (;;) {
        std::function<void()> job;
        {
            std::lock_guard lock(mutex_);
            if (link_.state_ == LinkState::Stop)
                return false;
            if (jobs_.empty())
                return true;
            job = std::move(jobs_.front());
            jobs_.pop_front();
            reading_ = true; // a hold waits for the job
        }
        job();
        {
            std::lock_guard lock(mutex_);
            reading_ = false;
        }
        changed_.notify_all();
    }
}

void TRecThread::callWindow(std::function<void()> fn) {
    // Marked done when the window has run it, and also when the gate drops it unrun (shut).
    struct Call {
        std::mutex mutex;
        std::condition_variable done;
        bool finished = false;
    };
    auto call = std::make_shared<Call>();
    auto guard = std::shared_ptr<void>(nullptr, [call](void*) {
        {
            std::lock_guard lock(call->mutex);
            call->finished = true;
        }
        call->done.notify_all();
    });
    gate_.post([fn = std::move(fn), guard]() mutable { fn(); });
    guard.reset();
    // The jobs run meanwhile: one of them may be what the window waits for (a fetch at the end
    // of a reception holds the window's next calls until it has ended).
    constexpr auto kSlice = std::chrono::milliseconds(5);
    for (;;) {
        {
            std::unique_lock lock(call->mutex);
            if (call->done.wait_for(lock, kSlice, [&] { return call->finished; }))
                return;
        }
        if (!runJobs())
            return;
    }
}

void TRecThread::hold() {
    std::unique_lock lock(mutex_);
    ++holds_;
    lock.unlock();
    wake(); // out of an idle wait on the port at once
    lock.lock();
    // A read in progress ends within its time-out; a monitor inside a window call is not waited
    // for: it stops at its next stop point.
    changed_.wait(lock, [this] { return !reading_; });
}

void TRecThread::release() {
    {
        std::lock_guard lock(mutex_);
        if (holds_ > 0)
            --holds_;
    }
    wake();
}

bool TRecThread::isHeld() const {
    std::lock_guard lock(mutex_);
    return holds_ > 0;
}

void TRecThread::wake() {
    { std::lock_guard lock(mutex_); }
    changed_.notify_all();
    if (wakeFd_ >= 0) {
        const std::uint64_t one = 1;
        [[maybe_unused]] const ssize_t n = ::write(wakeFd_, &one, sizeof one);
    }
}

void TRecThread::drainWakeups() {
    std::uint64_t count = 0;
    if (wakeFd_ >= 0) [[maybe_unused]]
        const ssize_t n = ::read(wakeFd_, &count, sizeof count);
}

bool TRecThread::hasEnded() const {
    std::lock_guard lock(mutex_);
    return ended_;
}

bool TRecThread::stopPoint() {
    // Jobs run also while the monitor is held: a hold keeps the monitor's own reads off the port
    // for exchanges of the user-interface thread, and no job is given while one runs.
    for (;;) {
        if (!runJobs())
            return false;
        std::unique_lock lock(mutex_);
        changed_.wait(lock, [this] {
            return holds_ == 0 || link_.state_ == LinkState::Stop || !jobs_.empty();
        });
        if (link_.state_ == LinkState::Stop)
            return false;
        if (jobs_.empty())
            return true;
    }
}

void TRecThread::sleepUnlessStopped(int ms) {
    for (int left = ms; left > 0 && link_.state_ != LinkState::Stop; left -= kSleepSliceMs)
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
    while (link_.state_ != LinkState::Stop) {
        if (!stopPoint())
            break;
        const LinkState state = link_.state_;
        if (state == LinkState::Idle) {
            monitorPass();
        } else if (isAnnounced(state)) {
            announcedPass(state);
        } else if (state == LinkState::Waiting) {
            waitPass();
        } else {
            // No such state is entered; a pass that does nothing must not spin.
            sleepUnlessStopped(porttimeouts::totalMs(1));
        }
    }
    {
        std::lock_guard lock(mutex_);
        link_.state_ = LinkState::Ended;
        ended_ = true;
    }
    changed_.notify_all();
    if (endHandler_)
        endHandler_();
}

void TRecThread::monitorPass() {
    // While idle the monitor waits on the port and the wake-up descriptor without a time-out, so
    // it costs nothing until a byte comes or somebody changes the state or holds it.
    drainWakeups();
    {
        std::lock_guard lock(mutex_);
        if (holds_ > 0 || link_.state_ != LinkState::Idle || !jobs_.empty())
            return;
        // On the port from here on: a hold waits until the monitor is off it again, so that the
        // holder may even put another port in its place.
        reading_ = true;
    }
    const auto offThePort = [this] {
        {
            std::lock_guard lock(mutex_);
            reading_ = false;
        }
        changed_.notify_all();
    };
    if (lost_ || link_.port().hasVanished()) {
        offThePort();
        lostPass();
        return;
    }
    if (link_.port().waitForInput(wakeFd_) != BytePort::Wait::Input) {
        offThePort();
        return;
    }
    {
        std::unique_lock lock(mutex_);
        if (holds_ > 0 || link_.state_ != LinkState::Idle || !jobs_.empty()) {
            lock.unlock();
            offThePort();
            return; // the byte is the holder's, or the job's
        }
    }
    std::uint8_t byte = 0;
    const bool got = link_.port().readByte(byte);
    offThePort();
    if (!got) {
        setPriority(false);
        return;
    }
    monitorByte_ = byte;
    const LinkState next = stateFor(byte);
    if (next == LinkState::Idle)
        return; // any other byte is dropped
    if (!changeState(LinkState::Idle, next))
        return; // the program stopped the monitor meanwhile
    link_.lastStatus_ = byte;
    // Queued work captures the host, never the monitor: the gate drops it unrun once shut.
    MonitorHost* host = &host_;
    gate_.post([host] { host->setLoadButtonEnabled(false); });
    gate_.post([host] { host->setRxStopColour(colours::clLime.value()); });
    callWindow([host, byte] { host->announce(byte); });
    if (!modeByStatus(byte)) {
        // 68 and 72 name no mode and lead straight to the wait; their meaning is shown instead.
        gate_.post([host, byte] {
            host->setStatusText(linktext::receptionWithoutMode(byte, receiveWaitMs(byte)));
        });
    }
    setPriority(true);
}

void TRecThread::announcedPass(LinkState state) {
    if (const auto id = modeByLinkState(state)) {
        MonitorHost* host = &host_;
        gate_.post(
            [host, text = linktext::announceText(mode(*id).name)] { host->setStatusText(text); });
        // The repeater list holds the box's modes in the table's order.
        gate_.post([host, item = int(*id)] { host->selectRepeaterItem(item); });
    }
    changeState(state, LinkState::Waiting);
}

void TRecThread::waitPass() {
    const int waitMs = receiveWaitMs(link_.LastStatus());
    setPriority(false);
    MonitorHost* host = &host_;
    callWindow([host, waitMs] { host->startReceiveTimer(waitMs); });
    for (;;) {
        // Woken by the end-of-reception timer, the receive stop, a job or the program's end.
        {
            std::unique_lock lock(mutex_);
            changed_.wait(lock,
                          [this] { return link_.state_ != LinkState::Waiting || !jobs_.empty(); });
            if (link_.state_ != LinkState::Waiting)
                break;
        }
        if (!runJobs())
            return;
    }
    if (link_.state_ == LinkState::Stop)
        return;
    callWindow([host] { host->stopReceiveTimer(); });
    gate_.post([host] { host->setLoadButtonEnabled(true); });
    gate_.post([host] { host->setRxStopColour(colours::clRed.value()); });
    gate_.post([host] { host->setStatusText(linktext::kReadyForReceive); });
    if (link_.state_ == LinkState::Stop)
        return;
    backToIdle();
    sleepUnlessStopped(kRepeaterDelayMs);
    if (!stopPoint())
        return;
    // The window says what the repeater sends; the byte goes out from here, between the jobs.
    ConverterLink* link = &link_;
    auto item = std::make_shared<int>(-1);
    callWindow([host, link, item] {
        if (link->linkState() == LinkState::Stop || link->linkState() == LinkState::Ended)
            return;
        const int chosen = host->repeaterItemToSend();
        if (chosen < 0 || chosen >= int(boxModeRows().size()))
            return;
        const Mode& m = boxModeRows()[std::size_t(chosen)];
        host->removeFrames();
        host->setStatusText(linktext::repeaterText(m));
        *item = chosen;
    });
    if (*item >= 0 && link_.linkState() != LinkState::Stop)
        link_.SendCommandByte(boxModeRows()[std::size_t(*item)].box->txByte);
}

void TRecThread::lostPass() {
    MonitorHost* host = &host_;
    if (!lost_) {
        lost_ = true;
        link_.lost_ = true;
        setPriority(false);
        gate_.post([host, device = link_.deviceName()] { host->connectionLost(device); });
    }
    // Once a second at most, and only while nobody holds the monitor or changes the state.
    if (!waitUnlessWoken(kReconnectIntervalMs) || !reconnecting_)
        return;
    if (tryReconnect()) {
        lost_ = false;
        link_.lost_ = false;
        gate_.post([host] { host->connectionRestored(); });
    }
}

bool TRecThread::tryReconnect() {
    {
        std::lock_guard lock(mutex_);
        if (holds_ > 0 || link_.state_ != LinkState::Idle)
            return false;
        reading_ = true; // a hold waits for the attempt
    }
    BytePort& port = link_.port();
    const bool back = (!port.hasVanished() || port.reopen()) && link_.identifyQuietly() != 0;
    {
        std::lock_guard lock(mutex_);
        reading_ = false;
    }
    changed_.notify_all();
    return back;
}

bool TRecThread::waitUnlessWoken(int ms) {
    pollfd p{wakeFd_, POLLIN, 0};
    for (;;) {
        const int ready = ::poll(&p, 1, ms);
        if (ready < 0 && errno == EINTR)
            continue;
        return ready == 0;
    }
}

MonitorHold::MonitorHold(TRecThread* monitor)
    : monitor_(monitor) {
    if (monitor_)
        monitor_->hold();
}

MonitorHold::~MonitorHold() {
    if (monitor_)
        monitor_->release();
}

} // namespace winorbis
