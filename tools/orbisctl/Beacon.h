// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QStringList>

#include <cstdio>

namespace winorbis {

class Station;

// orbisctl beacon --page P [--interval SECONDS] [--mode r36|m1|none] [--count N]: the catalog
// beacon without a window, on the program folder's catalog, with the program's search order and
// upload. One line per picture sent ("PAGE POSITION FILE"). A reception announced by the
// converter pauses the countdown until its time has run out, as in the program. Ends after N
// pictures, on SIGINT or SIGTERM (status 0), after the last picture of interval 0, or after 25
// empty positions in a row (status 1).
struct BeaconOptions {
    int page = -1;
    int interval = -1; // -1: the folder's settings
    QString mode = QStringLiteral("r36");
    int count = 0;
};

// The options from the arguments after "beacon"; the problem as text on a usage error.
QString parseBeaconOptions(const QStringList& arguments, BeaconOptions& options);
// Runs on the station, whose converter is open and not yet started; its reception opens a
// vanished device again as watch does.
int runBeacon(Station& station, const BeaconOptions& options, std::FILE* out, std::FILE* err);

} // namespace winorbis
