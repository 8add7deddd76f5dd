// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

#include <termios.h>

namespace winorbis::simulatedline {

// The system's text for errno.
QString systemError();
// Sets a line raw (no echo, no line editing, no flow control) at the speed; false when the
// terminal refuses.
bool makeRaw(int fd, speed_t speed);

} // namespace winorbis::simulatedline
