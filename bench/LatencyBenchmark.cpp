// SPDX-License-Identifier: GPL-3.0-or-later
// How quickly the program answers, under the offscreen platform:
//
// - A mode button to the first sound: the station on the sound-card converter (a playback sink in
//   memory that notes when each block of samples is given to it), from the Station::transmit call
//   that the main window's mode buttons make to the block that holds the first sample that is not
//   silence; 20 transmissions with the memory picture and 20 with "Pic / Tx" (the TX picture
//   uploaded first), each cut by the receive stop once it has sounded. Goal: under 50 ms.
// - The window keeps painting during a transfer: the program's windows on the simulated converter
//   paced at 115200 baud, as winorbis --simulate builds them, with a small widget on the main
//   window that repaints from a 10 ms timer; the intervals between its paints and between the
//   timer's calls (the event loop's turns), first while the window is idle, then during the upload
//   of a full frame (about 19 s on the line). Goal: no interval over 20 ms.
//   bench_latency [RUNS]    (default 20 transmissions of each kind)
// BENCH_ONLY=transmit or BENCH_ONLY=paint runs one part.
#include "app/AppServices.h"
#include "app/AppWindows.h"
#include "app/TForm1.h"
#include "converter/Modes.h"
#include "platform/Clock.h"
#include "platform/ConsoleDialogs.h"
#include "platform/ui/QtDialogs.h"
#include "radio/MemoryAudio.h"
#include "radio/SoundCardConverter.h"
#include "stationcore/Station.h"
#include "tools/simulator/ConverterSimulator.h"
#include "tools/simulator/ui/SimulatorMenu.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QMenuBar>
#include <QPainter>
#include <QTemporaryDir>
#include <QTimer>
#include <QWidget>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <fcntl.h>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <unistd.h>
#include <vector>

using namespace winorbis;

namespace {

using Steady = std::chrono::steady_clock;

double msBetween(Steady::time_point from, Steady::time_point to) {
    return std::chrono::duration<double, std::milli>(to - from).count();
}

double percentile(std::vector<double> values, double share) {
    if (values.empty())
        return 0.0;
    std::sort(values.begin(), values.end());
    const auto at = std::size_t(std::ceil(share * double(values.size()))) - 1;
    return values[std::min(at, values.size() - 1)];
}

// ---- a mode button to the first sound

constexpr double kSinkRate = 48000.0;
// A sample further from zero than this is sound (the encoder's peak is 0.7).
constexpr float kSilence = 1e-3f;

// A playback sink that notes when the first block with sound in it was given to it (on the
// converter's worker).
class TimedSink final : public radio::AudioSink {
public:
    double sampleRate() const override { return kSinkRate; }
    bool play(std::span<const float> samples) override {
        const Steady::time_point now = Steady::now();
        std::lock_guard lock(mutex_);
        if (!firstSound_ && std::any_of(samples.begin(), samples.end(),
                                        [](float x) { return std::abs(x) > kSilence; }))
            firstSound_ = now;
        return true;
    }
    double pendingMs() const override { return 0.0; }
    void stop() override {}
    QString problem() const override { return {}; }

    std::optional<Steady::time_point> firstSound() const {
        std::lock_guard lock(mutex_);
        return firstSound_;
    }
    void reset() {
        std::lock_guard lock(mutex_);
        firstSound_.reset();
    }

private:
    mutable std::mutex mutex_; // guards firstSound_
    std::optional<Steady::time_point> firstSound_;
};

// Runs the station's events until done holds, at most ms; done's last answer.
bool runUntil(Station& station, qint64 ms, const std::function<bool()>& done) {
    QElapsedTimer waited;
    waited.start();
    station.runUntil([&] { return done() || waited.elapsed() > ms; });
    return done();
}

bool transmitLatency(int runs) {
    QTemporaryDir folder;
    SystemClock clock;
    ConsoleDialogs dialogs(stderr, QStringLiteral("bench_latency: "));
    TimedSink* sink = nullptr;
    radio::SoundCardConverter* card = nullptr;
    Station::Setup setup;
    setup.folder = folder.path();
    setup.converterFactory = [&]() -> std::unique_ptr<Converter> {
        radio::SoundCardConverter::Devices devices;
        // The capture is there, with nothing in it: the worker listens between its jobs.
        devices.source = std::make_unique<radio::MemoryAudioSource>(kSinkRate);
        auto timed = std::make_unique<TimedSink>();
        sink = timed.get();
        devices.sink = std::move(timed);
        auto made = std::make_unique<radio::SoundCardConverter>(std::move(devices), clock);
        card = made.get();
        return made;
    };
    Station station(setup, dialogs, clock);
    station.folder().createMissingFolders();
    station.readSettings(QString());
    station.openConverter(false);
    station.start();
    QImage picture(410, 256, QImage::Format_RGB32);
    for (int y = 0; y < picture.height(); ++y)
        for (int x = 0; x < picture.width(); ++x)
            picture.setPixel(x, y, qRgb(x * 255 / 409, y, 90));
    station.setTxPicture(picture);
    // Settled: the worker has started and listens.
    runUntil(station, 300, [] { return false; });

    std::printf("A mode button to the first sound: Station::transmit(Robot 36) on the sound-card "
                "converter, sink at %.0f Hz, %d runs each\n",
                kSinkRate, runs);
    bool met = true;
    for (const bool uploadFirst : {false, true}) {
        std::vector<double> latencies;
        int failures = 0;
        for (int i = 0; i < runs; ++i) {
            sink->reset();
            const Steady::time_point pressed = Steady::now();
            if (!station.transmit(ModeId::Robot36, uploadFirst, false) ||
                !runUntil(station, 5000, [&] { return sink->firstSound().has_value(); })) {
                ++failures;
            } else {
                latencies.push_back(msBetween(pressed, *sink->firstSound()));
            }
            // The transmission is cut once it has sounded; the next one starts on a quiet air.
            runUntil(station, 5000, [&] { return !station.busy(); });
            station.receiveStop();
            runUntil(station, 5000, [&] { return !station.busy() && !card->transmitting(); });
        }
        const double median = percentile(latencies, 0.5);
        const double worst = latencies.empty() ? 0.0 : percentile(latencies, 1.0);
        const bool ok = failures == 0 && worst < 50.0;
        met = met && ok;
        std::printf("  %-26s median %6.1f ms, worst %6.1f ms (goal: under 50 ms: %s)%s\n",
                    uploadFirst ? "Pic / Tx (upload first):" : "memory picture:", median, worst,
                    ok ? "met" : "MISSED",
                    failures ? qPrintable(QStringLiteral(", %1 without sound").arg(failures)) : "");
    }
    station.stop();
    return met;
}

// ---- the window keeps painting during a transfer

// A moment on the main thread, with the processor time it has run so far and the time it has
// waited, runnable, for a processor (/proc/thread-self/schedstat): a late interval is the
// program's when the thread ran through it, the machine's when it was waiting for a processor.
struct Mark {
    Steady::time_point at;
    std::int64_t runNs = 0, waitNs = 0;
};

class ThreadClock {
public:
    ThreadClock()
        : fd_(::open("/proc/thread-self/schedstat", O_RDONLY | O_CLOEXEC)) {}
    ~ThreadClock() {
        if (fd_ >= 0)
            ::close(fd_);
    }
    ThreadClock(const ThreadClock&) = delete;
    ThreadClock& operator=(const ThreadClock&) = delete;
    Mark mark() const {
        Mark now{Steady::now()};
        char text[128];
        const ssize_t n = fd_ >= 0 ? ::pread(fd_, text, sizeof text - 1, 0) : -1;
        if (n > 0) {
            text[n] = 0;
            long long run = 0, wait = 0;
            if (std::sscanf(text, "%lld %lld", &run, &wait) == 2) {
                now.runNs = run;
                now.waitNs = wait;
            }
        }
        return now;
    }

private:
    int fd_;
};

// A small widget that asks for a paint every 10 ms and marks when its timer came and when it was
// painted.
class PaintProbe final : public QWidget {
public:
    explicit PaintProbe(QWidget* parent)
        : QWidget(parent) {
        setAttribute(Qt::WA_OpaquePaintEvent);
        timer_.setTimerType(Qt::PreciseTimer);
        QObject::connect(&timer_, &QTimer::timeout, this, [this] {
            ticks_.push_back(clock_.mark());
            update();
        });
        timer_.start(10);
    }
    void clear() {
        ticks_.clear();
        paints_.clear();
    }
    const std::vector<Mark>& ticks() const { return ticks_; }
    const std::vector<Mark>& paints() const { return paints_; }

protected:
    void paintEvent(QPaintEvent*) override {
        paints_.push_back(clock_.mark());
        QPainter painter(this);
        painter.fillRect(rect(), paints_.size() % 2 ? Qt::darkGreen : Qt::green);
    }

private:
    ThreadClock clock_;
    QTimer timer_;
    std::vector<Mark> ticks_, paints_;
};

bool printIntervals(const char* what, const std::vector<Mark>& marks) {
    std::vector<double> gaps;
    int late = 0;
    double running = 0.0, waiting = 0.0, lateMs = 0.0;
    for (std::size_t i = 1; i < marks.size(); ++i) {
        const double gap = msBetween(marks[i - 1].at, marks[i].at);
        gaps.push_back(gap);
        if (gap > 20.0) {
            ++late;
            lateMs += gap;
            running += double(marks[i].runNs - marks[i - 1].runNs) / 1e6;
            waiting += double(marks[i].waitNs - marks[i - 1].waitNs) / 1e6;
        }
    }
    const double largest = gaps.empty() ? 0.0 : *std::max_element(gaps.begin(), gaps.end());
    const bool met = late == 0 && !gaps.empty();
    std::printf("  %-31s %5zu intervals, largest %6.1f ms, 99th percentile %5.1f ms, %d over "
                "20 ms (goal: none over 20 ms: %s)\n",
                what, gaps.size(), largest, percentile(gaps, 0.99), late, met ? "met" : "MISSED");
    if (late > 0)
        std::printf("  %-31s the main thread ran %.1f ms, waited for a processor %.1f ms, slept "
                    "%.1f ms\n",
                    "  in those intervals:", running, waiting, lateMs - running - waiting);
    return met;
}

// Runs the event loop for ms.
void runFor(int ms) {
    QEventLoop loop;
    QTimer::singleShot(ms, &loop, &QEventLoop::quit);
    loop.exec();
}

bool paintsDuringUpload() {
    QTemporaryDir folder, line(QDir::tempPath() + QStringLiteral("/winorbis-bench-XXXXXX"));
    if (!folder.isValid() || !line.isValid() || !QDir::setCurrent(folder.path())) {
        std::fprintf(stderr, "bench_latency: no temporary folder\n");
        return false;
    }
    ConverterSimulator::Options options;
    options.paced = true;
    ConverterSimulator simulator(options);
    const QString port = line.filePath(QStringLiteral("Orbis70p"));
    QString error;
    if (!simulator.openPseudoTerminalAt(port, &error)) {
        std::fprintf(stderr, "bench_latency: cannot start the simulated converter: %s\n",
                     qPrintable(error));
        return false;
    }
    SystemClock clock;
    QtDialogs dialogs;
    // Nobody answers boxes here; their texts still go to standard error.
    dialogs.setUnattended(true);
    auto windows = std::make_unique<AppWindows>(AppServices{dialogs, clock, folder.path(), port});
    TForm1& main = windows->main();
    dialogs.setParent(&main);
    main.menuBar()->addMenu(new SimulatorMenu(simulator, dialogs, main.menuBar()));
    auto* probe = new PaintProbe(&main);
    probe->setGeometry(main.width() - 20, main.height() - 20, 16, 16);
    main.show();
    probe->show();
    probe->raise();
    runFor(1500);

    std::printf("The window keeps painting: the main window on the simulated converter paced at "
                "115200 baud, a widget repainting every 10 ms\n");
    probe->clear();
    runFor(2000);
    printIntervals("idle, 2 s, paints:", probe->paints());
    printIntervals("idle, 2 s, timer calls:", probe->ticks());

    QImage picture(410, 256, QImage::Format_RGB32);
    for (int y = 0; y < picture.height(); ++y)
        for (int x = 0; x < picture.width(); ++x)
            picture.setPixel(x, y, qRgb((x * 5) % 256, (y * 3) % 256, (x + y) % 256));
    main.station().setTxPicture(picture);
    runFor(200);
    QEventLoop uploading;
    bool complete = false;
    QObject::connect(&main.station(), &Station::commandEnded, &uploading,
                     [&](bool whole, const QString&) {
                         complete = whole;
                         uploading.quit();
                     });
    QTimer::singleShot(60000, &uploading, &QEventLoop::quit);
    probe->clear();
    QElapsedTimer upload;
    upload.start();
    main.ToOrbisClick();
    uploading.exec();
    const double seconds = double(upload.elapsed()) / 1000.0;
    const std::vector<Mark>& ticks = probe->ticks();
    const double ranMs =
        ticks.empty() ? 0.0 : double(ticks.back().runNs - ticks.front().runNs) / 1e6;
    std::printf("  upload of a full frame: %.1f s, the main thread ran %.0f ms of it%s\n", seconds,
                ranMs, complete ? "" : " (FAILED: not every line went over)");
    const bool paintsMet = printIntervals("during the upload, paints:", probe->paints());
    const bool ticksMet = printIntervals("during the upload, timer calls:", probe->ticks());
    windows.reset();
    return complete && paintsMet && ticksMet;
}

} // namespace

int main(int argc, char** argv) {
    // The windows are built and painted, never shown to anyone.
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const int runs = argc > 1 ? std::max(1, QByteArray(argv[1]).toInt()) : 20;
    const QByteArray only = qgetenv("BENCH_ONLY");
    bool ok = true;
    if (only.isEmpty() || only == "transmit")
        ok = transmitLatency(runs) && ok;
    if (only.isEmpty() || only == "paint")
        ok = paintsDuringUpload() && ok;
    return ok ? 0 : 1;
}
