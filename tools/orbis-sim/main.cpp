// SPDX-License-Identifier: GPL-3.0-or-later
// orbis-sim: the simulated Orbis 70p on a pseudo-terminal or a serial device. It prints what it
// does and takes commands on standard input to script receptions and faults.
#include "CommandLines.h"
#include "HandheldSim.h"
#include "converter/Modes.h"
#include "platform/Version.h"
#include "tools/simulator/ConverterSimulator.h"

#include <QCoreApplication>
#include <QImage>
#include <QSocketNotifier>
#include <QTextStream>

#include <csignal>
#include <cstdio>
#include <cstring>
#include <unistd.h>

using namespace winorbis;

namespace {

const char* kUsage =
    "Usage: orbis-sim [--device DEV | --link NAME] [--speed 1|2] [--identify N] [--paced]\n"
    "       orbis-sim --version\n"
    "       orbis-sim --handheld [--help] ...   a VC-H1 handheld instead of the converter\n"
    "Simulates an Orbis 70p SSTV converter. Without --device it opens a pseudo-terminal and\n"
    "prints its name; start winorbis or orbisctl with --port NAME. With --link the\n"
    "pseudo-terminal is reached through the symbolic link NAME, which unplug and plug take away\n"
    "and bring back as a USB adapter's name.\n"
    "\n"
    "Commands on standard input:\n"
    "  receive MODE [PICTURE]  a reception in MODE (R36 R72 M1 M2 S1 S2), the picture (BMP or\n"
    "                          JPEG; default: the camera) lands in the memory\n"
    "  status N                send status byte N (68 and 72 carry no mode)\n"
    "  identify N              answer identify with byte N (0: no answer)\n"
    "  silent on|off           answer nothing at all\n"
    "  drop L                  do not send fetch line L (1..256)\n"
    "  cut L N                 send only the first N bytes of fetch line L (1..256)\n"
    "  garbage N               send N meaningless bytes before every answer\n"
    "  close-after N           close the line after N lines of a transfer\n"
    "  close                   close the line now\n"
    "  unplug                  pull the converter's plug: the line and its --link name go\n"
    "  plug                    plug it in again behind the same --link name\n"
    "  save MEMORY FILE        write memory 1 or 2 as a picture file\n"
    "  quit\n";

void runCommand(ConverterSimulator& sim, const QString& line) {
    const QStringList words = line.split(' ', Qt::SkipEmptyParts);
    if (words.isEmpty())
        return;
    const QString verb = words[0].toLower();
    const QString arg = words.value(1);
    bool ok = true;
    if (verb == "receive") {
        const auto id = modeByName(arg);
        if (!id || !mode(*id).box) {
            std::fprintf(stderr, "unknown mode %s\n", qPrintable(arg));
            return;
        }
        QImage picture = words.size() > 2 ? QImage(words[2]) : ConverterSimulator::cameraPicture(7);
        if (picture.isNull()) {
            std::fprintf(stderr, "cannot read %s\n", qPrintable(words[2]));
            return;
        }
        sim.receive(mode(*id).box->statusByte, picture);
    } else if (verb == "status") {
        sim.sendStatus(std::uint8_t(arg.toInt(&ok)));
    } else if (verb == "identify") {
        sim.setIdentifyAnswer(std::uint8_t(arg.toInt(&ok)));
    } else if (verb == "silent") {
        sim.setSilent(arg == "on");
    } else if (verb == "drop") {
        sim.dropFetchLine(arg.toInt(&ok));
    } else if (verb == "cut") {
        bool countOk = false;
        sim.cutFetchLine(arg.toInt(&ok), words.value(2).toInt(&countOk));
        ok = ok && countOk;
    } else if (verb == "close") {
        sim.closeLine();
    } else if (verb == "unplug" && !sim.linkPath().isEmpty()) {
        sim.unplug();
    } else if (verb == "plug" && !sim.linkPath().isEmpty()) {
        QString error;
        if (!sim.plugIn(&error))
            std::fprintf(stderr, "cannot plug in: %s\n", qPrintable(error));
    } else if (verb == "garbage") {
        sim.setGarbageBeforeAnswers(arg.toInt(&ok));
    } else if (verb == "close-after") {
        sim.closeAfterLines(arg.toInt(&ok));
    } else if (verb == "save") {
        ok = sim.memoryPicture(arg.toInt()).save(words.value(2));
    } else if (verb == "quit" || verb == "exit") {
        QCoreApplication::quit();
    } else {
        std::fputs(kUsage, stderr);
    }
    if (!ok)
        std::fprintf(stderr, "not understood: %s\n", qPrintable(line));
}

} // namespace

int main(int argc, char** argv) {
    if (argc == 2 && std::strcmp(argv[1], "--version") == 0) {
        std::printf("%s\n", qPrintable(kVersionLine));
        return 0;
    }
    // A file-size limit makes a "save" fail, which is reported, instead of killing the simulator.
    std::signal(SIGXFSZ, SIG_IGN);
    QCoreApplication app(argc, argv);
    QString device;
    QString link;
    LinkSpeed speed = LinkSpeed::Baud115200;
    ConverterSimulator::Options options;
    const QStringList args = app.arguments().mid(1);
    if (args.contains(QStringLiteral("--handheld")))
        return runHandheldSimulator(args);
    const auto usageError = [](const QString& why) {
        std::fprintf(stderr, "orbis-sim: %s\n", qPrintable(why));
        return 2;
    };
    for (int i = 0; i < args.size(); ++i) {
        const QString& a = args[i];
        const bool takesValue =
            a == "--device" || a == "--link" || a == "--speed" || a == "--identify";
        if (takesValue && i + 1 >= args.size())
            return usageError(QStringLiteral("%1 needs a value").arg(a));
        bool ok = true;
        if (a == "--help" || a == "-h") {
            std::fputs(kUsage, stdout);
            return 0;
        } else if (a == "--device") {
            device = args[++i];
            ok = !device.isEmpty();
        } else if (a == "--link") {
            link = args[++i];
            ok = !link.isEmpty();
        } else if (a == "--speed") {
            const auto named = linkSpeedOption(args[++i].toInt(&ok));
            ok = ok && named;
            speed = named.value_or(speed);
        } else if (a == "--identify") {
            const int answer = args[++i].toInt(&ok);
            ok = ok && answer >= 0 && answer <= 255;
            options.identifyAnswer = std::uint8_t(answer);
        } else if (a == "--paced") {
            options.paced = true;
        } else if (a.startsWith('-')) {
            return usageError(QStringLiteral("unknown option %1").arg(a));
        } else {
            return usageError(QStringLiteral("unexpected argument %1").arg(a));
        }
        if (!ok)
            return usageError(QStringLiteral("%1 does not take %2").arg(a, args[i]));
    }
    if (!device.isEmpty() && !link.isEmpty())
        return usageError(QStringLiteral("--device and --link exclude each other"));
    options.baud = baudOf(speed);
    options.log = [](const QString& text) {
        std::fprintf(stdout, "orbis-sim: %s\n", qPrintable(text));
        std::fflush(stdout);
    };

    ConverterSimulator sim(options);
    QString error;
    QString path = device;
    const bool opened = !link.isEmpty()    ? sim.openPseudoTerminalAt(link, &error)
                        : device.isEmpty() ? sim.openPseudoTerminal(&path, &error)
                                           : sim.openDevice(device, speed, &error);
    if (!opened) {
        std::fprintf(stderr, "orbis-sim: cannot open the line: %s\n", qPrintable(error));
        return 1;
    }

    const CommandLines commands([&](const QString& line) { runCommand(sim, line); });
    return app.exec();
}
