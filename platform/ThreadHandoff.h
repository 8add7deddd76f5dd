// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QObject>

#include <utility>

namespace winorbis::threading {

// What one thread hands another through Qt's event queue: a queued signal, or work posted with
// QMetaObject::invokeMethod. The queue orders the two threads with Qt's own locks, which the
// thread sanitizer does not see (Qt is not built with it), so it would take every such handover
// for a data race. The handover is marked for it here: handOff() on the posting thread just
// before the post or the queued emit, tookOver() on the receiving thread before the posted work
// reads anything. In a build without the thread sanitizer every mark does nothing.

void handOff();
void tookOver();

// Marks every event that the application's thread takes from its queue as taken over, so that
// the slots of queued signals and the work posted to that thread need no mark of their own. Call
// on the application's thread, once an application exists; more calls do nothing.
void takeOverEveryEvent();

// QMetaObject::invokeMethod(context, work, type) with the handover marked on both sides.
template <typename Work>
void post(QObject* context, Work&& work, Qt::ConnectionType type = Qt::QueuedConnection) {
    handOff();
    QMetaObject::invokeMethod(
        context,
        [work = std::forward<Work>(work)]() mutable {
            tookOver();
            work();
        },
        type);
}

} // namespace winorbis::threading
