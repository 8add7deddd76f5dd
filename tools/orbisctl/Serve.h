// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QStringList>

#include <cstdio>

namespace winorbis {

class ProgramFolder;
class Station;
struct WebOptions;

// orbisctl serve --web [ADDRESS:]PORT [--public-view]: a station without a window, shown in a
// browser and run from there (WebFace). Receptions are fetched and stored as the program stores
// them (the folder's Save Pic Auto), the repeater and the catalog beacon answer to the page; the
// transmit picture comes from start.bmp and goes back there at the end, as the program keeps it.
// Ends on SIGINT or SIGTERM with the settings written; status 1 when the face cannot start or a
// file of the end cannot be written.
struct ServeOptions {
    QString web; // [ADDRESS:]PORT
    bool publicView = false;
};

// The options from the arguments after "serve"; the problem as text on a usage error.
QString parseServeOptions(const QStringList& arguments, ServeOptions& options);
// The face's options: the folder's station.conf, with the address and view of the command line.
WebOptions serveWebOptions(const ProgramFolder& folder, const ServeOptions& options);
// Runs on the station, whose settings are read and converter open, not yet started; the options
// are ones that WebFace::refusal has passed.
int runServe(Station& station, const ServeOptions& options, std::FILE* out, std::FILE* err);

} // namespace winorbis
