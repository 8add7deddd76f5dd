// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QStringList>

#include <cstdio>

namespace winorbis {

// orbisctl analyze FILE.wav [--bins] [--png OUT.png]: the tuning display's analysis over a
// recording (PCM mono, 8000 Hz, 8 or 16 bits). One line per display update, "PERIOD PEAK SYNC
// MEAN" (see tuningdisplay::Summary), with --bins followed by the 256 shown bin counts; with --png
// the last display as the window draws it, with its scale. Exit 0, 1 when the picture cannot be
// written, 2 on a usage error or a file that is no such recording.
int runAnalyze(const QStringList& arguments, std::FILE* out, std::FILE* err);

} // namespace winorbis
