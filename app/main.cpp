// SPDX-License-Identifier: GPL-3.0-or-later
// The winorbis program: the application object, its ten windows and the message loop.
#include "app/AppInfo.h"
#include "app/AppWindows.h"
#include "app/CommandLine.h"
#include "app/StationConverter.h"
#include "app/StationSetup.h"
#include "app/TForm1.h"
#include "platform/Clock.h"
#include "platform/ProgramFolder.h"
#include "platform/TerminationWatcher.h"
#include "platform/ui/QtDialogs.h"
#include "radio/devices/SoundSystem.h"
#include "radio/ptt/PttSignalRelease.h"
#include "settings/StationOptions.h"
#include "tools/simulator/ConverterSimulator.h"
#include "tools/simulator/ui/SimulatorMenu.h"
#include "web/WebFaceSwitch.h"
#include "web/WebTexts.h"

#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QIcon>
#include <QMenuBar>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <csignal>
#include <cstdio>
#include <memory>

using namespace winorbis;

namespace {

// How long the end after SIGTERM or SIGINT may take.
constexpr int kEndWithinMs = 1800;

// The arguments after the program name; once QApplication has run, without Qt's own options.
QStringList programArguments(int argc, char** argv) {
    QStringList arguments;
    for (int i = 1; i < argc; ++i)
        arguments << QString::fromLocal8Bit(argv[i]);
    return arguments;
}

} // namespace

int main(int argc, char** argv) {
    // Help and version need no display, so they are answered before the application starts.
    const QStringList early = programArguments(argc, argv);
    if (early.contains(QLatin1String("--help")) || early.contains(QLatin1String("-h"))) {
        std::fputs(qPrintable(CommandLine::helpText()), stdout);
        return 0;
    }
    if (early.contains(QLatin1String("--version"))) {
        std::printf("%s\n", qPrintable(kApplicationTitle));
        return 0;
    }

    // SIGTERM and SIGINT are caught from here on: a signal during the application's start
    // (fonts, platform) is taken up by the watcher below, and the program ends in order.
    TerminationWatcher::catchEarly();
    // Nothing the program waits on (a sound server that hangs) keeps it from ending: the release
    // of the transmitter and the files of its end come first.
    TerminationWatcher::endWithin(kEndWithinMs);
    // A file-size limit makes a write fail, which is reported, instead of killing the program.
    std::signal(SIGXFSZ, SIG_IGN);
    QApplication app(argc, argv);
    QApplication::setApplicationName(kApplicationTitle);
    // The desktop entry's name, so that desktops show the window with its entry's icon.
    QGuiApplication::setDesktopFileName(QStringLiteral("io.github.winorbis.WinOrbis"));
    QApplication::setWindowIcon(QIcon::fromTheme(QStringLiteral("io.github.winorbis.WinOrbis")));
    const CommandLine line = CommandLine::parse(programArguments(argc, argv));
    if (!line.error.isEmpty()) {
        std::fprintf(stderr, "winorbis: %s\n%s", qPrintable(line.error),
                     qPrintable(CommandLine::helpText()));
        return 2;
    }
    QString folder = line.folder;
    if (folder.isEmpty()) {
        // Started from the desktop's menu (in the home folder, or somewhere not writable): the
        // user's data folder, said on standard error.
        folder = CommandLine::defaultFolder(
            QDir::currentPath(), QDir::homePath(),
            QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation));
        if (folder == QDir::currentPath())
            folder.clear();
        else
            std::fprintf(stderr, "winorbis: the program folder is %s\n", qPrintable(folder));
    }
    if (!folder.isEmpty()) {
        // A folder that does not exist yet is made, as the picture folders are: a new station.
        if (!QFileInfo::exists(folder)) {
            if (QDir().mkpath(folder))
                std::fprintf(stderr, "winorbis: created the program folder %s\n",
                             qPrintable(folder));
        }
        // The program folder is the current directory, so that relative names (the manual)
        // resolve there as well.
        if (!QFileInfo(folder).isDir() || !QDir::setCurrent(folder)) {
            std::fprintf(stderr, "winorbis: %s is not a folder\n", qPrintable(folder));
            return 2;
        }
    }

    // The built-in simulated converter: a pseudo-terminal that the program opens as its port.
    std::unique_ptr<QTemporaryDir> simulatorFolder;
    std::unique_ptr<ConverterSimulator> simulator;
    QString portDevice = line.port;
    if (line.simulate) {
        ConverterSimulator::Options options;
        const auto print = [](const QString& text) {
            std::fprintf(stderr, "simulated Orbis 70p: %s\n", qPrintable(text));
        };
        // Every line of a transfer is a step: about 256 per picture, so only when asked for.
        if (line.verbose)
            options.log = print;
        options.error = print;
        simulator = std::make_unique<ConverterSimulator>(options);
        // Behind a stable name, so that the menu can unplug it and plug it in again as a USB
        // adapter; the name goes with the folder when the program ends.
        simulatorFolder = std::make_unique<QTemporaryDir>(QDir::tempPath() +
                                                          QStringLiteral("/winorbis-sim-XXXXXX"));
        portDevice = simulatorFolder->filePath(QStringLiteral("Orbis70p"));
        QString error;
        if (!simulatorFolder->isValid() || !simulator->openPseudoTerminalAt(portDevice, &error)) {
            if (error.isEmpty())
                error = simulatorFolder->errorString();
            std::fprintf(stderr, "winorbis: cannot start the simulated converter: %s\n",
                         qPrintable(error));
            return 1;
        }
    }

    // The station's converter: the one station.conf chooses (the COM port of the settings, or the
    // built-in converter on the sound card, likewise on a pseudo-terminal; its rows go into the
    // RX picture) unless the command line names one. Only the converter station.conf chose is
    // switched at once by the setup window.
    SystemClock clock;
    StationConverter converter;
    const bool converterNamed = line.simulate || line.soundCard || !line.port.isEmpty();
    {
        const StationOptions station = StationOptions::load(ProgramFolder(QDir::currentPath()));
        converter.remember(ConverterChoice::fromOptions(station));
        converter.setSwitchable(!converterNamed);
        const QString kind = station.value(ConverterChoice::kConverterKey);
        if (!converterNamed && !ConverterChoice::parseKind(kind))
            std::fprintf(stderr,
                         "winorbis: Converter=%s in station.conf is neither \"serial port\" nor "
                         "\"sound card\"; the serial port is used\n",
                         qPrintable(kind));
    }

    QtDialogs dialogs;
    // SIGTERM and SIGINT end the program in order at any time, also while a message box of the
    // start-up is open: the start-up then finishes without waiting for answers, and the program
    // ends as soon as the windows exist.
    TerminationWatcher termination;
    // The transmitter is released first, from the event loop, before the program ends in order.
    radio::PttSignalRelease pttRelease(termination);
    std::unique_ptr<AppWindows> windows;
    bool terminationPending = false;
    QObject::connect(&termination, &TerminationWatcher::terminationRequested, [&](int) {
        if (windows) {
            windows->main().Terminate();
        } else {
            // The rest of the start-up shows no box any more.
            terminationPending = true;
            dialogs.setUnattended(true);
            QCoreApplication::exit(0);
        }
    });
    // A write of the program's end that failed makes the exit status 1.
    bool writeFailed = false;
    AppServices services{dialogs, clock, QDir::currentPath(), portDevice,
                         simulator ? QStringLiteral("simulated converter") : QString()};
    services.converter = &converter;
    services.soundCard = line.soundCard;
    services.converterLog = [](const QString& text) {
        std::fprintf(stderr, "%s\n", qPrintable(text));
    };
    services.verbose = line.verbose;
    windows = std::make_unique<AppWindows>(services);
    QObject::connect(&windows->main(), &TForm1::endWriteFailed, [&] { writeFailed = true; });
    // The station in a browser: --web, or the setup window's "Web access" of station.conf, which
    // the window switches while the program runs.
    auto webFace = std::make_unique<WebFaceSwitch>(
        windows->main().station(), &windows->setup().catalogBeacon(), QDir::currentPath());
    if (!line.web.isEmpty()) {
        const auto listen = web::parseListen(line.web);
        if (!listen) {
            std::fprintf(stderr, "winorbis: %s\n", qPrintable(webtext::kBadListen.arg(line.web)));
            return 2;
        }
        webFace->setCommandLine(*listen, line.publicView);
    }
    if (const WebFaceSwitch::Outcome started = webFace->apply(); !started.text.isEmpty()) {
        std::fprintf(stderr, "winorbis: %s\n", qPrintable(started.text));
        // Asked for on the command line, it is missed; chosen in the setup window, the program
        // runs without it and says so.
        if (started.failed && webFace->fromCommandLine())
            return 1;
        if (started.failed)
            windows->main().setStatusText(started.text);
    }
    windows->setup().setWebFace(webFace.get());
    if (terminationPending) {
        windows->main().Terminate();
        webFace.reset();
        windows.reset();
        return radio::endAfterSound(writeFailed ? 1 : 0);
    }
    dialogs.setParent(&windows->main());
    if (simulator)
        windows->main().menuBar()->addMenu(
            new SimulatorMenu(*simulator, dialogs, windows->main().menuBar()));
    windows->main().show();
    const int status = QApplication::exec();
    webFace.reset();
    // The destruction writes what the end on a signal has not written yet, and closes the
    // station's converter.
    windows.reset();
    return radio::endAfterSound(status != 0 || writeFailed ? 1 : 0);
}
