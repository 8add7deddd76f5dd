// SPDX-License-Identifier: GPL-3.0-or-later
#include "SerialPort.h"
#include "PortSystem.h"

#include "platform/Clock.h"

#include <QFile>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <fcntl.h>
#include <linux/serial.h>
#include <poll.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <termios.h>
#include <unistd.h>
#include <utility>

namespace winorbis {

namespace {

using SteadyClock = std::chrono::steady_clock;

// USB serial adapters otherwise hold received bytes back for up to 16 ms.
void askForLowLatency(int fd) {
    serial_struct serial{};
    if (::ioctl(fd, TIOCGSERIAL, &serial) == 0) {
        serial.flags |= ASYNC_LOW_LATENCY;
        ::ioctl(fd, TIOCSSERIAL, &serial);
    }
}

bool isPseudoTerminal(int fd) {
    struct stat info {};
    // Unix 98 pseudo-terminal slaves have the major numbers 136 to 143.
    return ::fstat(fd, &info) == 0 && S_ISCHR(info.st_mode) && major(info.st_rdev) >= 136 &&
           major(info.st_rdev) <= 143;
}

int openDevice(const QString& device, QString* error) {
    const int fd =
        ::open(QFile::encodeName(device).constData(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0 && error)
        *error = systemError(errno);
    return fd;
}

bool takeDevice(int fd, QString* error) {
    // Not shared: another program holding the device (or its lock) makes it busy.
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        if (error)
            *error = systemError(errno == EWOULDBLOCK ? EBUSY : errno);
        return false;
    }
    ::ioctl(fd, TIOCEXCL);
    return true;
}

bool setLine(int fd, LinkSpeed lineSpeed, QString* error) {
    termios tio{};
    if (::tcgetattr(fd, &tio) != 0) {
        *error = systemError(errno);
        return false;
    }
    ::cfmakeraw(&tio);
    tio.c_cflag &= ~tcflag_t(CSIZE | PARENB | CSTOPB | CRTSCTS);
    tio.c_cflag |= CS8 | CLOCAL | CREAD;
    tio.c_iflag &= ~tcflag_t(IXON | IXOFF | IXANY);
    tio.c_cc[VMIN] = 0;
    tio.c_cc[VTIME] = 0;
    const speed_t speed = lineSpeed == LinkSpeed::Baud1200 ? B1200 : B115200;
    ::cfsetispeed(&tio, speed);
    ::cfsetospeed(&tio, speed);
    if (::tcsetattr(fd, TCSANOW, &tio) != 0) {
        *error = systemError(errno);
        return false;
    }
    askForLowLatency(fd);
    return true;
}

} // namespace

SerialPort::SerialPort(Clock& clock)
    : clock_(clock) {}

SerialPort::~SerialPort() {
    close();
}

void SerialPort::close() {
    if (fd_ >= 0) {
        ::ioctl(fd_, TIOCNXCL);
        ::close(fd_);
        fd_ = -1;
    }
}

bool SerialPort::open(const QString& device) {
    close();
    device_ = device;
    lastError_.clear();
    gone_ = false;
    if (device.isEmpty()) {
        lastError_ = QStringLiteral("no device");
        return false;
    }
    const int fd = openDevice(device, &lastError_);
    if (fd < 0)
        return false;
    if (!takeDevice(fd, &lastError_)) {
        ::close(fd);
        return false;
    }
    fd_ = fd;
    pseudoTerminal_ = isPseudoTerminal(fd);
    unsentBytes_ = 0;
    return true;
}

bool SerialPort::configure(LinkSpeed speed) {
    if (fd_ < 0) {
        if (lastError_.isEmpty())
            lastError_ = systemError(EBADF);
        return false;
    }
    if (baudOf(speed) == 0) {
        lastError_ = QStringLiteral("line speed %1 is unknown").arg(int(speed));
        return false;
    }
    if (!setLine(fd_, speed, &lastError_))
        return false;
    speed_ = speed;
    baud_ = baudOf(speed);
    return true;
}

bool SerialPort::reopen() {
    // Only a device that was in use and has gone comes back; one that never opened stays closed.
    if (fd_ < 0 || !gone_ || !speed_)
        return false;
    const int fd = openDevice(device_, nullptr);
    if (fd < 0)
        return false;
    QString error;
    if (!takeDevice(fd, &error) || !setLine(fd, *speed_, &error)) {
        ::close(fd);
        return false;
    }
    // The new device takes the old one's descriptor number in one step: a writer on another
    // thread writes to the gone device or to the new one, and never to a descriptor reused by
    // somebody else. The old device is closed by it, with its lock.
    if (::dup3(fd, fd_, O_CLOEXEC) < 0) {
        ::close(fd);
        return false;
    }
    ::close(fd);
    ::ioctl(fd_, TIOCEXCL);
    pseudoTerminal_ = isPseudoTerminal(fd_);
    ::tcflush(fd_, TCIOFLUSH);
    {
        std::lock_guard lock(unsentMutex_);
        unsentBytes_ = 0;
    }
    gone_ = false;
    return true;
}

void SerialPort::markGone() {
    if (!gone_.exchange(true))
        notifyGone();
}

int SerialPort::read(std::uint8_t* buffer, int count) {
    if (count <= 0 || !buffer)
        return 0;
    const auto start = SteadyClock::now();
    const auto deadline = start + std::chrono::milliseconds(porttimeouts::totalMs(count));
    if (fd_ < 0 || gone_) {
        // Nothing will come: the read costs what an empty single-byte read costs, so a reader
        // that loops never spins and a long read does not stall for nothing.
        clock_.sleep(porttimeouts::totalMs(1));
        return 0;
    }

    int got = 0;
    SteadyClock::time_point lastByte;
    while (got < count) {
        auto limit = deadline;
        if (got > 0)
            limit = std::min(limit, lastByte + std::chrono::milliseconds(porttimeouts::kInterval));
        const auto now = SteadyClock::now();
        if (now >= limit)
            break;
        pollfd p{fd_, POLLIN, 0};
        const timespec wait = toTimespec(limit - now);
        const int ready = ::ppoll(&p, 1, &wait, nullptr);
        if (ready < 0) {
            if (errno == EINTR)
                continue;
            markGone();
            break;
        }
        if (ready == 0)
            continue; // the loop ends by its limit
        if (p.revents & POLLIN) {
            const ssize_t n = ::read(fd_, buffer + got, std::size_t(count - got));
            if (n > 0) {
                got += int(n);
                lastByte = SteadyClock::now();
                continue;
            }
            if (n < 0 && (errno == EAGAIN || errno == EINTR))
                continue;
            markGone(); // 0 or an error after readiness: the device has gone
            break;
        }
        if (p.revents & (POLLHUP | POLLERR | POLLNVAL)) {
            markGone();
            break;
        }
    }
    if (gone_ && got == 0) {
        // Never return at once from a dead device: the reader would spin.
        const auto left =
            std::min(deadline, start + std::chrono::milliseconds(porttimeouts::totalMs(1))) -
            SteadyClock::now();
        if (left > SteadyClock::duration::zero())
            clock_.sleep(int(std::chrono::ceil<std::chrono::milliseconds>(left).count()));
    }
    return got;
}

bool SerialPort::write(const std::uint8_t* bytes, int count) {
    if (fd_ < 0 || gone_)
        return false;
    const auto deadline =
        SteadyClock::now() + std::chrono::milliseconds(porttimeouts::totalMs(count));
    int done = 0;
    while (done < count) {
        const ssize_t n = ::write(fd_, bytes + done, std::size_t(count - done));
        if (n > 0) {
            noteWritten(int(n));
            done += int(n);
            continue;
        }
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0 && errno != EAGAIN) {
            if (errno == EIO || errno == ENXIO || errno == ENODEV)
                markGone();
            return false;
        }
        const auto now = SteadyClock::now();
        if (now >= deadline)
            return false;
        pollfd p{fd_, POLLOUT, 0};
        const timespec wait = toTimespec(deadline - now);
        ::ppoll(&p, 1, &wait, nullptr);
    }
    return true;
}

void SerialPort::noteWritten(int count) {
    std::lock_guard lock(unsentMutex_);
    if (unsentBytes_ == 0)
        firstUnsent_ = SteadyClock::now();
    unsentBytes_ += count;
}

void SerialPort::discardInput() {
    if (fd_ >= 0)
        ::tcflush(fd_, TCIFLUSH);
}

bool SerialPort::inputWithinTwoCharacters() {
    if (fd_ < 0 || gone_)
        return false;
    // 8N1: ten bits a character; no less than the 5 ms between two bytes that end a read.
    const int baud = baud_ > 0 ? baud_ : 1200;
    const int waitUs = std::max(5000, 2 * 10 * 1'000'000 / baud);
    pollfd p{fd_, POLLIN, 0};
    const timespec wait{0, long(waitUs) * 1000};
    return ::ppoll(&p, 1, &wait, nullptr) > 0 && (p.revents & POLLIN);
}

void SerialPort::drain() {
    if (fd_ < 0 || gone_)
        return;
    ::tcdrain(fd_);
    int unsent = 0;
    SteadyClock::time_point firstUnsent;
    {
        std::lock_guard lock(unsentMutex_);
        unsent = std::exchange(unsentBytes_, 0);
        firstUnsent = firstUnsent_;
    }
    // A pseudo-terminal has no line: tcdrain returns at once while the other end (the simulated
    // converter) still takes the bytes at the line's pace. At 1200 baud a line of 840 bytes
    // needs 7 s, longer than any acknowledge wait, so the bytes are given their line time here;
    // at 115200 baud a line leaves well inside the wait and nothing is added.
    if (pseudoTerminal_ && baud_ == 1200 && unsent > 0) {
        const auto lineTime =
            std::chrono::microseconds(std::int64_t(unsent) * 10 * 1'000'000 / baud_);
        const auto left = firstUnsent + lineTime - SteadyClock::now();
        if (left > SteadyClock::duration::zero())
            clock_.sleep(int(std::chrono::ceil<std::chrono::milliseconds>(left).count()));
    }
}

BytePort::Wait SerialPort::waitForInput(int wakeFd) {
    constexpr int kUnusableWaitMs = 1000;
    pollfd p[2] = {{wakeFd, POLLIN, 0}, {fd_, POLLIN, 0}};
    const bool usable = fd_ >= 0 && !gone_;
    for (;;) {
        const int ready = ::poll(p, usable ? 2 : 1, usable ? -1 : kUnusableWaitMs);
        if (ready < 0 && errno == EINTR)
            continue;
        if (ready < 0)
            return Wait::Quiet;
        if (p[0].revents & POLLIN)
            return Wait::Woken;
        if (!usable || ready == 0)
            return Wait::Quiet;
        if (p[1].revents & POLLIN)
            return Wait::Input;
        // Hang-up or error without data: the device has gone.
        markGone();
        return Wait::Quiet;
    }
}

} // namespace winorbis
