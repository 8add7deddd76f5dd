// SPDX-License-Identifier: GPL-3.0-or-later
// orbisctl: the converter's commands from the command line.
#include "platform/Clock.h"
#include "platform/Version.h"
#include "radio/devices/SoundSystem.h"
#include "tools/orbisctl/Orbisctl.h"

#include <QGuiApplication>

#include <csignal>
#include <cstdio>
#include <cstring>

namespace {

QtMessageHandler previousHandler = nullptr;

void withoutRuntimeFolderNote(QtMsgType type, const QMessageLogContext& context,
                              const QString& message) {
    if (!message.startsWith(QLatin1String("QStandardPaths: XDG_RUNTIME_DIR not set")))
        previousHandler(type, context, message);
}

} // namespace

int main(int argc, char** argv) {
    // The version needs no application, as the program's own --version.
    if (argc == 2 && std::strcmp(argv[1], "--version") == 0) {
        std::printf("%s\n", qPrintable(winorbis::kVersionLine));
        return 0;
    }
    // A file-size limit makes a write fail, which is reported, instead of killing the tool.
    std::signal(SIGXFSZ, SIG_IGN);
    // Captions and the callsign picture need fonts, which only a GUI application has; orbisctl
    // shows no window, so it takes the offscreen platform whatever the environment says: it runs
    // the same from a desktop, a remote shell and a cron job.
    qputenv("QT_QPA_PLATFORM", "offscreen");
    // Where no desktop runs (cron, a remote shell) Qt notes on every start that it has no runtime
    // folder; that note says nothing about the command and is left out.
    previousHandler = qInstallMessageHandler(withoutRuntimeFolderNote);
    QGuiApplication app(argc, argv);
    winorbis::SystemClock clock;
    const int status = winorbis::runOrbisctl(app.arguments().mid(1), clock, stdout, stderr);
    // A command on the sound card (serve, listen) has closed its devices by now.
    return winorbis::radio::endAfterSound(status);
}
