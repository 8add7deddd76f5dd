// SPDX-License-Identifier: GPL-3.0-or-later
#include "SimulatedLine.h"

#include <QFile>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>

namespace winorbis {

namespace simulatedline {

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

} // namespace simulatedline

namespace {

// Reports errno and closes what was opened so far.
bool failed(QString* error, int first, int second = -1) {
    if (error)
        *error = simulatedline::systemError();
    if (first >= 0)
        ::close(first);
    if (second >= 0)
        ::close(second);
    return false;
}

} // namespace

bool SimulatedLine::openPseudoTerminal(QString* devicePath, QString* error) {
    stop();
    const int master = ::posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
    char name[128] = {};
    if (master < 0 || ::grantpt(master) != 0 || ::unlockpt(master) != 0 ||
        ::ptsname_r(master, name, sizeof name) != 0)
        return failed(error, master);
    const int peer = ::open(name, O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (peer < 0 || !simulatedline::makeRaw(peer, B115200))
        return failed(error, peer, master);
    ::fcntl(master, F_SETFL, ::fcntl(master, F_GETFL) | O_NONBLOCK);
    fd_ = master;
    peerFd_ = peer;
    if (devicePath)
        *devicePath = QString::fromLocal8Bit(name);
    return true;
}

bool SimulatedLine::openDevice(const QString& device, LinkSpeed speed, QString* error) {
    stop();
    const int fd = ::open(QFile::encodeName(device).constData(), O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (fd < 0 || !simulatedline::makeRaw(fd, speed == LinkSpeed::Baud1200 ? B1200 : B115200))
        return failed(error, fd);
    ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) | O_NONBLOCK);
    fd_ = fd;
    return true;
}

void SimulatedLine::serve(std::function<void()> serve) {
    stopServing();
    stopRequested_ = false;
    thread_ = std::thread(std::move(serve));
}

void SimulatedLine::stopServing() {
    stopRequested_ = true;
    if (thread_.joinable())
        thread_.join();
}

void SimulatedLine::close() {
    if (fd_ >= 0)
        ::close(fd_);
    if (peerFd_ >= 0)
        ::close(peerFd_);
    fd_ = peerFd_ = -1;
}

} // namespace winorbis
