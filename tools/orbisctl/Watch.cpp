// SPDX-License-Identifier: GPL-3.0-or-later
#include "Watch.h"

#include "PictureFile.h"

#include "link/CommandGate.h"
#include "link/ConverterLink.h"
#include "link/ModeTable.h"
#include "link/PictureTransfer.h"
#include "link/TRecThread.h"
#include "platform/Clock.h"
#include "platform/TerminationWatcher.h"
#include "workspace/WorkingPictures.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QDir>

#include <optional>

namespace winorbis {

namespace {

constexpr int kPollMs = 10;

// The monitor's window changes, as a terminal shows them: the announcements, and the end of the
// reception time kept as a deadline.
class ConsoleHost final : public MonitorHost {
public:
    ConsoleHost(ConverterLink& link, Clock& clock, std::FILE* out)
        : link_(link)
        , clock_(clock)
        , out_(out) {}

    void announce(std::uint8_t status) override {
        link_.LastStatus = status;
        const auto id = modeByStatus(status);
        std::fprintf(out_, "%u %s %d\n", unsigned(status),
                     id ? qPrintable(mode(*id).displayName) : "-", receiveWaitMs(status));
        std::fflush(out_);
        ++announcements;
    }
    void startReceiveTimer(int intervalMs) override { deadline = clock_.nowMs() + intervalMs; }
    void stopReceiveTimer() override { deadline.reset(); }
    void setStatusText(const QString&) override {}
    void setLoadButtonEnabled(bool) override {}
    void setRxStopColour(std::uint32_t) override {}
    void selectRepeaterItem(int) override {}
    int repeaterItemToSend() override { return -1; }
    void removeFrames() override {}

    std::optional<std::int64_t> deadline;
    int announcements = 0;

private:
    ConverterLink& link_;
    Clock& clock_;
    std::FILE* out_;
};

} // namespace

int runWatch(ConverterLink& link, Clock& clock, const WatchOptions& options, std::FILE* out,
             std::FILE* err) {
    if (!options.saveFolder.isEmpty() && !QDir(options.saveFolder).exists() &&
        !QDir().mkpath(options.saveFolder)) {
        std::fprintf(err, "orbisctl: cannot create the folder %s\n",
                     qPrintable(options.saveFolder));
        return 1;
    }
    bool stopRequested = false;
    TerminationWatcher termination;
    QObject::connect(&termination, &TerminationWatcher::terminationRequested,
                     [&](int) { stopRequested = true; });

    CommandGate gate;
    ConsoleHost host(link, clock, out);
    PictureTransfer transfer(link, clock);
    int fetched = 0;
    int status = 0;
    link.LinkState = 1;
    TRecThread monitor(link, gate, host, clock);
    monitor.start();

    const auto finished = [&] {
        if (options.count <= 0)
            return false;
        return options.saveFolder.isEmpty() ? host.announcements >= options.count
                                            : fetched >= options.count;
    };
    while (!stopRequested && !finished()) {
        QCoreApplication::processEvents();
        if (host.deadline && clock.nowMs() >= *host.deadline) {
            host.deadline.reset();
            // The end of the reception time: what the program's end-of-reception timer does.
            monitor.release();
            link.LinkState = 1;
            monitor.wake();
            if (!options.saveFolder.isEmpty()) {
                CommandGate::Operation operation(gate);
                monitor.hold();
                QImage picture = WorkingPictures::defaultGradient();
                const bool complete = transfer.FetchPicture(picture);
                const QString name =
                    QDir(options.saveFolder)
                        .filePath(WorkingPictures::timeStamp(QDateTime::currentDateTime()) +
                                  QStringLiteral(".jpg"));
                const QString error = savePictureFile(picture, name);
                if (!error.isEmpty()) {
                    std::fprintf(err, "orbisctl: %s\n", qPrintable(error));
                    status = 1;
                } else {
                    std::fprintf(out, "saved %s%s\n", qPrintable(name),
                                 complete ? "" : " (incomplete)");
                    std::fflush(out);
                }
                ++fetched;
                monitor.release();
            }
        }
        clock.sleep(kPollMs);
    }
    link.LinkState = 0;
    gate.shut();
    monitor.wake();
    return status;
}

} // namespace winorbis
