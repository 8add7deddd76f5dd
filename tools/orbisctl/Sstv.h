// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QStringList>

#include <cstdio>

namespace winorbis {

// orbisctl sstv encode PICTURE OUT.wav --mode r36|r72|m1|m2|s1|s2 [--rate HZ] [--vox]
//   the picture (BMP, JPEG or PNG) scaled to the mode's size, sent as 16-bit mono PCM WAV
//   (48000 Hz unless given).
// orbisctl sstv decode IN.wav OUT.png|bmp|jpg
//   the first picture of a PCM WAV file (8 to 32 bits, the first channel, any rate) at the
//   mode's size, and one line "MODE LINES CLOCK_PPM OFFSET_HZ".
// Exit 0, 1 when no picture is found or a file cannot be written, 2 on a usage error or an
// input that cannot be read as such.
int runSstv(const QStringList& arguments, std::FILE* out, std::FILE* err);

} // namespace winorbis
