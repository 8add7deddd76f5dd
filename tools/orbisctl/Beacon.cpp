// SPDX-License-Identifier: GPL-3.0-or-later
#include "tools/orbisctl/Beacon.h"

#include "link/LinkTexts.h"
#include "platform/TerminationWatcher.h"
#include "stationcore/Beacons.h"
#include "stationcore/Station.h"

namespace winorbis {

namespace {

// The command's count of the beacon's pictures, each sent one written to the output.
class BeaconCount final : public CatalogBeaconListener {
public:
    explicit BeaconCount(std::FILE* out)
        : out_(out) {}
    void pictureSent(int page, int position, const QString& file) override {
        std::fprintf(out_, "%d %d %s\n", page, position, qPrintable(file));
        std::fflush(out_);
        ++sent;
    }
    void pictureFailed(int, int, const QString&) override { ++failed; }

    int sent = 0;
    int failed = 0;

private:
    std::FILE* out_;
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

int runBeacon(Station& station, const BeaconOptions& options, std::FILE* out, std::FILE* err) {
    bool stopRequested = false;
    QObject context; // the connection ends with the command
    TerminationWatcher termination;
    QObject::connect(&termination, &TerminationWatcher::terminationRequested, &context,
                     [&](int) { stopRequested = true; });
    // The station's reception ends an announced reception's time (the beacon waits for it, it
    // does not fetch) and opens a vanished device again, as the program does.
    station.setSaveAutomatically(false);
    station.settings().catalogPage = options.page;
    BeaconCount count(out);
    CatalogBeacon beacon(station);
    beacon.setListener(&count);
    beacon.setInterval(options.interval >= 0 ? options.interval
                                             : station.settings().beaconInterval);
    beacon.setMode(options.mode == "m1"     ? BeaconMode::Martin1
                   : options.mode == "none" ? BeaconMode::None
                                            : BeaconMode::Robot36);
    station.start();
    beacon.startTimer();
    beacon.start();
    station.runUntil([&] {
        // With interval 0 the beacon tries one picture and stops.
        return stopRequested || beacon.ended() ||
               (options.count > 0 && count.sent >= options.count) ||
               (count.sent + count.failed > 0 && beacon.countdown() == 0 && !station.busy());
    });
    int status = 0;
    if (beacon.ended()) {
        std::fprintf(err, "orbisctl: %s\n", qPrintable(linktext::kBeaconPageEmpty));
        status = 1;
    }
    station.stop();
    // Fewer pictures out than asked for, or only failed ones, is a failure.
    if (options.count > 0 ? count.sent < options.count : count.failed > 0 && count.sent == 0)
        status = 1;
    return status;
}

} // namespace winorbis
