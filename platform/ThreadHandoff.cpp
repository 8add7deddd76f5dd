// SPDX-License-Identifier: GPL-3.0-or-later
#include "ThreadHandoff.h"

#include <QCoreApplication>
#include <QMetaMethod>
#include <QPointer>
#include <QThread>

#if defined(__SANITIZE_THREAD__)
#define WINORBIS_THREAD_SANITIZER 1
#elif defined(__has_feature)
#if __has_feature(thread_sanitizer)
#define WINORBIS_THREAD_SANITIZER 1
#endif
#endif

#ifdef WINORBIS_THREAD_SANITIZER
extern "C" void __tsan_acquire(void* address);
extern "C" void __tsan_release(void* address);
#endif

namespace winorbis::threading {

#ifdef WINORBIS_THREAD_SANITIZER

namespace {

// One mark for every handover: a later take-over sees all that was handed off before it. That
// orders more than the queue itself does, never less.
char handover;

class TakeOver final : public QObject {
public:
    bool eventFilter(QObject*, QEvent*) override {
        tookOver();
        return false;
    }
};

} // namespace

void handOff() {
    __tsan_release(&handover);
}

void tookOver() {
    __tsan_acquire(&handover);
}

static void takeOverEveryEvent() {
    // The filter is the application's child: a new application gets a new one.
    static QPointer<TakeOver> installed;
    QCoreApplication* app = QCoreApplication::instance();
    if (installed)
        return;
    installed = new TakeOver;
    installed->setParent(app);
    app->installEventFilter(installed);
}

#else

void handOff() {}
void tookOver() {}
static void takeOverEveryEvent() {}

#endif

HandoverQueue::HandoverQueue(QObject* parent)
    : QObject(parent) {
    // Connected by the slot's index rather than a function object: Qt counts the references to
    // a function object within its own library, and the last one may be dropped on either
    // thread, which the thread sanitizer cannot see ordered with the other's call through it.
    static const QMetaMethod slot = staticMetaObject.method(staticMetaObject.indexOfSlot("run()"));
    connect(this, QMetaMethod::fromSignal(&HandoverQueue::posted), this, slot,
            Qt::QueuedConnection);
}

void HandoverQueue::post(std::function<void()> work, bool direct) {
    if (direct && QThread::currentThread() == thread()) {
        work();
        return;
    }
    {
        std::lock_guard lock(mutex_);
        work_.push_back(std::move(work));
    }
    emit posted(QPrivateSignal{});
}

void prepareHandovers() {
    QCoreApplication* app = QCoreApplication::instance();
    if (!app || QThread::currentThread() != app->thread())
        return;
    takeOverEveryEvent();
    applicationQueue();
}

HandoverQueue& applicationQueue() {
    static HandoverQueue* const queue = [] {
        auto* made = new HandoverQueue;
        made->moveToThread(QCoreApplication::instance()->thread());
        return made;
    }();
    return *queue;
}

void HandoverQueue::run() {
    // One piece of work for each signal: each runs where its post stands in the thread's event
    // queue, so work of several queues (and other events) keeps the order it was posted in.
    std::function<void()> work;
    {
        std::lock_guard lock(mutex_);
        if (work_.empty())
            return;
        work = std::move(work_.front());
        work_.pop_front();
    }
    work();
}

} // namespace winorbis::threading
