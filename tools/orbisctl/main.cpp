// SPDX-License-Identifier: GPL-3.0-or-later
// orbisctl: the converter's commands from the command line.
#include "platform/Clock.h"
#include "tools/orbisctl/Orbisctl.h"

#include <QCoreApplication>

#include <csignal>

int main(int argc, char** argv) {
    // A file-size limit makes a write fail, which is reported, instead of killing the tool.
    std::signal(SIGXFSZ, SIG_IGN);
    QCoreApplication app(argc, argv);
    winorbis::SystemClock clock;
    return winorbis::runOrbisctl(app.arguments().mid(1), clock, stdout, stderr);
}
