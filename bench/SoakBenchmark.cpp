// SPDX-License-Identifier: GPL-3.0-or-later
// Long runs of the sound-card converter, with the process's resident memory (VmRSS), its open
// file descriptors (/proc/PID/fd) and its threads (/proc/PID/task) printed at every hundredth
// upload and every twentieth reception; the goal beside them: after the first hundred uploads
// (twenty receptions), less than 2 MB of growth, no new descriptor and no new thread.
//
// First, orbis-modem as it ships, started as a process on a pseudo-terminal behind a stable name.
// Transmitting into a WAV file, it takes 1000 uploads of a full frame through the program's own
// link code; then, listening to a WAV file, it receives pictures one after the other. The
// recording plays at real time, so each reception is a Robot 36 picture cut short after its
// header and 8 lines (2.1 s) with 0.6 s of quiet after it, which the converter announces, fills
// into its memory and ends as it ends a picture whose signal was lost: 2.7 s each, 9 minutes for
// 200; 200 whole pictures would take two hours.
//
// Then the converter inside the program: the station without a window, on a sound-card converter
// that listens to audio in memory and plays into a WAV file, in a program folder of its own with
// "Save Pic Auto" on. It takes 1000 uploads (the TX picture set, then uploaded), then receives 200
// whole Robot 36 pictures, each given to the converter as soon as the station has stored the one
// before (slot file, JPEG in AutoSpeichern, received.log), in pieces of two seconds of audio, each
// as soon as the converter has taken the one before: decoded as fast as the converter goes, not
// at real time. The repeater is on for every fifth, which it sends back out before the next one
// comes.
//   bench_soak [UPLOADS [RECEPTIONS]]    (default 1000 uploads, 200 receptions, in each part)
// BENCH_ONLY=orbis-modem or BENCH_ONLY=station runs one part. ORBIS_MODEM names another
// orbis-modem to measure (an older build, an installed one).
#include "converter/Modes.h"
#include "link/ConverterLink.h"
#include "link/PictureTransfer.h"
#include "link/TRecThread.h"
#include "modem/SstvEncoder.h"
#include "modem/WavFile.h"
#include "platform/Clock.h"
#include "platform/ConsoleDialogs.h"
#include "radio/MemoryAudio.h"
#include "radio/SoundCardConverter.h"
#include "radio/WavFileAudio.h"
#include "stationcore/Station.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <memory>
#include <vector>

using namespace winorbis;

namespace {

constexpr int kRate = 11025;
constexpr int kLinesPerReception = 8;
constexpr double kQuietMs = 600.0;

struct Usage {
    long rssKb = -1;
    long peakKb = -1; // VmHWM
    int descriptors = -1;
    int threads = -1;
};

Usage usageOf(qint64 pid) {
    Usage usage;
    const QString proc = QStringLiteral("/proc/%1").arg(pid);
    QFile status(proc + "/status");
    if (status.open(QIODevice::ReadOnly)) {
        for (const QByteArray& line : status.readAll().split('\n'))
            if (line.startsWith("VmRSS:"))
                usage.rssKb = line.mid(6).trimmed().split(' ').value(0).toLong();
            else if (line.startsWith("VmHWM:"))
                usage.peakKb = line.mid(6).trimmed().split(' ').value(0).toLong();
    }
    usage.descriptors = int(QDir(proc + "/fd")
                                .entryList(QDir::NoDotAndDotDot | QDir::System | QDir::AllEntries)
                                .size());
    usage.threads = int(QDir(proc + "/task").entryList(QDir::Dirs | QDir::NoDotAndDotDot).size());
    return usage;
}

// The figures of one run: a line per sample, the first one the base of the goal.
class Figures {
public:
    Figures(const char* what, qint64 pid)
        : what_(what)
        , pid_(pid) {
        std::printf("%10s %12s %12s %12s %8s %8s\n", what, "VmRSS kB", "growth kB", "VmHWM kB",
                    "fds", "threads");
    }
    void sample(int count) {
        const Usage now = usageOf(pid_);
        if (base_.rssKb < 0)
            base_ = now;
        last_ = now;
        std::printf("%10d %12ld %12ld %12ld %8d %8d\n", count, now.rssKb, now.rssKb - base_.rssKb,
                    now.peakKb, now.descriptors, now.threads);
        std::fflush(stdout);
    }
    // The goal against the first sample; true when it is met.
    bool goal(int first) const {
        const long growth = last_.rssKb - base_.rssKb;
        const bool met = growth < 2048 && last_.descriptors <= base_.descriptors &&
                         last_.threads <= base_.threads;
        std::printf("goal after the first %d %s: growth under 2048 kB (%ld kB: %s), no new "
                    "descriptors (%+d: %s), no new threads (%+d: %s)\n",
                    first, what_, growth, growth < 2048 ? "met" : "MISSED",
                    last_.descriptors - base_.descriptors,
                    last_.descriptors <= base_.descriptors ? "met" : "MISSED",
                    last_.threads - base_.threads,
                    last_.threads <= base_.threads ? "met" : "MISSED");
        return met;
    }

private:
    const char* what_;
    qint64 pid_;
    Usage base_, last_;
};

// orbis-modem on the link NAME in the folder, with the options; null when it does not come up.
std::unique_ptr<QProcess> startModem(const QString& link, const QStringList& options) {
    auto modem = std::make_unique<QProcess>();
    modem->setProcessChannelMode(QProcess::MergedChannels);
    modem->start(qEnvironmentVariable("ORBIS_MODEM", QStringLiteral(ORBIS_MODEM_BINARY)),
                 QStringList{"--link", link} + options);
    QElapsedTimer waited;
    waited.start();
    while (!QFileInfo::exists(link) && waited.elapsed() < 10000)
        QThread::msleep(20);
    if (!modem->waitForStarted() || !QFileInfo::exists(link)) {
        std::fprintf(stderr, "orbis-modem did not start: %s\n", modem->readAll().constData());
        return nullptr;
    }
    return modem;
}

void stopModem(QProcess& modem) {
    modem.terminate();
    modem.waitForFinished(5000);
}

bool soakUploads(const QTemporaryDir& dir, int uploads) {
    const QString link = dir.filePath("modem-tx");
    const auto modem = startModem(link, {"--output", dir.filePath("out.wav")});
    if (!modem)
        return false;
    SystemClock clock;
    ConsoleDialogs dialogs;
    ConverterLink converter(clock, failureBoxes(dialogs));
    if (!converter.OpenConverterPort(LinkSpeed::Baud115200, link)) {
        std::fprintf(stderr, "cannot open %s\n", qPrintable(link));
        return false;
    }
    PictureTransfer transfer(converter, clock);
    QImage picture(410, 256, QImage::Format_RGB888);

    std::printf("orbis-modem (pid %lld), %d uploads of a full frame\n", modem->processId(),
                uploads);
    Figures figures("uploads", modem->processId());
    int failures = 0;
    QElapsedTimer elapsed;
    elapsed.start();
    for (int i = 1; i <= uploads; ++i) {
        picture.fill(qRgb(i % 256, (i * 7) % 256, 200));
        if (!transfer.UploadPicture(picture, MonitorHold(nullptr)))
            ++failures;
        if (i % 100 == 0 || i == uploads)
            figures.sample(i);
    }
    std::printf("%d uploads in %.1f s, %d failed\n", uploads, double(elapsed.elapsed()) / 1000.0,
                failures);
    const bool met = figures.goal(100);
    stopModem(*modem);
    return met && failures == 0;
}

// A recording of count Robot 36 pictures, each cut short after its header and a few lines and
// followed by quiet.
bool writeRecording(const QString& path, int count) {
    QImage picture(320, 240, QImage::Format_RGB32);
    picture.fill(qRgb(200, 60, 30));
    sstv::EncoderOptions options;
    options.sampleRate = kRate;
    const std::vector<std::int16_t> whole =
        sstv::SstvEncoder::encode16(picture, ModeId::Robot36, options);
    const double headMs = kVisMs + kLinesPerReception * mode(ModeId::Robot36).lineMs;
    const std::size_t head = std::size_t(headMs * kRate / 1000.0);
    const std::size_t quiet = std::size_t(kQuietMs * kRate / 1000.0);
    std::vector<std::int16_t> samples;
    samples.reserve(std::size_t(count) * (head + quiet));
    for (int i = 0; i < count; ++i) {
        samples.insert(samples.end(), whole.begin(), whole.begin() + std::ptrdiff_t(head));
        samples.insert(samples.end(), quiet, 0);
    }
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(sstv::wavBytes(samples, kRate)) > 0 &&
           file.flush();
}

bool soakReceptions(const QTemporaryDir& dir, int receptions) {
    const QString recording = dir.filePath("pictures.wav");
    if (!writeRecording(recording, receptions)) {
        std::fprintf(stderr, "cannot write %s\n", qPrintable(recording));
        return false;
    }
    const auto modem = startModem(dir.filePath("modem-rx"), {"--input", recording});
    if (!modem)
        return false;
    std::printf("orbis-modem (pid %lld), %d receptions of Robot 36 cut after %d lines\n",
                modem->processId(), receptions, kLinesPerReception);
    Figures figures("receptions", modem->processId());
    int received = 0;
    bool ended = false;
    QElapsedTimer elapsed;
    elapsed.start();
    const qint64 limitMs = qint64(receptions) * 8000 + 30000;
    while (!ended && elapsed.elapsed() < limitMs && modem->state() == QProcess::Running) {
        modem->waitForReadyRead(1000);
        while (modem->canReadLine()) {
            const QByteArray line = modem->readLine();
            if (line.startsWith("End of the recording"))
                ended = true;
            if (!line.startsWith("Received "))
                continue;
            ++received;
            if (received % 20 == 0 || received == receptions)
                figures.sample(received);
        }
    }
    std::printf("%d of %d receptions in %.1f s\n", received, receptions,
                double(elapsed.elapsed()) / 1000.0);
    const bool met = figures.goal(20);
    stopModem(*modem);
    return met && received == receptions;
}

// The sound-card converter's clock in the station part: kAirSpeedUp times faster than real time,
// so that the repeater's transmission (36 s on the air) is played into its file in a third of a
// second. Receptions do not wait on it: their samples come from memory as fast as they are taken.
constexpr int kAirSpeedUp = 100;
// The audio of a reception goes to the converter in pieces of this many samples (two seconds).
constexpr std::size_t kPiece = 2 * kRate;

class FastClock final : public Clock {
public:
    std::int64_t nowMs() const override { return real_.nowMs() * kAirSpeedUp; }
    void sleep(int ms) override { real_.sleep(std::max(1, ms / kAirSpeedUp)); }
    bool waitPainting(int ms) override { return real_.waitPainting(ms / kAirSpeedUp); }
    bool keepPainting() override { return real_.keepPainting(); }
    std::unique_ptr<ClockTimer> createTimer(std::function<void()> onTick) override {
        return real_.createTimer(std::move(onTick));
    }

private:
    SystemClock real_;
};

// Runs the station's events until done holds, at most ms; done's last answer.
bool runUntil(Station& station, qint64 ms, const std::function<bool()>& done) {
    QElapsedTimer waited;
    waited.start();
    station.runUntil([&] { return done() || waited.elapsed() > ms; });
    return done();
}

bool soakStation(const QTemporaryDir& dir, int uploads, int receptions) {
    // VmHWM from here on: the peak of the orbis-modem part's recording is not the station's.
    QFile clearRefs(QStringLiteral("/proc/self/clear_refs"));
    if (clearRefs.open(QIODevice::WriteOnly))
        clearRefs.write("5");
    clearRefs.close();
    const QString folder = dir.filePath("station");
    QDir().mkpath(folder);
    SystemClock clock;
    FastClock airClock;
    ConsoleDialogs dialogs(stderr, QStringLiteral("bench_soak: "));
    radio::MemoryAudioSource* source = nullptr;
    radio::SoundCardConverter* card = nullptr;
    QString sinkProblem;
    Station::Setup setup;
    setup.folder = folder;
    setup.converterFactory = [&]() -> std::unique_ptr<Converter> {
        radio::SoundCardConverter::Devices devices;
        auto memory = std::make_unique<radio::MemoryAudioSource>(kRate);
        source = memory.get();
        devices.source = std::move(memory);
        devices.sink =
            radio::WavFileSink::create(dir.filePath("station-out.wav"), kRate, &sinkProblem);
        auto made = std::make_unique<radio::SoundCardConverter>(std::move(devices), airClock);
        card = made.get();
        return made;
    };
    Station station(setup, dialogs, clock);
    // The settings' defaults, without the starter files (the callsign picture needs fonts, which
    // a process without a GUI application has none of).
    station.peekSettings();
    station.folder().createMissingFolders();
    station.setSaveAutomatically(true);
    station.openConverter(false);
    if (!source || !card || !sinkProblem.isEmpty()) {
        std::fprintf(stderr, "bench_soak: no sound-card converter: %s\n", qPrintable(sinkProblem));
        return false;
    }
    station.start();
    int stored = 0, incomplete = 0, sent = 0;
    QObject::connect(&station, &Station::stored, &station, [&](const StoredPicture& picture) {
        ++stored;
        if (!picture.complete || !picture.errors.isEmpty() || picture.jpegFile.isEmpty() ||
            picture.slotFile.isEmpty())
            ++incomplete;
    });
    QObject::connect(&station, &Station::transmissionStarted, &station, [&](int) { ++sent; });
    const qint64 pid = QCoreApplication::applicationPid();
    bool ok = true;

    if (uploads > 0) {
        std::printf("the station in this process (pid %lld) on the sound card, %d uploads of a "
                    "full frame\n",
                    pid, uploads);
        Figures figures("uploads", pid);
        QImage picture(410, 256, QImage::Format_RGB32);
        int failures = 0;
        QElapsedTimer elapsed;
        elapsed.start();
        for (int i = 1; i <= uploads; ++i) {
            picture.fill(qRgb(i % 256, (i * 7) % 256, 200));
            station.setTxPicture(picture);
            if (!station.upload() || !runUntil(station, 10000, [&] { return !station.busy(); }))
                ++failures;
            if (i % 100 == 0 || i == uploads)
                figures.sample(i);
        }
        std::printf("%d uploads in %.1f s, %d failed\n", uploads,
                    double(elapsed.elapsed()) / 1000.0, failures);
        ok = figures.goal(100) && failures == 0;
    }

    if (receptions > 0) {
        QImage picture(320, 240, QImage::Format_RGB32);
        for (int y = 0; y < picture.height(); ++y)
            for (int x = 0; x < picture.width(); ++x)
                picture.setPixel(x, y, qRgb(x * 255 / 319, y * 255 / 239, 128));
        sstv::EncoderOptions options;
        options.sampleRate = kRate;
        std::vector<float> audio = sstv::SstvEncoder::encode(picture, ModeId::Robot36, options);
        audio.insert(audio.end(), std::size_t(kQuietMs * kRate / 1000.0), 0.0f);
        std::printf("the station in this process (pid %lld) on the sound card, %d receptions of "
                    "a whole Robot 36 picture stored, the repeater on for every fifth\n",
                    pid, receptions);
        Figures figures("receptions", pid);
        int lost = 0;
        QElapsedTimer elapsed;
        elapsed.start();
        for (int i = 1; i <= receptions; ++i) {
            const bool repeat = i % 5 == 0;
            station.switchRepeater(repeat);
            const int storedBefore = stored, sentBefore = sent;
            // In pieces of two seconds, each as soon as the converter has taken the one before;
            // then silence, as a capture goes on after a picture (its end waits on the audio
            // after it for an FSK ID).
            std::size_t given = 0;
            const std::vector<float> quiet(kPiece, 0.0f);
            bool done = runUntil(station, 60000, [&] {
                if (source->waiting() == 0) {
                    if (given < audio.size()) {
                        const std::size_t piece = std::min(audio.size() - given, kPiece);
                        source->push(std::span<const float>(audio).subspan(given, piece));
                        given += piece;
                    } else {
                        source->push(quiet);
                    }
                }
                return stored > storedBefore;
            });
            // The repeater sends the picture back a second after its end; the next one comes
            // once it is out.
            if (done && repeat)
                done = runUntil(station, 60000, [&] {
                    return sent > sentBefore && !card->transmitting() && !station.busy();
                });
            if (!done) {
                ++lost;
                std::fprintf(stderr, "bench_soak: reception %d not %s\n", i,
                             stored > storedBefore ? "sent back" : "stored");
            }
            if (i % 20 == 0 || i == receptions)
                figures.sample(i);
        }
        // What the folder holds: a JPEG and a line of received.log for each.
        const QString saved = station.folder().path(u"\\AutoSpeichern");
        const auto jpegs = QDir(saved).entryList({"*.jpg"}, QDir::Files).size();
        QFile log(QDir(saved).filePath("received.log"));
        const auto logLines = log.open(QIODevice::ReadOnly) ? log.readAll().count('\n') : 0;
        std::printf("%d receptions stored in %.1f s (%d incomplete or not written, %d lost), %d "
                    "sent back by the repeater; AutoSpeichern holds %lld JPEG files, "
                    "received.log %lld lines\n",
                    stored, double(elapsed.elapsed()) / 1000.0, incomplete, lost, sent,
                    qint64(jpegs), qint64(logLines));
        ok = figures.goal(20) && incomplete == 0 && lost == 0 && jpegs == receptions &&
             logLines == receptions && ok;
    }
    station.stop();
    return ok;
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const int uploads = argc > 1 ? std::atoi(argv[1]) : 1000;
    const int receptions = argc > 2 ? std::atoi(argv[2]) : 200;
    const QByteArray only = qgetenv("BENCH_ONLY");
    QTemporaryDir dir;
    bool ok = true;
    if (only.isEmpty() || only == "orbis-modem") {
        if (uploads > 0)
            ok = soakUploads(dir, uploads) && ok;
        if (receptions > 0)
            ok = soakReceptions(dir, receptions) && ok;
    }
    if (only.isEmpty() || only == "station")
        ok = soakStation(dir, uploads, receptions) && ok;
    return ok ? 0 : 1;
}
