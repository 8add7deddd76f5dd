// SPDX-License-Identifier: GPL-3.0-or-later
// bench_web: the web face on the in-memory station with pages in Debian's headless chromium
// (driven from Node by web-bench.js): the first page load, the processor share of an idle face
// with one page open, the time from a line given to the face to its arrival in the browser, and
// with 20 pages open the time each line call takes on the face's thread. Prints figures and their
// goals; asserts nothing.
//   bench_web [IDLE_SECONDS]
#include "web/FakeWebStation.h"
#include "web/WebFace.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFileInfo>
#include <QProcess>
#include <QProcessEnvironment>
#include <QTemporaryDir>
#include <QTimer>

#include <algorithm>
#include <cstdio>
#include <map>
#include <sys/resource.h>
#include <vector>

using namespace winorbis;

namespace {

double cpuSeconds() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return double(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
           double(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

void runFor(int ms) {
    QEventLoop loop;
    QTimer::singleShot(ms, &loop, &QEventLoop::quit);
    loop.exec();
}

// The browser's side: web-bench.js under Node, one line per answer.
class Browser {
public:
    explicit Browser(const QString& url) {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("NODE_PATH"), QStringLiteral(WEB_NODE_MODULES));
        node_.setProcessEnvironment(env);
        node_.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        node_.start(QStringLiteral("node"), {QStringLiteral(WEB_BENCH_SCRIPT), url});
    }
    ~Browser() {
        say("quit");
        if (!node_.waitForFinished(30000)) {
            node_.kill();
            node_.waitForFinished(5000);
        }
    }
    void say(const char* line) {
        node_.write(QByteArray(line) + '\n');
        node_.waitForBytesWritten(1000);
    }
    // The next line that starts with word, while the face's events go on.
    QString expect(const QString& word, int timeoutMs = 60000) {
        QElapsedTimer waited;
        waited.start();
        while (waited.elapsed() < timeoutMs && node_.state() != QProcess::NotRunning) {
            while (node_.canReadLine()) {
                const QString line = QString::fromUtf8(node_.readLine()).trimmed();
                if (line == word || line.startsWith(word + ' '))
                    return line.mid(word.size() + 1);
                if (line.startsWith(QLatin1String("error ")))
                    std::fprintf(stderr, "bench_web: %s\n", qPrintable(line));
            }
            QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
            node_.waitForReadyRead(10);
        }
        std::fprintf(stderr, "bench_web: the browser did not say \"%s\"\n", qPrintable(word));
        std::exit(1);
    }

private:
    QProcess node_;
};

struct Figures {
    double median = 0, p95 = 0, max = 0;
    std::size_t count = 0;
};
Figures figures(std::vector<double> values) {
    Figures f;
    f.count = values.size();
    if (values.empty())
        return f;
    std::sort(values.begin(), values.end());
    f.median = values[values.size() / 2];
    f.p95 = values[std::min(values.size() - 1, values.size() * 95 / 100)];
    f.max = values.back();
    return f;
}

// Delivers a picture of 256 rows, one row every intervalMs; sent gets each row's epoch
// milliseconds, the result each line call's time on the face's thread in microseconds.
std::vector<double> deliver(FakeWebStation& station, int intervalMs, std::map<int, qint64>& sent) {
    std::vector<double> calls;
    station.announce(QStringLiteral("Martin 1"), 256 * intervalMs, {320, 256});
    QElapsedTimer call;
    for (int row = 0; row < 256; ++row) {
        sent[row] = QDateTime::currentMSecsSinceEpoch();
        call.start();
        station.deliverLine(row);
        calls.push_back(double(call.nsecsElapsed()) / 1000.0);
        runFor(intervalMs);
    }
    return calls;
}

// The time from each row given to its first arrival on each page.
std::vector<double> latencies(const QString& arrivals, const std::map<int, qint64>& sent,
                              int pages) {
    std::vector<double> values;
    std::map<int, int> seen;
    for (const QString& item : arrivals.split(QLatin1Char(' '), Qt::SkipEmptyParts)) {
        const int row = item.section(QLatin1Char(':'), 0, 0).toInt();
        const qint64 at = item.section(QLatin1Char(':'), 1).toLongLong();
        const auto it = sent.find(row);
        if (it != sent.end() && seen[row]++ < pages)
            values.push_back(double(at - it->second));
    }
    return values;
}

} // namespace

// playwright-core as the browser test installs it (npm ci from tests/web's lock file).
bool nodeModules() {
    if (QDir(QStringLiteral(WEB_NODE_MODULES "/playwright-core")).exists())
        return true;
    std::printf("bench_web: installing playwright-core with npm ci\n");
    std::fflush(stdout);
    const QString node = QFileInfo(QStringLiteral(WEB_NODE_MODULES)).path();
    return QProcess::execute(QStringLiteral("sh"),
                             {QStringLiteral("-c"),
                              QStringLiteral("mkdir -p '%1' && cp '%2/package.json' "
                                             "'%2/package-lock.json' '%1/' && cd '%1' && npm ci "
                                             "--no-audit --no-fund --loglevel=error")
                                  .arg(node, QStringLiteral(WEB_TESTS_FOLDER))}) == 0;
}

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    if (!nodeModules())
        return 1;
    const int idleSeconds = argc > 1 ? std::max(1, std::atoi(argv[1])) : 20;
    QTemporaryDir folder;
    FakeWebStation station(folder.path());
    WebOptions options;
    options.listen = *web::parseListen(QStringLiteral("127.0.0.1:0"));
    options.publicView = true;
    QString error;
    const auto face = WebFace::start(station, options, &error);
    if (!face) {
        std::fprintf(stderr, "bench_web: %s\n", qPrintable(error));
        return 1;
    }
    const QString url = QStringLiteral("http://%1/").arg(face->listening().text());
    std::printf("bench_web: the web face on %s, Debian's chromium headless\n", qPrintable(url));

    Browser browser(url);
    const QString load = browser.expect(QStringLiteral("load"));
    const QString again = browser.expect(QStringLiteral("load-again"));
    browser.expect(QStringLiteral("ready"));
    std::printf("first page load until its live view is open: %s ms (a second page: %s ms; "
                "goal: under 200 ms)\n",
                qPrintable(load), qPrintable(again));

    // Idle: one page open, nothing happens.
    runFor(1000);
    const double cpuBefore = cpuSeconds();
    QElapsedTimer idle;
    idle.start();
    runFor(idleSeconds * 1000);
    const double share = 100.0 * (cpuSeconds() - cpuBefore) / (double(idle.elapsed()) / 1000.0);
    std::printf("idle face with one page open: %.3f %% of a core over %d s (goal: under 0.1 %%)\n",
                share, idleSeconds);

    // One page: each line from the face to the browser.
    std::map<int, qint64> sent;
    browser.say("collect");
    browser.expect(QStringLiteral("arrivals"));
    deliver(station, 20, sent);
    runFor(500);
    browser.say("collect");
    Figures f = figures(latencies(browser.expect(QStringLiteral("arrivals")), sent, 1));
    std::printf("line to browser, one page: median %.0f ms, 95 %% %.0f ms, max %.0f ms over %zu "
                "lines (goal: under 250 ms)\n",
                f.median, f.p95, f.max, f.count);

    // Twenty pages while a picture comes in: the line calls on the face's thread.
    browser.say("open 19");
    browser.expect(QStringLiteral("ready"), 120000);
    browser.say("collect");
    browser.expect(QStringLiteral("arrivals"));
    sent.clear();
    const Figures calls = figures(deliver(station, 20, sent));
    runFor(1000);
    browser.say("collect");
    f = figures(latencies(browser.expect(QStringLiteral("arrivals")), sent, 20));
    std::printf("20 pages, each line call on the face's thread: median %.0f us, 95 %% %.0f us, "
                "max %.0f us over %zu lines (goal: the thread never held up; a line every 20 ms)\n",
                calls.median, calls.p95, calls.max, calls.count);
    std::printf("20 pages, line to browser: median %.0f ms, 95 %% %.0f ms, max %.0f ms over %zu "
                "arrivals (goal: under 250 ms)\n",
                f.median, f.p95, f.max, f.count);
    return 0;
}
