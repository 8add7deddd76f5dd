// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QStringList>

#include <cstdio>

namespace winorbis {

// orbisctl sstv encode PICTURE OUT.wav --mode MODE [--rate HZ] [--vox] [--fsk-id CALL]
//   the picture (BMP, JPEG or PNG) scaled to the mode's size, sent as 16-bit mono PCM WAV
//   (48000 Hz unless given), the callsign in FSK after it when given; MODE is a short name of
//   the modem's mode table in any case.
// orbisctl sstv decode IN.wav OUT.png|bmp|jpg
//   the first picture of a PCM WAV file (8 to 32 bits, the first channel, any rate) at the
//   mode's size, and one line "MODE LINES CLOCK_PPM OFFSET_HZ"; a line "FSKID CALL" after it
//   when the picture is followed by a callsign in FSK.
// Exit 0, 1 when no picture is found or a file cannot be written, 2 on a usage error or an
// input that cannot be read as such.
int runSstv(const QStringList& arguments, std::FILE* out, std::FILE* err);

// The short names of the modes for the help: lines of at most width characters, each after the
// indent and ending in a newline.
QString sstvModeHelp(const QString& indent, int width);

} // namespace winorbis
