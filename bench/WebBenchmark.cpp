// SPDX-License-Identifier: GPL-3.0-or-later
// bench_web: the web face with pages in Debian's headless chromium (driven from Node by
// web-bench.js). On the in-memory station: the first page load and the processor share of an idle
// face with one page open. On the station itself, its converter inside the program on the sound
// card, hearing a Martin 1 recording (a WAV file made by the modem, its samples in memory and
// decoded as fast as the decoder goes): the picture received with no page open, then with one and
// with 20 pages open, each byte for byte against the first; the time from each decoded line to its
// arrival in every page, and the time the face takes for each line on the station's thread.
// Prints figures and their goals; asserts nothing.
//   bench_web [IDLE_SECONDS] [PACE]   (PACE: of the 20 pages' reception, 1 the air's own)
#include "modem/SstvEncoder.h"
#include "modem/WavFile.h"
#include "platform/Clock.h"
#include "platform/ConsoleDialogs.h"
#include "platform/ProgramFolder.h"
#include "radio/MemoryAudio.h"
#include "radio/SoundCardConverter.h"
#include "stationcore/Beacons.h"
#include "stationcore/Station.h"
#include "web/FakeWebStation.h"
#include "web/StationWeb.h"
#include "web/WebFace.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFileInfo>
#include <QGuiApplication>
#include <QPainter>
#include <QProcess>
#include <QProcessEnvironment>
#include <QTemporaryDir>
#include <QTimer>

#include <algorithm>
#include <cstdio>
#include <map>
#include <mutex>
#include <set>
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
        QStringList arguments{QStringLiteral(WEB_BENCH_SCRIPT)};
        if (!url.isEmpty())
            arguments << url;
        node_.start(QStringLiteral("node"), arguments);
    }
    ~Browser() {
        say("quit");
        if (!node_.waitForFinished(30000)) {
            node_.kill();
            node_.waitForFinished(5000);
        }
    }
    void say(const QString& line) {
        node_.write(line.toUtf8() + '\n');
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

// The time from each row decoded (epoch milliseconds) to its arrival on each page; the rows that
// came later than lateMs go into late.
std::vector<double> latencies(const QString& arrivals, const std::map<int, qint64>& sent, int pages,
                              double lateMs = 1e9, std::set<int>* late = nullptr) {
    std::vector<double> values;
    std::map<int, int> seen;
    for (const QString& item : arrivals.split(QLatin1Char(' '), Qt::SkipEmptyParts)) {
        const int row = item.section(QLatin1Char(':'), 0, 0).toInt();
        const qint64 at = item.section(QLatin1Char(':'), 1).toLongLong();
        const auto it = sent.find(row);
        if (it == sent.end() || seen[row]++ >= pages)
            continue;
        values.push_back(double(at - it->second));
        if (late && values.back() > lateMs)
            late->insert(row);
    }
    return values;
}

// A picture with the detail of a photograph: gradients across and down, a disc and fine lines.
QImage testPicture() {
    QImage picture(320, 256, QImage::Format_RGB32);
    for (int y = 0; y < picture.height(); ++y)
        for (int x = 0; x < picture.width(); ++x)
            picture.setPixel(x, y, qRgb(x * 255 / 319, 255 - y, (x * y) % 256));
    QPainter painter(&picture);
    painter.setBrush(QColor(250, 200, 40));
    painter.drawEllipse(QPoint(200, 110), 60, 60);
    for (int x = 10; x < 120; x += 6)
        painter.drawLine(x, 150, x, 240);
    return picture;
}

// One reception on the station: the picture and its slot file as stored, when each row was
// decoded, and each line's time in the face on the station's thread.
struct Reception {
    bool stored = false;
    double seconds = 0;
    QImage picture;
    QByteArray slotFile;
    std::map<int, qint64> decoded; // row: epoch milliseconds
    std::vector<double> faceUs;
};

// The station on its converter inside the program on the sound card, hearing a recording in
// memory, decoded as fast as the decoder goes from the station's start; its web face with the
// public view on 127.0.0.1.
class SoundCardStation {
public:
    SoundCardStation(const QString& folder, const sstv::WavAudio& recording)
        : recording_(recording)
        , dialogs_(stderr, QStringLiteral("bench_web: ")) {
        Station::Setup setup;
        setup.folder = folder;
        setup.converterFactory = [this, &recording]() -> std::unique_ptr<Converter> {
            radio::SoundCardConverter::Devices devices;
            auto source = std::make_unique<radio::MemoryAudioSource>(recording.sampleRate);
            source_ = source.get();
            devices.source = std::move(source);
            auto converter =
                std::make_unique<radio::SoundCardConverter>(std::move(devices), clock_);
            // As the station's thread gets each row from the converter's worker.
            QObject::connect(
                converter.get(), &Converter::lineArrived, converter.get(),
                [this](int row, const QImage&) {
                    const std::lock_guard lock(mutex_);
                    decoded_[row] = QDateTime::currentMSecsSinceEpoch();
                },
                Qt::DirectConnection);
            return converter;
        };
        station_ = std::make_unique<Station>(setup, dialogs_, clock_);
        station_->peekSettings();
        station_->folder().createMissingFolders();
        station_->setSaveAutomatically(true);
        station_->openConverter(false);
        // The face's part of each line: between a handler connected before the face's and one
        // connected after it.
        QObject::connect(station_.get(), &Station::lineArrived, &context_,
                         [this](int) { lineTimer_.start(); });
        beacon_ = std::make_unique<CatalogBeacon>(*station_);
        web_ = std::make_unique<StationWeb>(*station_, beacon_.get());
        QObject::connect(station_.get(), &Station::lineArrived, &context_, [this](int) {
            faceUs_.push_back(double(lineTimer_.nsecsElapsed()) / 1000.0);
        });
        QObject::connect(station_.get(), &Station::stored, &context_,
                         [this](const StoredPicture& p) { stored_ = p; });
        WebOptions options;
        options.listen = *web::parseListen(QStringLiteral("127.0.0.1:0"));
        options.publicView = true;
        QString error;
        face_ = WebFace::start(*web_, options, &error);
        if (!face_)
            std::fprintf(stderr, "bench_web: %s\n", qPrintable(error));
    }
    ~SoundCardStation() {
        face_.reset();
        station_->stop();
    }
    QString url() const {
        return face_ ? QStringLiteral("http://%1/").arg(face_->listening().text()) : QString();
    }

    // The recording heard from its start by a converter of its own, until the picture is
    // stored: at pace times the air's pace, or all at once (pace 0; the decoder then takes it in
    // blocks of its own size, so the picture is the same every time).
    Reception receive(double pace) {
        {
            const std::lock_guard lock(mutex_);
            decoded_.clear();
        }
        faceUs_.clear();
        stored_.reset();
        // Every reception on a new converter: the recording from its start.
        station_->openConverter(false);
        const std::vector<float>& samples = recording_.samples;
        std::size_t pushed = 0;
        if (pace <= 0) {
            source_->push(samples);
            source_->close();
            pushed = samples.size();
        }
        QElapsedTimer took;
        took.start();
        station_->start();
        Reception r;
        while (!stored_ && took.elapsed() < 300000) {
            runFor(10);
            if (pushed < samples.size()) {
                const auto due =
                    std::min(samples.size(), std::size_t(double(took.elapsed()) * pace *
                                                         recording_.sampleRate / 1000.0));
                source_->push(std::span<const float>(samples).subspan(pushed, due - pushed));
                pushed = due;
                if (pushed == samples.size())
                    source_->close();
            }
        }
        r.seconds = double(took.elapsed()) / 1000.0;
        if (!stored_)
            return r;
        r.stored = true;
        r.picture = stored_->picture.isNull() ? station_->pictures().rx : stored_->picture;
        QFile slot(stored_->slotFile);
        if (slot.open(QIODevice::ReadOnly))
            r.slotFile = slot.readAll();
        const std::lock_guard lock(mutex_);
        r.decoded = decoded_;
        r.faceUs = faceUs_;
        return r;
    }

private:
    const sstv::WavAudio& recording_;
    radio::MemoryAudioSource* source_ = nullptr; // the converter's, filled here
    SystemClock clock_;
    ConsoleDialogs dialogs_;
    QObject context_;
    std::unique_ptr<Station> station_;
    std::unique_ptr<CatalogBeacon> beacon_;
    std::unique_ptr<StationWeb> web_;
    std::unique_ptr<WebFace> face_;
    std::mutex mutex_; // guards decoded_, which the converter's worker writes
    std::map<int, qint64> decoded_;
    QElapsedTimer lineTimer_;
    std::vector<double> faceUs_;
    std::optional<StoredPicture> stored_;
};

bool samePicture(const QImage& a, const QImage& b) {
    const QImage x = a.convertToFormat(QImage::Format_RGB32);
    const QImage y = b.convertToFormat(QImage::Format_RGB32);
    return x.size() == y.size() && !x.isNull() &&
           std::equal(x.constBits(), x.constBits() + x.sizeInBytes(), y.constBits());
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

// The in-memory station's face: the first page load, and the idle face with one page open.
bool loadAndIdle(int idleSeconds) {
    QTemporaryDir folder;
    FakeWebStation station(folder.path());
    WebOptions options;
    options.listen = *web::parseListen(QStringLiteral("127.0.0.1:0"));
    options.publicView = true;
    QString error;
    const auto face = WebFace::start(station, options, &error);
    if (!face) {
        std::fprintf(stderr, "bench_web: %s\n", qPrintable(error));
        return false;
    }
    const QString url = QStringLiteral("http://%1/").arg(face->listening().text());
    std::printf("bench_web: the web face on %s, Debian's chromium headless\n", qPrintable(url));

    Browser browser(url);
    const QString load = browser.expect(QStringLiteral("load"));
    const QString again = browser.expect(QStringLiteral("load-again"));
    browser.expect(QStringLiteral("ready"));
    std::printf("first page load until its live view is open, by the page's clock from the "
                "navigation's start: %s ms (a second page: %s ms; goal: under 200 ms)\n",
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
    std::fflush(stdout);
    return true;
}

// The station on the sound card hearing Martin 1, with no page and one page open all at once, then
// with twenty pages open at pace times the air's pace.
bool receptions(double pace) {
    QTemporaryDir scratch;
    const QString wav = scratch.filePath(QStringLiteral("martin1.wav"));
    {
        std::vector<std::int16_t> samples =
            sstv::SstvEncoder::encode16(testPicture(), sstv::ModeId::Martin1, {48000.0});
        // A second of quiet after the last line.
        samples.insert(samples.end(), 48000, 0);
        QFile file(wav);
        if (!file.open(QIODevice::WriteOnly) || file.write(sstv::wavBytes(samples, 48000)) < 0) {
            std::fprintf(stderr, "bench_web: %s cannot be written\n", qPrintable(wav));
            return false;
        }
    }
    QString why;
    const auto recording = sstv::readWav(wav, &why);
    if (!recording) {
        std::fprintf(stderr, "bench_web: %s\n", qPrintable(why));
        return false;
    }
    const double airSeconds = double(recording->samples.size()) / recording->sampleRate;
    QTemporaryDir folder;
    SoundCardStation station(folder.path(), *recording);
    if (station.url().isEmpty())
        return false;
    std::printf("bench_web: the station on the sound card on %s, hearing Martin 1 from a WAV file "
                "(%.0f s of air)\n",
                qPrintable(station.url()), airSeconds);

    const Reception alone = station.receive(0);
    if (!alone.stored) {
        std::fprintf(stderr, "bench_web: no picture was stored with no page open\n");
        return false;
    }
    std::printf("no page open, the recording all at once: %zu rows decoded, the picture stored "
                "after %.1f s (%.0f times the air's pace)\n",
                alone.decoded.size(), alone.seconds, airSeconds / alone.seconds);

    Browser browser(QString{});
    browser.expect(QStringLiteral("ready"));
    int open = 0;
    for (const int pages : {1, 20}) {
        browser.say(QStringLiteral("open %1 %2").arg(pages - open).arg(station.url()));
        browser.expect(QStringLiteral("ready"), 120000);
        open = pages;
        browser.say(QStringLiteral("collect"));
        browser.expect(QStringLiteral("arrivals"));
        const Reception r = station.receive(pages == 1 ? 0 : pace);
        runFor(2000);
        browser.say(QStringLiteral("collect"));
        const QString arrivals = browser.expect(QStringLiteral("arrivals"));
        if (!r.stored) {
            std::fprintf(stderr, "bench_web: no picture was stored with %d pages open\n", pages);
            return false;
        }
        const bool same = samePicture(r.picture, alone.picture) && r.slotFile == alone.slotFile &&
                          !r.slotFile.isEmpty();
        std::printf("%d page%s open, the recording %s: the picture stored after %.1f s is %s the "
                    "one with no page open (goal: identical byte for byte)\n",
                    pages, pages == 1 ? "" : "s",
                    pages == 1 ? qPrintable(QStringLiteral("all at once"))
                               : qPrintable(QStringLiteral("at %1 times the air's pace").arg(pace)),
                    r.seconds, same ? "identical to" : "NOT identical to");
        std::set<int> lateRows;
        const std::vector<double> each = latencies(arrivals, r.decoded, pages, 250, &lateRows);
        const Figures lines = figures(each);
        const auto late =
            std::count_if(each.begin(), each.end(), [](double ms) { return ms > 250; });
        QStringList lateNames;
        for (const int row : lateRows)
            if (lateNames.size() < 8)
                lateNames << QString::number(row);
        std::printf("%d page%s open, decoded line to browser: median %.0f ms, 95 %% %.0f ms, "
                    "max %.0f ms over %zu arrivals of %zu; %td later than 250 ms, at %zu rows%s%s "
                    "(goal: under 250 ms)\n",
                    pages, pages == 1 ? "" : "s", lines.median, lines.p95, lines.max, lines.count,
                    r.decoded.size() * std::size_t(pages), late, lateRows.size(),
                    lateNames.isEmpty() ? "" : " ", qPrintable(lateNames.join(QLatin1Char(','))));
        const Figures calls = figures(r.faceUs);
        std::printf("%d page%s open, the face's part of each line on the station's thread: "
                    "median %.0f us, 95 %% %.0f us, max %.0f us over %zu lines (goal: never "
                    "holding up a line; Martin 1 has 446 ms a line)\n",
                    pages, pages == 1 ? "" : "s", calls.median, calls.p95, calls.max, calls.count);
        std::fflush(stdout);
    }
    return true;
}

int main(int argc, char** argv) {
    // The station draws its starter pictures with fonts, which only a GUI application has.
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    if (!nodeModules())
        return 1;
    const int idleSeconds = argc > 1 ? std::max(1, std::atoi(argv[1])) : 20;
    const double pace = argc > 2 ? std::clamp(std::atof(argv[2]), 0.0, 100.0) : 1.0;
    if (!loadAndIdle(idleSeconds))
        return 1;
    return receptions(pace) ? 0 : 1;
}
