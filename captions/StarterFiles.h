// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QStringList>

namespace winorbis {

class ProgramFolder;
class StandardTextLibrary;
struct Settings;

// The files a new program folder gets at its first start, so that the first start shows no
// message: the TX picture of an earlier run "\start.bmp" (the colour-bar test picture), a small
// standard-text library "\winorbis.txt" and the callsign picture "\callsign.bmp". A folder is new
// when it has no settings file "\COM.DAT" yet: a folder that has run the program before and lost
// one of these files still hears about it, and a file that exists is never replaced.
namespace StarterFiles {

bool isNewFolder(const ProgramFolder& folder);

// The starter library: CQ, QRZ, the report and the greetings of a QSO, in its outline form.
StandardTextLibrary starterLibrary();

// Writes those of the three files that the folder lacks, from settings (the callsign picture).
// Returns the reasons of those that could not be written.
QStringList writeMissing(const ProgramFolder& folder, Settings& settings);

} // namespace StarterFiles

} // namespace winorbis
