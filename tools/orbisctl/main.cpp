// SPDX-License-Identifier: GPL-3.0-or-later
// orbisctl: the converter's commands from the command line.
#include "app/AppInfo.h"
#include "platform/Clock.h"
#include "tools/orbisctl/Orbisctl.h"

#include <QGuiApplication>

#include <csignal>
#include <cstdio>
#include <cstring>

int main(int argc, char** argv) {
    // The version needs no application, as the program's own --version.
    if (argc == 2 && std::strcmp(argv[1], "--version") == 0) {
        std::printf("%s\n", qPrintable(winorbis::kApplicationTitle));
        return 0;
    }
    // A file-size limit makes a write fail, which is reported, instead of killing the tool.
    std::signal(SIGXFSZ, SIG_IGN);
    // Captions and the callsign picture need fonts, which only a GUI application has; orbisctl
    // shows no window, so it takes the offscreen platform whatever the environment says: it runs
    // the same from a desktop, a remote shell and a cron job.
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    winorbis::SystemClock clock;
    return winorbis::runOrbisctl(app.arguments().mid(1), clock, stdout, stderr);
}
