// SPDX-License-Identifier: GPL-3.0-or-later
// A long run of the sound-card converter as it ships: orbis-modem started as a process on a
// pseudo-terminal behind a stable name, transmitting into a WAV file, takes 1000 uploads of a full
// frame through the program's own link code. At every hundredth upload the process's resident
// memory (VmRSS), its open file descriptors (/proc/PID/fd) and its threads (/proc/PID/task) are
// printed; the goal beside them: after the first hundred, less than 2 MB of growth, no new
// descriptor and no new thread.
//   bench_soak [UPLOADS]    (default 1000)
#include "link/ConverterLink.h"
#include "link/PictureTransfer.h"
#include "link/TRecThread.h"
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

using namespace winorbis;

namespace {

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

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const int uploads = argc > 1 ? std::atoi(argv[1]) : 1000;
    QTemporaryDir dir;
    const QString link = dir.filePath("modem");
    QProcess modem;
    modem.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    modem.setStandardOutputFile(dir.filePath("modem.log"));
    modem.start(QStringLiteral(ORBIS_MODEM_BINARY),
                {"--link", link, "--output", dir.filePath("out.wav")});
    QElapsedTimer waited;
    waited.start();
    while (!QFileInfo::exists(link) && waited.elapsed() < 10000)
        QThread::msleep(20);
    if (!modem.waitForStarted() || !QFileInfo::exists(link)) {
        std::fprintf(stderr, "orbis-modem did not start\n");
        return 1;
    }

    SystemClock clock;
    ConsoleDialogs dialogs;
    ConverterLink converter(clock, failureBoxes(dialogs));
    if (!converter.OpenConverterPort(LinkSpeed::Baud115200, link)) {
        std::fprintf(stderr, "cannot open %s\n", qPrintable(link));
        return 1;
    }
    PictureTransfer transfer(converter, clock);
    QImage picture(410, 256, QImage::Format_RGB888);

    std::printf("orbis-modem (pid %lld), %d uploads of a full frame\n", modem.processId(), uploads);
    std::printf("%8s %12s %12s %8s %6s\n", "uploads", "VmRSS kB", "growth kB", "fds", "threads");
    Usage base;
    int failures = 0;
    QElapsedTimer elapsed;
    elapsed.start();
    for (int i = 1; i <= uploads; ++i) {
        picture.fill(qRgb(i % 256, (i * 7) % 256, 200));
        if (!transfer.UploadPicture(picture, MonitorHold(nullptr)))
            ++failures;
        if (i % 100 != 0 && i != uploads)
            continue;
        const Usage now = usageOf(modem.processId());
        if (base.rssKb < 0)
            base = now;
        std::printf("%8d %12ld %12ld %8d %6d\n", i, now.rssKb, now.rssKb - base.rssKb,
                    now.descriptors, now.threads);
        std::fflush(stdout);
    }
    const Usage end = usageOf(modem.processId());
    const long growth = end.rssKb - base.rssKb;
    std::printf("%d uploads in %.1f s, %d failed\n", uploads, double(elapsed.elapsed()) / 1000.0,
                failures);
    std::printf("goal after the first hundred: growth under 2048 kB (%ld kB: %s), no new "
                "descriptors (%+d: %s), no new threads (%+d: %s)\n",
                growth, growth < 2048 ? "met" : "MISSED", end.descriptors - base.descriptors,
                end.descriptors <= base.descriptors ? "met" : "MISSED", end.threads - base.threads,
                end.threads <= base.threads ? "met" : "MISSED");
    modem.terminate();
    modem.waitForFinished(5000);
    return failures == 0 ? 0 : 1;
}
