// SPDX-License-Identifier: GPL-3.0-or-later
#include "HandheldSim.h"
#include "CommandLines.h"

#include "tools/handheldsim/HandheldSimulator.h"

#include <QCoreApplication>
#include <QFile>
#include <QSocketNotifier>

#include <cstdio>
#include <unistd.h>

namespace winorbis {

namespace {

const char* kHandheldUsage =
    "Usage: orbis-sim --handheld [--device DEV] [--speed 1|2] [--preset FILE] [--set LINE]...\n"
    "Simulates a Kenwood VC-H1 handheld on the converter's line. Without --device it opens a\n"
    "pseudo-terminal and prints its name; start winorbis or orbisctl with --port NAME.\n"
    "--preset reads preset lines from FILE (\"#\" starts a comment), --set applies one line;\n"
    "the same lines are taken on standard input:\n"
    "  call TEXT [COLOUR]      the call sign (at most 8 characters) and its colour\n"
    "  colour COLOUR           the call sign's colour: White Yellow Cyanic Green Magenta Red\n"
    "                          Blue Black, or any byte 0..255 by number\n"
    "  interval SECONDS        the automatic-transmission interval, 1..960\n"
    "  ticks N                 the interval in ticks of 15 ms\n"
    "  flags N                 the function flags byte (decimal or 0x..)\n"
    "  page N empty|picture|large [held]\n"
    "                          memory page N (1..10); a large picture makes the next page\n"
    "                          unusable\n"
    "  page N record R0 R1 R2 R3\n"
    "                          the page's four status bytes\n"
    "  silent on|off           answer nothing at all\n"
    "  first-answer-only on|off\n"
    "                          answer each command byte, then nothing more\n"
    "  block-bytes N|all       stop the settings block after N bytes\n"
    "  late ANSWER READS       send answer number ANSWER (1 = the next one) after READS of the\n"
    "                          program's empty reads (20 ms each)\n"
    "  faults off              no faults\n"
    "  show                    print the handheld's state\n"
    "  quit\n";

void print(const QString& text) {
    std::fprintf(stdout, "orbis-sim: %s\n", qPrintable(text));
    std::fflush(stdout);
}

int usageError(const QString& why) {
    std::fprintf(stderr, "orbis-sim: %s\n", qPrintable(why));
    return 2;
}

} // namespace

int runHandheldSimulator(const QStringList& arguments) {
    QString device;
    LinkSpeed speed = LinkSpeed::Baud115200;
    QStringList presets;
    for (int i = 0; i < arguments.size(); ++i) {
        const QString& a = arguments[i];
        const bool takesValue =
            a == "--device" || a == "--speed" || a == "--preset" || a == "--set";
        if (takesValue && i + 1 >= arguments.size())
            return usageError(QStringLiteral("%1 needs a value").arg(a));
        if (a == "--handheld") {
            continue;
        } else if (a == "--help" || a == "-h") {
            std::fputs(kHandheldUsage, stdout);
            return 0;
        } else if (a == "--device") {
            device = arguments[++i];
        } else if (a == "--speed") {
            bool ok = false;
            const auto named = linkSpeedOption(arguments[++i].toInt(&ok));
            if (!ok || !named)
                return usageError(QStringLiteral("--speed takes 1 or 2"));
            speed = *named;
        } else if (a == "--preset") {
            QFile file(arguments[++i]);
            if (!file.open(QIODevice::ReadOnly)) {
                std::fprintf(stderr, "orbis-sim: cannot read %s: %s\n", qPrintable(file.fileName()),
                             qPrintable(file.errorString()));
                return 1;
            }
            presets << QString::fromUtf8(file.readAll());
        } else if (a == "--set") {
            presets << arguments[++i];
        } else {
            return usageError(QStringLiteral("unknown option %1 for --handheld").arg(a));
        }
    }

    HandheldSimulator sim(HandheldSimulator::Options{print});
    for (const QString& preset : presets) {
        QString why;
        if (!sim.applyAll(preset, &why))
            return usageError(QStringLiteral("preset: %1").arg(why));
    }
    QString error;
    QString path = device;
    const bool opened = device.isEmpty() ? sim.openPseudoTerminal(&path, &error)
                                         : sim.openDevice(device, speed, &error);
    if (!opened) {
        std::fprintf(stderr, "orbis-sim: cannot open the line: %s\n", qPrintable(error));
        return 1;
    }

    const CommandLines commands([&](const QString& line) {
        if (line == "quit" || line == "exit") {
            QCoreApplication::quit();
        } else if (line == "show") {
            for (const QString& state : sim.model().describe())
                print(state);
        } else if (line == "help") {
            std::fputs(kHandheldUsage, stdout);
        } else if (QString why; !sim.apply(line, &why)) {
            std::fprintf(stderr, "orbis-sim: %s\n", qPrintable(why));
        }
    });
    return QCoreApplication::exec();
}

} // namespace winorbis
