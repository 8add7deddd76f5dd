// SPDX-License-Identifier: GPL-3.0-or-later
#include "Watch.h"

#include "link/ModeTable.h"
#include "platform/Clock.h"
#include "platform/TerminationWatcher.h"
#include "stationcore/HeadlessFace.h"
#include "stationcore/ReceivedFiles.h"
#include "stationcore/Station.h"
#include "workspace/WorkingPictures.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QDir>

namespace winorbis {

namespace {

constexpr int kWatchPollMs = 10;

// Keeps a fetched picture in the watch's folder and says where.
class SaveInFolder final : public Station::FetchSteps {
public:
    explicit SaveInFolder(const QString& folder)
        : folder_(folder) {}

    QStringList store(const QImage& picture, const QString& mode) override {
        const ReceivedFile file =
            saveReceivedPicture(picture, folder_, QDateTime::currentDateTime(), mode);
        saved = file.path;
        return file.errors;
    }

    QString saved; // the file written, empty when none was

private:
    const QString& folder_;
};

} // namespace

int runWatch(Station& station, HeadlessFace& face, const WatchOptions& options, std::FILE* out,
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

    int announcements = 0;
    int fetched = 0;
    int status = 0;
    face.announced = [&](std::uint8_t byte) {
        const auto id = modeByStatus(byte);
        std::fprintf(out, "%u %s %d\n", unsigned(byte),
                     id ? qPrintable(mode(*id).displayName) : "-", receiveWaitMs(byte));
        std::fflush(out);
        ++announcements;
    };
    if (!options.saveFolder.isEmpty()) {
        // The end of the reception time fetches the picture, as Save Pic Auto does in the
        // program, and keeps it in the folder.
        face.fetch = [&] {
            QImage picture = WorkingPictures::defaultGradient();
            SaveInFolder steps(options.saveFolder);
            const Station::FetchResult result = station.fetchReceived(picture, false, steps);
            if (!result.ran)
                return;
            ++fetched;
            if (!steps.saved.isEmpty()) {
                std::fprintf(out, "saved %s%s\n", qPrintable(steps.saved),
                             result.complete ? "" : " (incomplete)");
                std::fflush(out);
            }
            if (!result.complete)
                status = 1;
        };
    }
    ReceptionController& reception = station.reception();
    reception.monitor().setReconnecting(options.reconnect);
    reception.start();

    const auto finished = [&] {
        if (options.count <= 0)
            return false;
        return options.saveFolder.isEmpty() ? announcements >= options.count
                                            : fetched >= options.count;
    };
    Clock& clock = station.clock();
    while (!stopRequested && !finished()) {
        if (face.converterLost() && !options.reconnect) {
            status = 1; // the count can no longer be reached
            break;
        }
        // The station's timers (the end of a reception's time) fire in the wait.
        QCoreApplication::processEvents();
        clock.waitPainting(kWatchPollMs);
    }
    station.gate().shut();
    reception.stop();
    return status;
}

} // namespace winorbis
