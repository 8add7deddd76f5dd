// SPDX-License-Identifier: GPL-3.0-or-later
#include "MainWindowFixture.h"

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

void MainWindowFixture::start() {
    AppServices services{dialogs, clock, dir.path()};
    services.portFactory = [this] {
        auto memory = std::make_unique<MemoryPort>(clock);
        port = memory.get();
        converter = std::make_unique<MemoryConverter>(*memory);
        return memory;
    };
    form = std::make_unique<TForm1>(services);
    dialogs.clear();
}

} // namespace winorbis::test
