// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QStringList>

#include <cstdio>

namespace winorbis {

class AudioInput;
class ProgramFolder;

// orbisctl tune [--list] [--device ID] [--count N] [--bins]: the tuning display on the sound
// card, recorded through the same device as the analyzer window. One line per display update,
// "PERIOD PEAK SYNC MEAN" as analyze prints them (--bins adds the 256 shown bins), until N
// updates (0: until SIGINT or SIGTERM). The device is the one given, else the one the program
// folder's station options keep, else the system's default; --list prints the recording devices
// as "ID<TAB>NAME" instead. Exit 0, 1 when no device can record or it falls silent for
// silenceMs, 2 on a usage error.
int runTune(const QStringList& arguments, const ProgramFolder& folder, AudioInput& input,
            std::FILE* out, std::FILE* err, int silenceMs = 5000);

} // namespace winorbis
