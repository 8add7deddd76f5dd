// SPDX-License-Identifier: GPL-3.0-or-later
#include "Watch.h"

#include "PictureFile.h"

#include "link/CommandGate.h"
#include "link/ConverterLink.h"
#include "link/LinkTexts.h"
#include "link/ModeTable.h"
#include "link/PictureTransfer.h"
#include "link/TRecThread.h"
#include "platform/Clock.h"
#include "platform/ConsoleDialogs.h"
#include "platform/TerminationWatcher.h"
#include "workspace/ReceivedPictureStore.h"
#include "workspace/ReceptionLog.h"
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
class ConsoleHost final : public SilentMonitorHost {
public:
    ConsoleHost(Clock& clock, std::FILE* out)
        : clock_(clock)
        , out_(out) {}

    void announce(std::uint8_t status) override {
        const auto id = modeByStatus(status);
        std::fprintf(out_, "%u %s %d\n", unsigned(status),
                     id ? qPrintable(mode(*id).displayName) : "-", receiveWaitMs(status));
        std::fflush(out_);
        ++announcements;
        announcedMode = id ? mode(*id).displayName : QString();
    }
    void startReceiveTimer(int intervalMs) override { deadline = clock_.nowMs() + intervalMs; }
    void stopReceiveTimer() override { deadline.reset(); }
    void connectionLost(const QString& device) override {
        lost = true;
        ConsoleNotes::write(reconnect ? linktext::kConnectionLost.arg(device)
                                      : QStringLiteral("the connection to the converter on %1 "
                                                       "is lost")
                                            .arg(device));
    }
    void connectionRestored() override {
        lost = false;
        ConsoleNotes::write(linktext::kConnectedAgain);
    }

    std::optional<std::int64_t> deadline;
    int announcements = 0;
    QString announcedMode; // of the reception announced last
    bool reconnect = true;
    bool lost = false;

private:
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
    ConsoleHost host(clock, out);
    host.reconnect = options.reconnect;
    PictureTransfer transfer(link, clock);
    int fetched = 0;
    int status = 0;
    TRecThread monitor(link, gate, host, clock);
    monitor.setReconnecting(options.reconnect);
    monitor.start();

    const auto finished = [&] {
        if (options.count <= 0)
            return false;
        return options.saveFolder.isEmpty() ? host.announcements >= options.count
                                            : fetched >= options.count;
    };
    while (!stopRequested && !finished()) {
        QCoreApplication::processEvents();
        if (host.lost && !options.reconnect) {
            status = 1; // the count can no longer be reached
            break;
        }
        if (host.deadline && clock.nowMs() >= *host.deadline) {
            host.deadline.reset();
            // The end of the reception time: what the program's end-of-reception timer does.
            monitor.endReception();
            if (!options.saveFolder.isEmpty()) {
                CommandGate::Operation operation(gate);
                const MonitorHold hold(&monitor);
                QImage picture = WorkingPictures::defaultGradient();
                const bool complete = transfer.FetchPicture(picture, hold);
                const QDateTime when = QDateTime::currentDateTime();
                const QString name = ReceivedPictureStore::unusedFileName(
                    options.saveFolder, WorkingPictures::timeStamp(when), QStringLiteral(".jpg"));
                QString error = savePictureFile(picture, name);
                // The folder's reception log records it as the program's does.
                const QString logProblem =
                    ReceptionLog(options.saveFolder)
                        .append({when, host.announcedMode, {}, error.isEmpty() ? name : QString()});
                if (!logProblem.isEmpty()) {
                    std::fprintf(err, "orbisctl: %s\n", qPrintable(logProblem));
                    status = 1;
                }
                if (!error.isEmpty()) {
                    std::fprintf(err, "orbisctl: %s\n", qPrintable(error));
                    status = 1;
                } else {
                    std::fprintf(out, "saved %s%s\n", qPrintable(name),
                                 complete ? "" : " (incomplete)");
                    std::fflush(out);
                    if (!complete)
                        status = 1;
                }
                ++fetched;
            }
        }
        clock.sleep(kPollMs);
    }
    gate.shut();
    monitor.stop();
    return status;
}

} // namespace winorbis
