// SPDX-License-Identifier: GPL-3.0-or-later
#include "Serve.h"

#include "PictureFile.h"

#include "platform/ProgramFolder.h"
#include "platform/TerminationWatcher.h"
#include "stationcore/Beacons.h"
#include "stationcore/Station.h"
#include "web/StationWeb.h"
#include "web/WebFace.h"
#include "web/WebTexts.h"
#include "workspace/PictureFiles.h"

#include <QFileInfo>

namespace winorbis {

QString parseServeOptions(const QStringList& arguments, ServeOptions& options) {
    for (int i = 0; i < arguments.size(); ++i) {
        const QString& option = arguments[i];
        if (option == "--web" && i + 1 < arguments.size()) {
            options.web = arguments[++i];
            if (!web::parseListen(options.web))
                return webtext::kBadListen.arg(options.web);
        } else if (option == "--public-view") {
            options.publicView = true;
        } else {
            return QStringLiteral("unknown or incomplete serve option %1").arg(option);
        }
    }
    if (options.web.isEmpty())
        return QStringLiteral("serve needs --web [ADDRESS:]PORT");
    return {};
}

WebOptions serveWebOptions(const ProgramFolder& folder, const ServeOptions& options) {
    WebOptions web = WebOptions::fromStationConf(folder.folder());
    web.listen = *web::parseListen(options.web);
    web.publicView = options.publicView;
    return web;
}

int runServe(Station& station, const ServeOptions& options, std::FILE* out, std::FILE* err) {
    const WebOptions web = serveWebOptions(station.folder(), options);
    // As the program does at its start: no received picture is lost for want of a folder, and
    // what a killed program left half-written goes.
    for (const QString& name : station.folder().createMissingFolders())
        std::fprintf(err, "orbisctl: cannot create the folder %s\n",
                     qPrintable(station.folder().path(name)));
    station.folder().removeStaleTemporaryFiles();
    // The transmit picture kept from run to run, as the program keeps it.
    const QString startPicture = station.folder().path(PictureFiles::kStartPictureName);
    if (QFileInfo::exists(startPicture))
        station.loadIntoTx(startPicture, nullptr);
    // Receptions go where the program puts them; the counter and the slot names are kept.
    station.setSaveAutomatically(station.settings().saveAuto);
    QObject context; // the connections end with the command
    QObject::connect(&station, &Station::stored, &context, [&station, err](const StoredPicture& p) {
        for (const QString& problem : p.errors)
            std::fprintf(err, "orbisctl: %s\n", qPrintable(problem));
        station.writeSettings();
    });
    // The catalog beacon on the folder's page and interval, switched on and off from the page.
    CatalogBeacon beacon(station);
    beacon.setInterval(station.settings().beaconInterval);
    StationWeb face(station, &beacon);
    QString why;
    const std::unique_ptr<WebFace> server = WebFace::start(face, web, &why);
    if (!server) {
        std::fprintf(err, "orbisctl: %s\n", qPrintable(why));
        return 1;
    }
    std::fprintf(out, "%s\n", qPrintable(webtext::kListening.arg(server->listening().text())));
    std::fflush(out);

    bool stopRequested = false;
    TerminationWatcher termination;
    QObject::connect(&termination, &TerminationWatcher::terminationRequested, &context,
                     [&](int) { stopRequested = true; });
    station.start();
    beacon.startTimer();
    station.runUntil([&] { return stopRequested; });
    station.stop();
    bool written = true;
    if (const QString error = savePictureFile(station.pictures().tx, startPicture);
        !error.isEmpty()) {
        std::fprintf(err, "orbisctl: %s\n", qPrintable(error));
        written = false;
    }
    return station.writeSettings() && written ? 0 : 1;
}

} // namespace winorbis
