// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

namespace winorbis::radio {

// The guardian's own side (orbis-ptt-guardian, PttGuardian.h): watches the program's socket until
// it closes, releasing the transmitter when the program goes with a key on or a key lasts longer
// than the program said it may; returns the process's exit status.
int runPttGuardian(const QString& pttText, int socket);

} // namespace winorbis::radio
