// SPDX-License-Identifier: GPL-3.0-or-later
// The processor share of the receive monitor watching an idle converter line for 10 s.
#include "link/CommandGate.h"
#include "link/ConverterLink.h"
#include "link/TRecThread.h"
#include "platform/Clock.h"
#include "platform/ConsoleDialogs.h"

#include <QCoreApplication>

#include <chrono>
#include <cstdio>
#include <ctime>
#include <fcntl.h>
#include <thread>
#include <unistd.h>

using namespace winorbis;

namespace {

double processSeconds() {
    timespec t{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
    return double(t.tv_sec) + double(t.tv_nsec) / 1e9;
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const int seconds = argc > 1 ? std::atoi(argv[1]) : 10;
    // A converter line that stays silent: the other end of a pseudo-terminal, held open.
    const int master = ::posix_openpt(O_RDWR | O_NOCTTY);
    if (master < 0 || ::grantpt(master) != 0 || ::unlockpt(master) != 0) {
        std::perror("posix_openpt");
        return 1;
    }
    const QString device = QString::fromLocal8Bit(::ptsname(master));

    SystemClock clock;
    ConsoleDialogs dialogs;
    ConverterLink link(clock, failureBoxes(dialogs));
    if (!link.OpenConverterPort(LinkSpeed::Baud115200, device))
        return 1;
    CommandGate gate;
    SilentMonitorHost host;
    TRecThread monitor(link, gate, host, clock);

    const double cpu0 = processSeconds();
    const auto t0 = std::chrono::steady_clock::now();
    monitor.start();
    std::this_thread::sleep_for(std::chrono::seconds(seconds));
    const double cpu = processSeconds() - cpu0;
    const double wall =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
    monitor.stop();
    std::printf("idle monitor: %.4f s processor in %.1f s, %.3f %% of one core\n", cpu, wall,
                100.0 * cpu / wall);
    ::close(master);
    return 0;
}
