// SPDX-License-Identifier: GPL-3.0-or-later
// A long run of the sound-card converter as it ships: orbis-modem started as a process on a
// pseudo-terminal behind a stable name. First, transmitting into a WAV file, it takes 1000 uploads
// of a full frame through the program's own link code; then, listening to a WAV file, it receives
// pictures one after the other. At every hundredth upload and every twentieth reception the
// process's resident memory (VmRSS), its open file descriptors (/proc/PID/fd) and its threads
// (/proc/PID/task) are printed; the goal beside them: after the first hundred uploads (twenty
// receptions), less than 2 MB of growth, no new descriptor and no new thread.
//
// The recording plays at real time, so each reception is a Robot 36 picture cut short after its
// header and 8 lines (2.1 s) with 0.6 s of quiet after it, which the converter announces, fills
// into its memory and ends as it ends a picture whose signal was lost: 2.7 s each, 9 minutes for
// 200; 200 whole pictures would take two hours.
//   bench_soak [UPLOADS [RECEPTIONS]]    (default 1000 uploads, 200 receptions)
// ORBIS_MODEM names another orbis-modem to measure (an older build, an installed one).
#include "converter/Modes.h"
#include "link/ConverterLink.h"
#include "link/PictureTransfer.h"
#include "link/TRecThread.h"
#include "modem/SstvEncoder.h"
#include "modem/WavFile.h"
#include "platform/Clock.h"
#include "platform/ConsoleDialogs.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>

#include <cstdio>
#include <cstdlib>
#include <memory>
#include <vector>

using namespace winorbis;

namespace {

constexpr int kRate = 11025;
constexpr int kLinesPerReception = 8;
constexpr double kQuietMs = 600.0;

struct Usage {
    long rssKb = -1;
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
        std::printf("%10s %12s %12s %8s %8s\n", what, "VmRSS kB", "growth kB", "fds", "threads");
    }
    void sample(int count) {
        const Usage now = usageOf(pid_);
        if (base_.rssKb < 0)
            base_ = now;
        last_ = now;
        std::printf("%10d %12ld %12ld %8d %8d\n", count, now.rssKb, now.rssKb - base_.rssKb,
                    now.descriptors, now.threads);
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

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const int uploads = argc > 1 ? std::atoi(argv[1]) : 1000;
    const int receptions = argc > 2 ? std::atoi(argv[2]) : 200;
    QTemporaryDir dir;
    bool ok = true;
    if (uploads > 0)
        ok = soakUploads(dir, uploads) && ok;
    if (receptions > 0)
        ok = soakReceptions(dir, receptions) && ok;
    return ok ? 0 : 1;
}
