// SPDX-License-Identifier: GPL-3.0-or-later
#include "Watch.h"

#include "converter/Modes.h"
#include "platform/TerminationWatcher.h"
#include "stationcore/Station.h"

#include <QDir>

namespace winorbis {

namespace {

// Once the converter is watched: what it announces from now on is heard (a script may wait for
// this before it starts a reception).
void sayWatching(std::FILE* err) {
    std::fprintf(err, "orbisctl: watching the converter\n");
    std::fflush(err);
}

} // namespace

int runWatch(Station& station, const WatchOptions& options, std::FILE* out, std::FILE* err) {
    if (!options.saveFolder.isEmpty() && !QDir(options.saveFolder).exists() &&
        !QDir().mkpath(options.saveFolder)) {
        std::fprintf(err, "orbisctl: cannot create the folder %s\n",
                     qPrintable(options.saveFolder));
        return 1;
    }
    // The connections below end with the command.
    QObject context;
    bool stopRequested = false;
    TerminationWatcher termination;
    QObject::connect(&termination, &TerminationWatcher::terminationRequested, &context,
                     [&](int) { stopRequested = true; });

    int announcements = 0;
    int fetched = 0;
    int status = 0;
    bool lost = false;
    QObject::connect(&station, &Station::announced, &context,
                     [&](std::uint8_t byte, std::optional<ModeId>, const QString& name, int airMs) {
                         std::fprintf(out, "%u %s %d\n", unsigned(byte), qPrintable(name), airMs);
                         std::fflush(out);
                         ++announcements;
                     });
    QObject::connect(
        &station, &Station::presenceChanged, &context,
        [&](linktext::ConverterPresence p) { lost = p == linktext::ConverterPresence::Lost; });
    // With a folder, the end of the reception time fetches the picture, as Save Pic Auto does in
    // the program, and keeps it there.
    station.setSaveAutomatically(!options.saveFolder.isEmpty());
    if (!options.saveFolder.isEmpty()) {
        station.storeInFolder(options.saveFolder);
        QString saved;
        QObject::connect(&station, &Station::stored, &context,
                         [&saved](const StoredPicture& picture) { saved = picture.jpegFile; });
        QObject::connect(&station, &Station::fetchEnded, &context,
                         [&, saved = &saved](bool, bool complete, const QString&) {
                             ++fetched;
                             if (!saved->isEmpty()) {
                                 std::fprintf(out, "saved %s%s\n", qPrintable(*saved),
                                              complete ? "" : " (incomplete)");
                                 std::fflush(out);
                             }
                             saved->clear();
                             if (!complete)
                                 status = 1;
                         });
        station.start();
        sayWatching(err);
        const auto finished = [&] { return options.count > 0 && fetched >= options.count; };
        station.runUntil(
            [&] { return stopRequested || finished() || (lost && !options.reconnect); });
    } else {
        station.start();
        sayWatching(err);
        const auto finished = [&] { return options.count > 0 && announcements >= options.count; };
        station.runUntil(
            [&] { return stopRequested || finished() || (lost && !options.reconnect); });
    }
    // The count can no longer be reached.
    if (lost && !options.reconnect)
        status = 1;
    station.stop();
    return status;
}

} // namespace winorbis
