// SPDX-License-Identifier: GPL-3.0-or-later
// web-test-server: the web face on the in-memory station, for the browser tests. Takes the
// program folder's station.conf as the face does (WebPassword=, WebPort=), prints
// "listening http://ADDRESS:PORT/" and then follows commands on standard input:
//   receive MODE ROWS MS   announce a reception of ROWS rows in MODE (a display name without
//                          blanks, "Martin1" as well as "Martin_1") and deliver a row every MS ms,
//                          then store the picture (AutoSpeichern, received.log)
//   status TEXT            the status line says TEXT
//   presence STATE         connected, lost or reconnecting
//   waterfall N            N rows of capture magnitudes
//   calls                  prints the commands the station was given, one per line, then "."
//   quit                   ends
// Options: --folder DIR (required), --listen [ADDR:]PORT (port 0: any free one), --public-view,
// --secure-cookies.
#include "FakeWebStation.h"

#include "web/WebFace.h"

#include <QCoreApplication>
#include <QSocketNotifier>
#include <QTimer>

#include <cstdio>
#include <unistd.h>

using namespace winorbis;

namespace {

void deliver(FakeWebStation& station, int row, int rows, int ms) {
    if (row >= rows) {
        const QDateTime now = QDateTime::currentDateTimeUtc();
        const QString file = station.finish(now, now.toString(QStringLiteral("ddMMyy_HHmmss_zzz")));
        std::printf("stored %s\n", qPrintable(file));
        std::fflush(stdout);
        return;
    }
    station.deliverLine(row);
    QTimer::singleShot(ms, &station,
                       [&station, row, rows, ms] { deliver(station, row + 1, rows, ms); });
}

void execute(FakeWebStation& station, const QString& line) {
    const QStringList words = line.simplified().split(QLatin1Char(' '), Qt::SkipEmptyParts);
    const QString verb = words.value(0);
    if (verb == "receive" && words.size() == 4) {
        const int rows = std::clamp(words[2].toInt(), 1, 256);
        const int ms = std::clamp(words[3].toInt(), 0, 10000);
        station.announce(QString(words[1]).replace(QLatin1Char('_'), QLatin1Char(' ')), rows * ms,
                         {320, rows});
        deliver(station, 0, rows, ms);
    } else if (verb == "status") {
        station.setStatus(line.section(QLatin1Char(' '), 1));
    } else if (verb == "presence" && words.size() == 2) {
        station.setPresence(words[1] == "lost"           ? WebPresence::Lost
                            : words[1] == "reconnecting" ? WebPresence::Reconnecting
                                                         : WebPresence::Connected);
    } else if (verb == "waterfall" && words.size() == 2) {
        for (int n = 0; n < words[1].toInt(); ++n) {
            QByteArray row(256, 0);
            for (int i = 0; i < row.size(); ++i)
                row[i] = char((i * 7 + n * 13) % 256);
            emit station.waterfall(row);
        }
    } else if (verb == "calls") {
        for (const QString& call : station.calls)
            std::printf("%s\n", qPrintable(call));
        std::printf(".\n");
        std::fflush(stdout);
    } else if (verb == "quit") {
        QCoreApplication::quit();
    } else if (!verb.isEmpty()) {
        std::fprintf(stderr, "web-test-server: unknown command %s\n", qPrintable(line));
    }
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    QString folder, listen;
    bool publicView = false, secure = false;
    const QStringList args = app.arguments();
    for (int i = 1; i < args.size(); ++i) {
        if (args[i] == "--folder" && i + 1 < args.size())
            folder = args[++i];
        else if (args[i] == "--listen" && i + 1 < args.size())
            listen = args[++i];
        else if (args[i] == "--public-view")
            publicView = true;
        else if (args[i] == "--secure-cookies")
            secure = true;
        else {
            std::fprintf(stderr, "web-test-server: unknown option %s\n", qPrintable(args[i]));
            return 2;
        }
    }
    if (folder.isEmpty()) {
        std::fprintf(stderr, "web-test-server: --folder DIR is needed\n");
        return 2;
    }
    FakeWebStation station(folder);
    WebOptions options = WebOptions::fromStationConf(folder);
    if (!listen.isEmpty()) {
        const auto parsed = web::parseListen(listen);
        if (!parsed) {
            std::fprintf(stderr, "web-test-server: bad --listen %s\n", qPrintable(listen));
            return 2;
        }
        options.listen = *parsed;
    }
    options.publicView = publicView;
    options.secureCookies = secure;
    QString error;
    const auto face = WebFace::start(station, options, &error);
    if (!face) {
        std::fprintf(stderr, "web-test-server: %s\n", qPrintable(error));
        return 1;
    }
    std::printf("listening http://%s/\n", qPrintable(face->listening().text()));
    std::fflush(stdout);

    QByteArray pending;
    QSocketNotifier input(STDIN_FILENO, QSocketNotifier::Read);
    QObject::connect(&input, &QSocketNotifier::activated, &app, [&] {
        char buffer[4096];
        const ssize_t n = ::read(STDIN_FILENO, buffer, sizeof buffer);
        if (n <= 0) {
            input.setEnabled(false);
            QCoreApplication::quit();
            return;
        }
        pending.append(buffer, n);
        qsizetype end;
        while ((end = pending.indexOf('\n')) >= 0) {
            execute(station, QString::fromUtf8(pending.left(end)));
            pending.remove(0, end + 1);
        }
    });
    return app.exec();
}
