// SPDX-License-Identifier: GPL-3.0-or-later
// orbisctl: the converter's commands from the command line.
#include "platform/Clock.h"
#include "tools/orbisctl/Orbisctl.h"

#include <QCoreApplication>

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    winorbis::SystemClock clock;
    return winorbis::runOrbisctl(app.arguments().mid(1), clock, stdout, stderr);
}
