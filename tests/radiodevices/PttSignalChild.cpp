// SPDX-License-Identifier: GPL-3.0-or-later
// A program that keys a push-to-talk and waits in its event loop for a termination signal, with
// the release helper installed alone or beside the program's own TerminationWatcher.
// Arguments: PTT-TEXT alone|watcher [KEY-LIMIT-MS]. Prints "keyed" once keyed, and "released" when
// the program's own handler runs after the release.
#include "platform/TerminationWatcher.h"
#include "radio/ptt/PttDevices.h"
#include "radio/ptt/PttSignalRelease.h"

#include <QCoreApplication>

#include <cstdio>

using namespace winorbis;

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const QStringList arguments = app.arguments();
    if (arguments.size() != 3 && arguments.size() != 4)
        return 2;
    QString error;
    const auto ptt = radio::openPtt(arguments[1], &error);
    if (ptt && arguments.size() == 4)
        ptt->setKeyLimitMs(arguments[3].toInt());
    if (!ptt || !ptt->setKeyed(true, &error)) {
        std::fprintf(stderr, "%s\n", qPrintable(error));
        return 1;
    }
    std::unique_ptr<TerminationWatcher> watcher;
    std::unique_ptr<radio::PttSignalRelease> release;
    if (arguments[2] == QLatin1String("watcher")) {
        watcher = std::make_unique<TerminationWatcher>();
        release = std::make_unique<radio::PttSignalRelease>(*watcher);
        QObject::connect(watcher.get(), &TerminationWatcher::terminationRequested, [&](int number) {
            std::printf("%s\n", ptt->keyed() ? "still keyed" : "released");
            std::fflush(stdout);
            app.exit(128 + number);
        });
    } else {
        release = std::make_unique<radio::PttSignalRelease>();
    }
    std::printf("keyed\n");
    std::fflush(stdout);
    return app.exec();
}
