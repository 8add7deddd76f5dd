// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

#include <cstdio>

namespace winorbis {

class Station;

// orbisctl watch: follows the converter's status bytes as the program's receive monitor does and
// prints one line per announced reception ("172 Martin 1 115000", "68 - 1000000"). With a save
// folder it fetches each picture when its reception time has run out and writes it there as
// ddmmyy_hhnnss.jpg. Ends after count announcements (0: never) or on SIGINT or SIGTERM.
//
// A device that vanishes is opened again every second until it is back (both said on standard
// error); with reconnect off the watch ends there instead, with status 1. The status is 1 as well
// when a picture could not be written or was stored incomplete.
struct WatchOptions {
    QString saveFolder;
    int count = 0;
    bool reconnect = true;
};

// Runs on the station, whose converter is open and not yet started.
int runWatch(Station& station, const WatchOptions& options, std::FILE* out, std::FILE* err);

} // namespace winorbis
