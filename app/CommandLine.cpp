// SPDX-License-Identifier: GPL-3.0-or-later
#include "CommandLine.h"

#include "link/PortFactory.h"

#include <QDir>
#include <QFileInfo>

namespace winorbis {

CommandLine CommandLine::parse(const QStringList& arguments) {
    CommandLine line;
    for (int i = 0; i < arguments.size(); ++i) {
        const QString& arg = arguments[i];
        if (arg == QLatin1String("--help") || arg == QLatin1String("-h")) {
            line.help = true;
        } else if (arg == QLatin1String("--version")) {
            line.version = true;
        } else if (arg == QLatin1String("--folder")) {
            if (i + 1 >= arguments.size()) {
                line.error = QStringLiteral("--folder needs a directory");
                return line;
            }
            line.folder = arguments[++i];
        } else if (arg.startsWith(QLatin1String("--folder="))) {
            line.folder = arg.mid(9);
        } else if (arg == QLatin1String("--port") || arg.startsWith(QLatin1String("--port="))) {
            // An empty device would silently be the settings' port.
            if (arg == QLatin1String("--port") && i + 1 < arguments.size())
                line.port = arguments[++i];
            else
                line.port = arg.mid(7);
            if (line.port.isEmpty()) {
                line.error = QStringLiteral("--port needs a device");
                return line;
            }
            if (const QString problem = portNameProblem(line.port); !problem.isEmpty()) {
                line.error = problem;
                return line;
            }
        } else if (arg == QLatin1String("--simulate")) {
            line.simulate = true;
        } else if (arg == QLatin1String("--sound-card")) {
            line.soundCard = true;
        } else if (arg == QLatin1String("--verbose")) {
            line.verbose = true;
        } else if (arg == QLatin1String("--web") || arg.startsWith(QLatin1String("--web="))) {
            if (arg == QLatin1String("--web") && i + 1 < arguments.size())
                line.web = arguments[++i];
            else if (arg != QLatin1String("--web"))
                line.web = arg.mid(6);
            if (line.web.isEmpty()) {
                line.error = QStringLiteral("--web needs [ADDRESS:]PORT");
                return line;
            }
        } else if (arg == QLatin1String("--public-view")) {
            line.publicView = true;
        } else if (arg.startsWith(QLatin1Char('-'))) {
            // Qt's own options (-platform, -style ...) are taken by QApplication before this.
            line.error = QStringLiteral("unknown option %1").arg(arg);
            return line;
        } else {
            line.error = QStringLiteral("unexpected argument %1").arg(arg);
            return line;
        }
    }
    if (line.folder.isEmpty() && arguments.contains(QLatin1String("--folder=")))
        line.error = QStringLiteral("--folder needs a directory");
    if (line.simulate && !line.port.isEmpty())
        line.error = QStringLiteral("--port and --simulate exclude each other");
    if (line.soundCard && !line.port.isEmpty())
        line.error = QStringLiteral("--port and --sound-card exclude each other");
    if (line.soundCard && line.simulate)
        line.error = QStringLiteral("--simulate and --sound-card exclude each other");
    if (line.publicView && line.web.isEmpty())
        line.error = QStringLiteral("--public-view goes with --web");
    return line;
}

QString CommandLine::defaultFolder(const QString& current, const QString& home,
                                   const QString& dataHome) {
    const QDir here(current);
    // Name filters match whatever the letter case.
    const bool hasSettings = !here.entryList({QStringLiteral("COM.DAT")}, QDir::Files).isEmpty();
    const bool writable = QFileInfo(current).isDir() && QFileInfo(current).isWritable();
    const bool isHome = QDir(current).canonicalPath() == QDir(home).canonicalPath();
    if (hasSettings || (writable && !isHome))
        return current;
    return dataHome + QStringLiteral("/WinOrbis");
}

QString CommandLine::helpText() {
    return QStringLiteral(
        "Usage: winorbis [OPTION]...\n"
        "Control panel and picture store of the Orbis 70p SSTV scan converter.\n"
        "\n"
        "  --folder DIR   use DIR as the program folder (default: the current directory, or\n"
        "                 ~/.local/share/WinOrbis when that is the home folder or cannot be\n"
        "                 written and holds no COM.DAT);\n"
        "                 it holds COM.DAT and the picture folders\n"
        "  --port DEVICE  open DEVICE as the converter's port for this run, instead of the\n"
        "                 COM port of the settings (mapped to devices in ports.conf): a\n"
        "                 serial device, or a serial server across the network as\n"
        "                 rfc2217://HOST:PORT (Telnet with com port control) or\n"
        "                 tcp://HOST:PORT (raw)\n"
        "  --simulate     run on the built-in simulated converter\n"
        "  --sound-card   run on the built-in converter on the computer's sound card: it\n"
        "                 receives and sends SSTV pictures itself, with the devices, the\n"
        "                 push-to-talk and the clock correction of station.conf\n"
        "                 (SoundCapture, SoundPlayback, Ptt, ClockPpm)\n"
        "                 Without --port, --simulate or --sound-card the program runs on the\n"
        "                 converter chosen in the setup window (Converter in station.conf)\n"
        "  --verbose      with --simulate or --sound-card, log every step of the built-in\n"
        "                 converter (each command and each line of a transfer) on standard\n"
        "                 error\n"
        "  --web [ADDRESS:]PORT\n"
        "                 show the station in a browser and take its commands after a login,\n"
        "                 on 127.0.0.1 unless an address is given (another address needs the\n"
        "                 password that orbisctl web-password sets); without --web the setup\n"
        "                 window's \"Web access\" (WebPort in station.conf) decides\n"
        "  --public-view  with --web: the live view and the gallery without a login\n"
        "  --version      print the version and exit\n"
        "  --help         print this help and exit\n");
}

} // namespace winorbis
