// SPDX-License-Identifier: GPL-3.0-or-later
#include "support/EventPump.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QThread>

namespace winorbis::test {

bool pumpUntil(const std::function<bool()>& condition, int ms) {
    QElapsedTimer timer;
    timer.start();
    while (!condition()) {
        if (timer.elapsed() > ms)
            return false;
        QCoreApplication::processEvents();
        QThread::usleep(200);
    }
    QCoreApplication::processEvents();
    return true;
}

} // namespace winorbis::test
