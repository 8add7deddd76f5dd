// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QStringList>

#include <cstdio>

namespace winorbis {

class Clock;

// orbisctl listen --save DIR (--capture DEVICE | --input FILE.wav | --input - --rate HZ)
//   a station that only receives: every picture the modem finds, in any mode of its table, is
//   written at its mode's size as a JPEG in DIR with a line in DIR/received.log (the callsign sent
//   in FSK after it as a fifth field), and printed as "TIME MODE LINES/ALL FILE [CALLSIGN]".
//   From a sound card's capture device until SIGINT or SIGTERM (the device may go and come back),
//   from a WAV recording as fast as it is read, or from raw signed 16-bit little-endian mono
//   samples at HZ on in; both to their end. A picture cut short is kept when it has at least
//   kLeastLines lines.
// Exit 0; 1 when DIR cannot be made, the input cannot be opened or a picture cannot be written;
// 2 on a usage error.
int runListen(const QStringList& arguments, const Clock& clock, int in, std::FILE* out,
              std::FILE* err);

// The fewest lines a picture cut short (the signal lost, the input ended) is kept with.
inline constexpr int kLeastLines = 16;

} // namespace winorbis
