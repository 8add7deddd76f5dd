// SPDX-License-Identifier: GPL-3.0-or-later
// Start-up figures of the program on the simulated converter under the offscreen platform: the
// time from starting the process to the main window shown, and the memory in use once it is
// shown (VmRSS and its peak VmHWM from /proc/self/status).
//
// bench_startup [RUNS] starts itself RUNS times (default 7) as a child process that goes through
// the program's start-up as winorbis --simulate does: the application object, the simulated
// converter on a pseudo-terminal, the ten windows with the identify exchange, the main window
// shown and painted once. The first run starts in a new program folder and is reported apart;
// the others start in the folder it left, as a station starts every day. Between them the same
// process image starts an empty main window, the floor that the libraries, the platform and the
// machine set: what lies above it is the program's own start.
#include "app/AppServices.h"
#include "app/AppWindows.h"
#include "app/TForm1.h"
#include "platform/Clock.h"
#include "platform/ui/QtDialogs.h"
#include "tools/simulator/ConverterSimulator.h"
#include "tools/simulator/ui/SimulatorMenu.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QEvent>
#include <QFile>
#include <QMainWindow>
#include <QMenuBar>
#include <QProcess>
#include <QTemporaryDir>
#include <QTimer>

#include <algorithm>
#include <cstdio>
#include <memory>
#include <vector>

using namespace winorbis;

namespace {

const QByteArray kMarker = "startup-figures:";

// A field of /proc/self/status in kB, or -1.
long statusKilobytes(const QByteArray& field) {
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray& line : status.readAll().split('\n')) {
        if (line.startsWith(field + ':'))
            return line.mid(field.size() + 1).trimmed().split(' ').value(0).toLong();
    }
    return -1;
}

// Ends the event loop once the window has been painted for the first time.
class FirstPaint : public QObject {
public:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Paint && !seen_) {
            seen_ = true;
            // After this paint event has been handled; exit, not quit, which would first ask the
            // main window to close.
            QTimer::singleShot(0, qApp, [] { QCoreApplication::exit(0); });
        }
        return QObject::eventFilter(watched, event);
    }

private:
    bool seen_ = false;
};

// The child: the program's start-up in folder, then one line of figures on standard output.
int runChild(int argc, char** argv, const QString& folder) {
    QElapsedTimer inMain;
    inMain.start();
    QApplication app(argc, argv);
    if (!QDir::setCurrent(folder)) {
        std::fprintf(stderr, "bench_startup: %s is not a folder\n", qPrintable(folder));
        return 1;
    }
    ConverterSimulator simulator(ConverterSimulator::Options{});
    QTemporaryDir line(QDir::tempPath() + QStringLiteral("/winorbis-bench-XXXXXX"));
    const QString port = line.filePath(QStringLiteral("Orbis70p"));
    QString error;
    if (!line.isValid() || !simulator.openPseudoTerminalAt(port, &error)) {
        std::fprintf(stderr, "bench_startup: cannot start the simulated converter: %s\n",
                     qPrintable(error));
        return 1;
    }
    SystemClock clock;
    QtDialogs dialogs;
    // Nobody answers boxes here; their texts still go to standard error.
    dialogs.setUnattended(true);
    auto windows = std::make_unique<AppWindows>(AppServices{dialogs, clock, folder, port});
    dialogs.setParent(&windows->main());
    windows->main().menuBar()->addMenu(
        new SimulatorMenu(simulator, dialogs, windows->main().menuBar()));
    FirstPaint firstPaint;
    windows->main().installEventFilter(&firstPaint);
    windows->main().show();
    QApplication::exec();
    const double shownMs = inMain.nsecsElapsed() / 1e6;
    std::printf("%s %.3f %ld %ld\n", kMarker.constData(), shownMs, statusKilobytes("VmRSS"),
                statusKilobytes("VmHWM"));
    std::fflush(stdout);
    windows.reset();
    return 0;
}

// The floor: the same process image with an empty main window, shown and painted once.
int runEmptyChild(int argc, char** argv) {
    QElapsedTimer inMain;
    inMain.start();
    QApplication app(argc, argv);
    QMainWindow window;
    FirstPaint firstPaint;
    window.installEventFilter(&firstPaint);
    window.show();
    QApplication::exec();
    std::printf("%s %.3f %ld %ld\n", kMarker.constData(), inMain.nsecsElapsed() / 1e6,
                statusKilobytes("VmRSS"), statusKilobytes("VmHWM"));
    std::fflush(stdout);
    return 0;
}

struct Run {
    double toShownMs = 0; // process start to the main window shown, measured outside
    double inMainMs = 0;  // of that, the part inside main()
    long rssKb = 0;
    long hwmKb = 0;
};

// One start of the program in folder, or of the empty window when folder is empty.
bool runOnce(const QString& program, const QString& folder, Run& run) {
    QProcess child;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    child.setProcessEnvironment(environment);
    QElapsedTimer clock;
    clock.start();
    child.start(program, folder.isEmpty() ? QStringList{QStringLiteral("--empty-child")}
                                          : QStringList{QStringLiteral("--child"), folder});
    QByteArray out;
    while (!out.contains('\n') || !out.contains(kMarker)) {
        if (!child.waitForReadyRead(30000))
            break;
        out += child.readAllStandardOutput();
        if (out.contains(kMarker) && out.indexOf('\n', out.indexOf(kMarker)) >= 0)
            break;
    }
    run.toShownMs = clock.nsecsElapsed() / 1e6;
    if (!child.waitForFinished(30000))
        child.kill();
    out += child.readAllStandardOutput();
    const qsizetype at = out.indexOf(kMarker);
    if (at < 0 || child.exitStatus() != QProcess::NormalExit || child.exitCode() != 0) {
        std::fprintf(stderr, "bench_startup: the start-up failed (exit %d):\n%s\n",
                     child.exitCode(), child.readAllStandardError().constData());
        return false;
    }
    const QList<QByteArray> fields =
        out.mid(at + kMarker.size(), out.indexOf('\n', at) - at - kMarker.size())
            .trimmed()
            .split(' ');
    run.inMainMs = fields.value(0).toDouble();
    run.rssKb = fields.value(1).toLong();
    run.hwmKb = fields.value(2).toLong();
    return true;
}

double median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    const size_t n = values.size();
    return n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

double mb(long kb) {
    return kb / 1024.0;
}

} // namespace

int main(int argc, char** argv) {
    if (argc == 3 && QByteArray(argv[1]) == "--child")
        return runChild(argc, argv, QString::fromLocal8Bit(argv[2]));
    if (argc == 2 && QByteArray(argv[1]) == "--empty-child")
        return runEmptyChild(argc, argv);

    QCoreApplication app(argc, argv);
    const int runs = argc > 1 ? std::max(1, QByteArray(argv[1]).toInt()) : 7;
    QTemporaryDir folder;
    if (!folder.isValid()) {
        std::fprintf(stderr, "bench_startup: no temporary folder\n");
        return 1;
    }
    const QString program = QCoreApplication::applicationFilePath();
    std::printf("Start-up on the simulated converter, offscreen platform, %d runs\n", runs);

    Run first;
    if (!runOnce(program, folder.path(), first))
        return 1;
    std::printf("first start in a new folder: %.1f ms to the main window shown, VmRSS %.1f MB, "
                "VmHWM %.1f MB\n",
                first.toShownMs, mb(first.rssKb), mb(first.hwmKb));

    std::vector<double> shown, inMain, rss, hwm, floor;
    for (int i = 0; i < runs; ++i) {
        Run empty;
        if (!runOnce(program, QString(), empty))
            return 1;
        floor.push_back(empty.toShownMs);
        Run run;
        if (!runOnce(program, folder.path(), run))
            return 1;
        shown.push_back(run.toShownMs);
        inMain.push_back(run.inMainMs);
        rss.push_back(mb(run.rssKb));
        hwm.push_back(mb(run.hwmKb));
    }
    std::printf("start to main window shown: min %.1f ms, median %.1f ms, max %.1f ms "
                "(goal: under 60 ms)\n",
                *std::min_element(shown.begin(), shown.end()), median(shown),
                *std::max_element(shown.begin(), shown.end()));
    std::printf("  of which inside main(): median %.1f ms\n", median(inMain));
    std::printf("an empty main window from the same program file: median %.1f ms; the program's "
                "own start above it: %.1f ms\n",
                median(floor), median(shown) - median(floor));
    std::printf("memory after start: VmRSS median %.1f MB, VmHWM median %.1f MB, max %.1f MB "
                "(goal: under 120 MB)\n",
                median(rss), median(hwm), *std::max_element(hwm.begin(), hwm.end()));
    return 0;
}
