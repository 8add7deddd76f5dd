// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "platform/Clock.h"

#include <QObject>

#include <condition_variable>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>

namespace winorbis {

// Lets one converter operation run at a time on the user-interface thread. While an operation
// runs (a transfer, the waits of a transmit), the window keeps painting, but whatever would start
// another converter command (a timer tick, the receive monitor's window changes) is deferred
// until the operation has ended, in the order it came. (Threading rules: ConverterLink.h.)
class CommandGate : public QObject {
    Q_OBJECT
public:
    explicit CommandGate(QObject* parent = nullptr);
    ~CommandGate() override;

    // Marks a converter operation for its lifetime; operations may nest.
    class Operation {
    public:
        explicit Operation(CommandGate& gate);
        ~Operation();
        Operation(const Operation&) = delete;
        Operation& operator=(const Operation&) = delete;

    private:
        CommandGate& gate_;
    };

    bool busy() const { return depth_ > 0; }

    // On the user-interface thread: runs fn at once when no operation runs, otherwise when the
    // running one has ended.
    void whenIdle(std::function<void()> fn);

    // From any thread: runs fn on the user-interface thread, when idle, after everything posted
    // before it. post() returns at once; call() waits until fn has run, or until the gate is shut.
    void post(std::function<void()> fn);
    void call(std::function<void()> fn);

    // A window timer whose ticks wait while a converter operation runs: a tick that comes during
    // one runs when it has ended, several such ticks run once, and a tick is dropped when the
    // timer was stopped meanwhile (as a stopped window timer's pending tick is).
    std::unique_ptr<ClockTimer> gatedTimer(Clock& clock, std::function<void()> onTick);

    // Drops everything not yet run, also what is queued already, and makes every later post or
    // call return at once (the program is ending).
    void shut();
    bool isShut() const;

signals:
    // Emitted by post() on any thread; runs runPosted() on the gate's thread, once per post.
    void workPosted(QPrivateSignal);

private:
    void runDeferred();
    // Takes the oldest posted work and runs it when idle.
    void runPosted();

    // Shared with the calls in flight, which may end after the gate. Posted work waits here, under
    // the gate's own lock, and not in Qt's event queue: the event only says that work is there.
    struct CallState {
        std::mutex mutex;
        std::condition_variable changed;
        bool shut = false;
        std::deque<std::function<void()>> posted;
    };

    int depth_ = 0;
    std::deque<std::function<void()>> deferred_;
    bool running_ = false;
    std::shared_ptr<CallState> calls_ = std::make_shared<CallState>();
};

} // namespace winorbis
