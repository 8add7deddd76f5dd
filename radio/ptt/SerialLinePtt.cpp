// SPDX-License-Identifier: GPL-3.0-or-later
#include "SerialLinePtt.h"

#include <QFile>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

namespace winorbis::radio {

namespace {

QString systemError(int error) {
    return QString::fromLocal8Bit(std::strerror(error));
}

QString lineName(SerialLinePtt::Line line) {
    return line == SerialLinePtt::Line::Rts ? QStringLiteral("RTS") : QStringLiteral("DTR");
}

int lineBit(SerialLinePtt::Line line) {
    return line == SerialLinePtt::Line::Rts ? TIOCM_RTS : TIOCM_DTR;
}

} // namespace

int openKeyingDevice(const QString& device, QString* error) {
    const int fd =
        ::open(QFile::encodeName(device).constData(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        if (error)
            *error = QStringLiteral("%1: %2").arg(device, systemError(errno));
        return -1;
    }
    termios tio{};
    if (::tcgetattr(fd, &tio) != 0) {
        const int code = errno;
        ::close(fd);
        if (error)
            *error = code == ENOTTY ? QStringLiteral("%1 is not a serial device").arg(device)
                                    : QStringLiteral("%1: %2").arg(device, systemError(code));
        return -1;
    }
    // Hang up on the last close: the lines drop if the program ends without releasing.
    tio.c_cflag |= HUPCL;
    if (::tcsetattr(fd, TCSANOW, &tio) != 0) {
        const int code = errno;
        ::close(fd);
        if (error)
            *error = QStringLiteral("%1: %2").arg(device, systemError(code));
        return -1;
    }
    return fd;
}

std::unique_ptr<SerialLinePtt> SerialLinePtt::open(Line line, const QString& device,
                                                   QString* error) {
    const int fd = openKeyingDevice(device, error);
    if (fd < 0)
        return nullptr;
    std::unique_ptr<SerialLinePtt> ptt(new SerialLinePtt(line, device, fd));
    // Released from the start; this also shows whether the device has the line at all.
    const int bit = lineBit(line);
    if (::ioctl(fd, TIOCMBIC, &bit) != 0) {
        const int code = errno;
        if (error)
            *error = code == ENOTTY || code == EINVAL
                         ? QStringLiteral("%1 has no %2 line to key the transmitter with (a "
                                          "pseudo-terminal or a port without modem control lines)")
                               .arg(device, lineName(line))
                         : QStringLiteral("%1: the %2 line cannot be set: %3")
                               .arg(device, lineName(line), systemError(code));
        return nullptr;
    }
    return ptt;
}

SerialLinePtt::SerialLinePtt(Line line, const QString& device, int fd)
    : line_(line)
    , device_(device)
    , fd_(fd) {}

SerialLinePtt::~SerialLinePtt() {
    const int bit = lineBit(line_);
    ::ioctl(fd_, TIOCMBIC, &bit);
    ::close(fd_);
}

bool SerialLinePtt::key(bool on, QString* error) {
    const int bit = lineBit(line_);
    if (::ioctl(fd_, on ? TIOCMBIS : TIOCMBIC, &bit) != 0) {
        if (error)
            *error = QStringLiteral("%1 on %2 cannot be %3: %4")
                         .arg(lineName(line_), device_,
                              on ? QStringLiteral("raised") : QStringLiteral("dropped"),
                              systemError(errno));
        return false;
    }
    keyed_ = on;
    return true;
}

QString SerialLinePtt::describe() const {
    return QStringLiteral("%1 on %2").arg(lineName(line_), device_);
}

} // namespace winorbis::radio
