// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QObject>

#include <deque>
#include <functional>
#include <mutex>

namespace winorbis::threading {

// What one thread hands another through Qt's event queue. The queue orders the two threads with
// Qt's own locks, which the thread sanitizer does not see (Qt is not built with it), so it would
// take every such handover for a data race.
//
// Work posted to another thread goes through a HandoverQueue: a queue under a lock of our own,
// which the sanitizer sees, and a queued signal without arguments that only says there is work.
//
// A signal with arguments is emitted on the receiving thread, from work posted there: Qt copies
// the arguments of a queued emit inside the emit, after any mark the emitting side could set.
// Other handovers are marked: handOff() on the handing thread before the post, tookOver() on the
// taking thread before it reads; once prepareHandovers() has run, every event the application's
// thread takes from its queue counts as taken over. Without the thread sanitizer the marks do
// nothing.

void handOff();
void tookOver();

// Call on the application's thread before a worker starts, once an application exists (more
// calls do nothing): makes applicationQueue() there, and in a thread-sanitizer build marks every
// event that thread takes from its queue as taken over.
void prepareHandovers();

// Work for the thread the queue lives in, posted from any thread and run there in order.
class HandoverQueue final : public QObject {
    Q_OBJECT
public:
    explicit HandoverQueue(QObject* parent = nullptr);

    // From any thread; runs on the queue's thread from its event loop, or at once when called
    // there with direct set.
    void post(std::function<void()> work, bool direct = false);

signals:
    void posted(QPrivateSignal);

private slots:
    void run();

private:
    std::mutex mutex_; // guards work_
    std::deque<std::function<void()>> work_;
};

// A queue in the application's thread, for work that waits on its result (the dialogs asked for
// from a worker); made by prepareHandovers(), or on first use from any thread.
HandoverQueue& applicationQueue();

} // namespace winorbis::threading
