// SPDX-License-Identifier: GPL-3.0-or-later
#include "CommandGate.h"

#include "platform/ThreadHandoff.h"

#include <QCoreApplication>
#include <QThread>

namespace winorbis {

CommandGate::CommandGate(QObject* parent)
    : QObject(parent) {
    connect(this, &CommandGate::workPosted, this, &CommandGate::runPosted, Qt::QueuedConnection);
}

CommandGate::~CommandGate() {
    shut();
}

CommandGate::Operation::Operation(CommandGate& gate)
    : gate_(gate) {
    ++gate_.depth_;
}

CommandGate::Operation::~Operation() {
    if (--gate_.depth_ == 0)
        gate_.runDeferred();
}

void CommandGate::whenIdle(std::function<void()> fn) {
    deferred_.push_back(std::move(fn));
    if (!busy())
        runDeferred();
}

bool CommandGate::isShut() const {
    std::lock_guard lock(calls_->mutex);
    return calls_->shut;
}

void CommandGate::runDeferred() {
    if (running_)
        return; // the outer loop picks it up
    running_ = true;
    while (!busy() && !deferred_.empty() && !isShut()) {
        auto fn = std::move(deferred_.front());
        deferred_.pop_front();
        fn();
    }
    running_ = false;
}

void CommandGate::post(std::function<void()> fn) {
    {
        std::lock_guard lock(calls_->mutex);
        if (calls_->shut)
            return;
        calls_->posted.push_back(std::move(fn));
    }
    threading::handOff();
    emit workPosted(QPrivateSignal{});
}

void CommandGate::runPosted() {
    // The gate is checked again here: work queued before the gate was shut must not run after it
    // (the monitor it came from may be gone); shut() has dropped it already.
    std::function<void()> fn;
    {
        std::lock_guard lock(calls_->mutex);
        if (calls_->shut || calls_->posted.empty())
            return;
        fn = std::move(calls_->posted.front());
        calls_->posted.pop_front();
    }
    whenIdle(std::move(fn));
}

void CommandGate::call(std::function<void()> fn) {
    if (QThread::currentThread() == thread()) {
        whenIdle(std::move(fn));
        return;
    }
    auto done = std::make_shared<bool>(false);
    // The guard marks the call done when the function has run, and also when it is dropped
    // unrun (the gate shut, or gone with calls still queued).
    auto guard = std::shared_ptr<void>(nullptr, [done, state = calls_](void*) {
        std::lock_guard lock(state->mutex);
        *done = true;
        state->changed.notify_all();
    });
    post([fn = std::move(fn), guard]() mutable { fn(); });
    guard.reset();
    std::unique_lock lock(calls_->mutex);
    calls_->changed.wait(lock, [&] { return *done || calls_->shut; });
}

void CommandGate::shut() {
    std::deque<std::function<void()>> dropped;
    {
        std::lock_guard lock(calls_->mutex);
        calls_->shut = true;
        dropped.swap(calls_->posted);
    }
    calls_->changed.notify_all();
    // Dropped outside the lock: a dropped call marks itself done under it.
    dropped.clear();
    deferred_.clear();
}

namespace {

class GatedTimer final : public ClockTimer {
public:
    GatedTimer(CommandGate& gate, Clock& clock, std::function<void()> onTick)
        : gate_(gate)
        , onTick_(std::move(onTick))
        , alive_(std::make_shared<bool>(true)) {
        inner_ = clock.createTimer([this] { tick(); });
    }
    ~GatedTimer() override { *alive_ = false; }
    void start(int intervalMs) override { inner_->start(intervalMs); }
    void stop() override { inner_->stop(); }
    bool isActive() const override { return inner_->isActive(); }
    int interval() const override { return inner_->interval(); }

private:
    void tick() {
        if (pending_)
            return;
        pending_ = true;
        gate_.whenIdle([this, alive = alive_] {
            if (!*alive)
                return;
            pending_ = false;
            if (inner_->isActive())
                onTick_();
        });
    }

    CommandGate& gate_;
    std::function<void()> onTick_;
    std::unique_ptr<ClockTimer> inner_;
    std::shared_ptr<bool> alive_;
    bool pending_ = false;
};

} // namespace

std::unique_ptr<ClockTimer> CommandGate::gatedTimer(Clock& clock, std::function<void()> onTick) {
    return std::make_unique<GatedTimer>(*this, clock, std::move(onTick));
}

} // namespace winorbis
