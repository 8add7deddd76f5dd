// SPDX-License-Identifier: GPL-3.0-or-later
#include "tools/orbisctl/Beacon.h"

#include "tools/orbisctl/Caption.h"
#include "tools/orbisctl/PictureFile.h"

#include "link/Beacons.h"
#include "link/LinkTexts.h"
#include "platform/Clock.h"
#include "platform/ProgramFolder.h"
#include "platform/TerminationWatcher.h"
#include "settings/SettingsCodec.h"
#include "settings/StationOptions.h"
#include "stationcore/Station.h"

#include <QCoreApplication>
#include <QFile>

namespace winorbis {

namespace {

constexpr int kBeaconPollMs = 10;

int folderInterval(const ProgramFolder& folder) {
    QFile file(folder.path(u"\\COM.DAT"));
    if (!file.open(QIODevice::ReadOnly))
        return 60;
    return SettingsCodec::parse(file.readAll(), Settings::defaults(QString()))
        .settings.beaconInterval;
}

// The command around the beacon: the station's monitor, the page of the options, a TX picture of
// its own with the station's callsign insert, and the pictures sent and failed counted, each sent
// one written to the output.
class BeaconRun final : public CatalogBeaconHost {
public:
    BeaconRun(Station& station, const ProgramFolder& folder, int page, std::FILE* out,
              std::FILE* err)
        : station_(station)
        , folder_(folder)
        , page_(page)
        , out_(out)
        , err_(err) {
        callsign_.callsign = StationOptions::load(folder).flag(QStringLiteral("CallsignInsert"));
    }

    MonitorHold holdMonitor() override { return station_.hold(); }
    int catalogPage() const override { return page_; }
    bool loadIntoTx(const QString& file, QString* why) override {
        QImage picture = loadTxPictureFile(file, why);
        if (picture.isNull())
            return false;
        tx_ = picture;
        return true;
    }
    const QImage& txPicture() const override { return tx_; }
    void beforeUpload() override {
        if (callsign_.callsign) {
            if (const QString problem = applyCaption(tx_, folder_, callsign_); !problem.isEmpty())
                std::fprintf(err_, "orbisctl: %s\n", qPrintable(problem));
        }
    }
    void txPictureChanged() override {}
    void showStatus(const QString&) override {}
    void pictureSent(int page, int position, const QString& file) override {
        std::fprintf(out_, "%d %d %s\n", page, position, qPrintable(file));
        std::fflush(out_);
        ++sent;
    }
    void pictureFailed(int, int, const QString&) override { ++failed; }

    int sent = 0;
    int failed = 0;

private:
    Station& station_;
    const ProgramFolder& folder_;
    int page_;
    std::FILE* out_;
    std::FILE* err_;
    // The station's callsign insert applies to the beacon's pictures as well.
    CaptionRequest callsign_;
    QImage tx_;
};

} // namespace

QString parseBeaconOptions(const QStringList& arguments, BeaconOptions& options) {
    for (int i = 0; i < arguments.size(); ++i) {
        const QString& option = arguments[i];
        if (i + 1 >= arguments.size())
            return QStringLiteral("unknown or incomplete beacon option %1").arg(option);
        const QString value = arguments[++i];
        bool ok = false;
        if (option == "--page") {
            options.page = value.toInt(&ok);
            if (!ok || options.page < 0 || options.page > 17)
                return QStringLiteral("--page takes 0 to 17");
        } else if (option == "--interval") {
            options.interval = value.toInt(&ok);
            if (!ok || options.interval < 0 || options.interval > 9995)
                return QStringLiteral("--interval takes 0 to 9995 seconds");
        } else if (option == "--mode") {
            options.mode = value.toLower();
            if (options.mode != "r36" && options.mode != "m1" && options.mode != "none")
                return QStringLiteral("--mode takes r36, m1 or none");
        } else if (option == "--count") {
            options.count = value.toInt(&ok);
            if (!ok || options.count < 1)
                return QStringLiteral("--count takes a number from 1 on");
        } else {
            return QStringLiteral("unknown beacon option %1").arg(option);
        }
    }
    if (options.page < 0)
        return QStringLiteral("beacon needs --page");
    return {};
}

int runBeacon(Station& station, const ProgramFolder& folder, const BeaconOptions& options,
              std::FILE* out, std::FILE* err) {
    bool stopRequested = false;
    TerminationWatcher termination;
    QObject::connect(&termination, &TerminationWatcher::terminationRequested,
                     [&](int) { stopRequested = true; });
    // The station's reception ends an announced reception's time (the beacon waits for it, it
    // does not fetch) and opens a vanished device again, as the program does.
    Clock& clock = station.clock();
    station.reception().start();

    BeaconRun run(station, folder, options.page, out, err);
    CatalogBeacon beacon(station.link(), station.transfer(), station.gate(), clock,
                         station.dialogs(), folder, run);
    beacon.setInterval(options.interval >= 0 ? options.interval : folderInterval(folder));
    beacon.setMode(options.mode == "m1"     ? BeaconMode::Martin1
                   : options.mode == "none" ? BeaconMode::None
                                            : BeaconMode::Robot36);
    beacon.start();

    std::int64_t nextTick = clock.nowMs() + 1000;
    int status = 0;
    while (!stopRequested) {
        if (clock.nowMs() >= nextTick) {
            nextTick += 1000;
            beacon.tick();
        }
        if (beacon.ended()) {
            std::fprintf(err, "orbisctl: %s\n", qPrintable(linktext::kBeaconPageEmpty));
            status = 1;
            break;
        }
        // With interval 0 the beacon tries one picture and stops.
        if ((options.count > 0 && run.sent >= options.count) ||
            (run.sent + run.failed > 0 && beacon.countdown() == 0))
            break;
        // The station's timers (the end of a reception's time) fire in the wait.
        QCoreApplication::processEvents();
        clock.waitPainting(kBeaconPollMs);
    }
    station.gate().shut();
    station.reception().stop();
    // Fewer pictures out than asked for, or only failed ones, is a failure.
    if (options.count > 0 ? run.sent < options.count : run.failed > 0 && run.sent == 0)
        status = 1;
    return status;
}

} // namespace winorbis
