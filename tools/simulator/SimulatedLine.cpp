// SPDX-License-Identifier: GPL-3.0-or-later
#include "SimulatedLine.h"

#include <cerrno>
#include <cstring>

namespace winorbis::simulatedline {

QString systemError() {
    return QString::fromLocal8Bit(std::strerror(errno));
}

bool makeRaw(int fd, speed_t speed) {
    termios tio{};
    if (::tcgetattr(fd, &tio) != 0)
        return false;
    ::cfmakeraw(&tio);
    tio.c_cflag |= CLOCAL | CREAD;
    tio.c_cflag &= ~tcflag_t(CRTSCTS);
    ::cfsetispeed(&tio, speed);
    ::cfsetospeed(&tio, speed);
    return ::tcsetattr(fd, TCSANOW, &tio) == 0;
}

} // namespace winorbis::simulatedline
