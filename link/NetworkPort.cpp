// SPDX-License-Identifier: GPL-3.0-or-later
#include "NetworkPort.h"
#include "PortSystem.h"

#include "platform/Clock.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <netdb.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <unistd.h>

namespace winorbis {

namespace {

using SteadyClock = std::chrono::steady_clock;
using std::chrono::milliseconds;

// Connecting at open may take a slow network's while; a reconnection attempt of the receive
// monitor is short, so that a hold never waits long for it.
constexpr milliseconds kConnectTime{5000};
constexpr milliseconds kReopenTime{450};
// A Telnet server confirms the line speed at once; a raw server that refuses a client closes
// the connection at once. Silence for this long means a raw connection is accepted.
constexpr milliseconds kAcceptTime{2000};
constexpr milliseconds kRawRefusalTime{150};
// The time a push of the pending bytes, or an answer to the server, may take.
constexpr milliseconds kControlWriteTime{1000};
// An idle connection whose far end has silently gone is noticed after about 10 s.
constexpr int kKeepIdleSeconds = 4;
constexpr int kKeepIntervalSeconds = 2;
constexpr int kKeepCount = 3;
constexpr std::size_t kReceiveChunk = 8192;

int pollMs(SteadyClock::time_point deadline) {
    const auto left = deadline - SteadyClock::now();
    if (left <= SteadyClock::duration::zero())
        return 0;
    return int(std::chrono::ceil<milliseconds>(left).count());
}

void setOption(int fd, int level, int name, int value) {
    ::setsockopt(fd, level, name, &value, sizeof value);
}

// What a refusing server said before it closed: its printable text, or nothing.
QString refusalText(const std::vector<std::uint8_t>& bytes, std::size_t start) {
    QString text;
    for (std::size_t i = start; i < bytes.size() && text.size() < 200; ++i) {
        const std::uint8_t b = bytes[i];
        text += (b >= 32 && b < 127) ? QChar(b) : QChar(' ');
    }
    return text.simplified();
}

} // namespace

NetworkPort::NetworkPort(Protocol protocol, Clock& clock)
    : protocol_(protocol)
    , clock_(clock) {}

NetworkPort::~NetworkPort() {
    if (fd_ >= 0)
        ::close(fd_);
}

QString NetworkPort::lastError() const {
    std::lock_guard lock(errorMutex_);
    return lastError_;
}

void NetworkPort::setError(const QString& error) {
    std::lock_guard lock(errorMutex_);
    lastError_ = error;
}

bool NetworkPort::open(const QString& host, int port, LinkSpeed speed) {
    host_ = host;
    portNumber_ = port;
    name_ = (host.contains(':') ? QStringLiteral("[%1]").arg(host) : host) +
            QStringLiteral(":%1").arg(port);
    setError({});
    if (baudOf(speed) == 0) {
        setError(QStringLiteral("line speed %1 is unknown").arg(int(speed)));
        return false;
    }
    addrinfo hints{};
    hints.ai_family = AF_UNSPEC;
    hints.ai_socktype = SOCK_STREAM;
    hints.ai_flags = AI_NUMERICSERV | AI_ADDRCONFIG;
    addrinfo* found = nullptr;
    const int status = ::getaddrinfo(host.toUtf8().constData(),
                                     QByteArray::number(port).constData(), &hints, &found);
    if (status != 0) {
        setError(QStringLiteral("the host %1 is unknown (%2)")
                     .arg(host, QString::fromLocal8Bit(::gai_strerror(status))));
        return false;
    }
    addresses_.clear();
    addressLengths_.clear();
    for (const addrinfo* a = found; a; a = a->ai_next) {
        sockaddr_storage address{};
        std::memcpy(&address, a->ai_addr, std::min<std::size_t>(a->ai_addrlen, sizeof address));
        addresses_.push_back(address);
        addressLengths_.push_back(a->ai_addrlen);
    }
    ::freeaddrinfo(found);

    QString error;
    const int fd = connectSocket(SteadyClock::now() + kConnectTime, &error);
    if (fd < 0) {
        setError(error);
        return false;
    }
    baud_ = baudOf(speed);
    if (!startSession(fd, SteadyClock::now() + kAcceptTime, &error)) {
        ::close(fd);
        setError(error);
        return false;
    }
    fd_ = fd;
    gone_ = false;
    return true;
}

int NetworkPort::connectSocket(SteadyClock::time_point deadline, QString* error) const {
    int lastError = EHOSTUNREACH;
    for (std::size_t i = 0; i < addresses_.size(); ++i) {
        const auto* address = reinterpret_cast<const sockaddr*>(&addresses_[i]);
        const int fd = ::socket(address->sa_family, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
        if (fd < 0) {
            lastError = errno;
            continue;
        }
        int result = ::connect(fd, address, addressLengths_[i]);
        if (result != 0 && errno == EINPROGRESS) {
            pollfd p{fd, POLLOUT, 0};
            int ready = 0;
            do {
                ready = ::poll(&p, 1, pollMs(deadline));
            } while (ready < 0 && errno == EINTR);
            int soError = ETIMEDOUT;
            socklen_t length = sizeof soError;
            if (ready > 0)
                ::getsockopt(fd, SOL_SOCKET, SO_ERROR, &soError, &length);
            errno = soError;
            result = soError == 0 ? 0 : -1;
        }
        if (result == 0) {
            setOption(fd, SOL_SOCKET, SO_KEEPALIVE, 1);
            setOption(fd, IPPROTO_TCP, TCP_KEEPIDLE, kKeepIdleSeconds);
            setOption(fd, IPPROTO_TCP, TCP_KEEPINTVL, kKeepIntervalSeconds);
            setOption(fd, IPPROTO_TCP, TCP_KEEPCNT, kKeepCount);
            // Every write is a whole command or line that the converter answers: held back
            // until earlier bytes are acknowledged (Nagle), it would wait for nothing.
            setOption(fd, IPPROTO_TCP, TCP_NODELAY, 1);
            return fd;
        }
        lastError = errno;
        ::close(fd);
    }
    if (error)
        *error = systemError(lastError);
    return -1;
}

bool NetworkPort::startSession(int fd, SteadyClock::time_point deadline, QString* error) {
    {
        std::lock_guard lock(inputMutex_);
        codec_ = TelnetCodec();
        input_.clear();
        inputStart_ = 0;
    }
    clientBinary_ = false;
    if (protocol_ == Protocol::Rfc2217) {
        std::vector<std::uint8_t> hello = codec_.opening();
        const std::vector<std::uint8_t> line = TelnetCodec::lineSettings(baud_);
        hello.insert(hello.end(), line.begin(), line.end());
        std::lock_guard lock(writeMutex_);
        if (sendAll(fd, hello.data(), hello.size(), deadline) != 1) {
            *error = QStringLiteral("the server closed the connection");
            return false;
        }
    } else {
        deadline = std::min(deadline, SteadyClock::now() + kRawRefusalTime);
    }
    for (;;) {
        if (protocol_ == Protocol::Rfc2217 && codec_.confirmedBaud() != 0)
            return true;
        pollfd p{fd, POLLIN, 0};
        const int ready = ::poll(&p, 1, pollMs(deadline));
        if (ready < 0 && errno == EINTR)
            continue;
        if (ready == 0)
            return true; // nothing against it: a server that does not confirm, or a raw one
        if (ready < 0 || !receiveAvailable(fd)) {
            std::lock_guard lock(inputMutex_);
            const QString text = refusalText(input_, inputStart_);
            *error = text.isEmpty()
                         ? QStringLiteral("the server closed the connection")
                         : QStringLiteral("the server refused the connection: %1").arg(text);
            return false;
        }
    }
}

bool NetworkPort::receiveAvailable(int fd) {
    std::lock_guard lock(inputMutex_);
    std::uint8_t chunk[kReceiveChunk];
    const ssize_t n = ::recv(fd, chunk, sizeof chunk, MSG_DONTWAIT);
    if (n == 0)
        return false;
    if (n < 0)
        return errno == EAGAIN || errno == EWOULDBLOCK || errno == EINTR;
    // Acknowledged at once: a server that holds back the tail of an answer until its earlier
    // bytes are acknowledged (Nagle) would otherwise wait for the delayed acknowledgement, 40 ms
    // in every line of a fetch.
    setOption(fd, IPPROTO_TCP, TCP_QUICKACK, 1);
    if (inputStart_ > 0 && inputStart_ == input_.size()) {
        input_.clear();
        inputStart_ = 0;
    }
    if (protocol_ == Protocol::Raw) {
        input_.insert(input_.end(), chunk, chunk + n);
        return true;
    }
    std::vector<std::uint8_t> replies;
    codec_.decode(chunk, std::size_t(n), input_, replies);
    clientBinary_ = codec_.clientSendsBinary();
    if (!replies.empty()) {
        std::lock_guard writeLock(writeMutex_);
        if (sendAll(fd, replies.data(), replies.size(), SteadyClock::now() + kControlWriteTime) < 0)
            return false;
    }
    return true;
}

int NetworkPort::sendAll(int fd, const std::uint8_t* bytes, std::size_t count,
                         SteadyClock::time_point deadline) {
    std::size_t done = 0;
    while (done < count) {
        const ssize_t n = ::send(fd, bytes + done, count - done, MSG_NOSIGNAL | MSG_DONTWAIT);
        if (n > 0) {
            done += std::size_t(n);
            continue;
        }
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0 && errno != EAGAIN && errno != EWOULDBLOCK)
            return -1;
        if (SteadyClock::now() >= deadline)
            return 0;
        pollfd p{fd, POLLOUT, 0};
        const timespec wait = toTimespec(deadline - SteadyClock::now());
        ::ppoll(&p, 1, &wait, nullptr);
    }
    return 1;
}

void NetworkPort::markGone() {
    if (!gone_.exchange(true)) {
        setError(QStringLiteral("the connection to %1 has ended").arg(name_));
        notifyGone();
    }
}

bool NetworkPort::configure(LinkSpeed speed) {
    if (baudOf(speed) == 0) {
        setError(QStringLiteral("line speed %1 is unknown").arg(int(speed)));
        return false;
    }
    if (fd_ < 0) {
        if (lastError().isEmpty())
            setError(systemError(ENOTCONN));
        return false;
    }
    baud_ = baudOf(speed);
    if (protocol_ != Protocol::Rfc2217 || gone_)
        return true; // a vanished line gets the speed when it is opened again
    const std::vector<std::uint8_t> line = TelnetCodec::lineSettings(baud_);
    std::lock_guard lock(writeMutex_);
    if (sendAll(fd_, line.data(), line.size(), SteadyClock::now() + kControlWriteTime) != 1) {
        setError(QStringLiteral("the line speed cannot be sent to %1").arg(name_));
        return false;
    }
    return true;
}

namespace {
// The longest single poll of a read; see read().
constexpr auto kPollSlice = std::chrono::milliseconds(2);
} // namespace

int NetworkPort::read(std::uint8_t* buffer, int count) {
    if (count <= 0 || !buffer)
        return 0;
    const auto start = SteadyClock::now();
    const auto deadline = start + milliseconds(porttimeouts::totalMs(count));
    if (fd_ < 0) {
        clock_.sleep(porttimeouts::totalMs(1));
        return 0;
    }
    const auto take = [&](int got) {
        std::lock_guard lock(inputMutex_);
        const int n =
            int(std::min<std::size_t>(std::size_t(count - got), input_.size() - inputStart_));
        std::copy_n(input_.begin() + std::ptrdiff_t(inputStart_), n, buffer + got);
        inputStart_ += std::size_t(n);
        return n;
    };

    int got = take(0);
    SteadyClock::time_point lastByte = SteadyClock::now();
    while (got < count && !gone_) {
        auto limit = deadline;
        if (got > 0)
            limit = std::min(limit, lastByte + milliseconds(porttimeouts::kInterval));
        // An idle wait on the monitor's thread may have taken bytes off the socket into the
        // buffer just before this read began to poll: the buffer is looked at again between
        // short polls, so such bytes are never left lying until the time-out.
        if (const int n = take(got); n > 0) {
            got += n;
            lastByte = SteadyClock::now();
            continue;
        }
        const auto now = SteadyClock::now();
        if (now >= limit)
            break;
        pollfd p{fd_, POLLIN, 0};
        const timespec wait = toTimespec(std::min<SteadyClock::duration>(limit - now, kPollSlice));
        const int ready = ::ppoll(&p, 1, &wait, nullptr);
        if (ready < 0) {
            if (errno == EINTR)
                continue;
            markGone();
            break;
        }
        if (ready == 0)
            continue; // the loop ends by its limit
        if (!receiveAvailable(fd_)) {
            got += take(got);
            markGone();
            break;
        }
        if (const int n = take(got); n > 0) {
            got += n;
            lastByte = SteadyClock::now();
        }
    }
    if (gone_ && got == 0) {
        // Never return at once from a dead connection: the reader would spin.
        const auto left =
            std::min(deadline, start + milliseconds(porttimeouts::totalMs(1))) - SteadyClock::now();
        if (left > SteadyClock::duration::zero())
            clock_.sleep(int(std::chrono::ceil<milliseconds>(left).count()));
    }
    return got;
}

bool NetworkPort::write(const std::uint8_t* bytes, int count) {
    if (fd_ < 0 || gone_ || count <= 0)
        return count == 0 && fd_ >= 0 && !gone_;
    const auto deadline = SteadyClock::now() + milliseconds(porttimeouts::totalMs(count));
    std::vector<std::uint8_t> encoded;
    const std::uint8_t* out = bytes;
    std::size_t size = std::size_t(count);
    if (protocol_ == Protocol::Rfc2217) {
        TelnetCodec::encode(bytes, std::size_t(count), clientBinary_, encoded);
        out = encoded.data();
        size = encoded.size();
    }
    int sent = 0;
    {
        std::lock_guard lock(writeMutex_);
        sent = sendAll(fd_, out, size, deadline);
        if (sent == 1) {
            if (unsentBytes_ == 0)
                firstUnsent_ = SteadyClock::now();
            unsentBytes_ += count;
        }
    }
    if (sent < 0)
        markGone();
    return sent == 1;
}

void NetworkPort::discardInput() {
    if (fd_ < 0 || gone_)
        return;
    // What the socket holds now goes too, as a serial driver's buffer would.
    for (int i = 0; i < 64; ++i) {
        pollfd p{fd_, POLLIN, 0};
        if (::poll(&p, 1, 0) <= 0)
            break;
        if (!receiveAvailable(fd_)) {
            markGone();
            break;
        }
    }
    std::lock_guard lock(inputMutex_);
    input_.clear();
    inputStart_ = 0;
}

void NetworkPort::drain() {
    if (fd_ < 0 || gone_)
        return;
    int unsent = 0;
    SteadyClock::time_point firstUnsent;
    {
        std::lock_guard lock(writeMutex_);
        unsent = std::exchange(unsentBytes_, 0);
        firstUnsent = firstUnsent_;
    }
    // The socket takes the bytes at once; the far serial line needs 10 bits per byte at its
    // speed, and an answer comes only after them.
    const int baud = baud_;
    if (unsent > 0 && baud > 0) {
        const auto lineTime =
            std::chrono::microseconds(std::int64_t(unsent) * 10 * 1'000'000 / baud);
        // Rounded down: the answer is awaited by reads with their own time-outs anyway, while a
        // millisecond rounded up at each of the two drains of every upload line would add a
        // good part of a line's time over a picture.
        const auto left = firstUnsent + lineTime - SteadyClock::now();
        if (left >= milliseconds(1))
            clock_.sleep(int(std::chrono::floor<milliseconds>(left).count()));
    }
}

BytePort::Wait NetworkPort::waitForInput(int wakeFd) {
    constexpr int kUnusableWaitMs = 1000;
    const auto pending = [this] {
        std::lock_guard lock(inputMutex_);
        return inputStart_ < input_.size();
    };
    for (;;) {
        if (pending())
            return Wait::Input;
        const bool usable = fd_ >= 0 && !gone_;
        pollfd p[2] = {{wakeFd, POLLIN, 0}, {fd_, POLLIN, 0}};
        const int ready = ::poll(p, usable ? 2 : 1, usable ? -1 : kUnusableWaitMs);
        if (ready < 0 && errno == EINTR)
            continue;
        if (ready < 0)
            return Wait::Quiet;
        if (p[0].revents & POLLIN)
            return Wait::Woken;
        if (!usable || ready == 0)
            return Wait::Quiet;
        // Telnet commands alone bring no data: they are answered and the wait goes on.
        if (!receiveAvailable(fd_)) {
            markGone();
            return Wait::Quiet;
        }
    }
}

bool NetworkPort::reopen() {
    if (fd_ < 0 || !gone_ || baud_ == 0)
        return false;
    const auto deadline = SteadyClock::now() + kReopenTime;
    QString error;
    const int fd = connectSocket(deadline, &error);
    if (fd < 0) {
        setError(error);
        return false;
    }
    if (!startSession(fd, deadline, &error)) {
        ::close(fd);
        setError(error);
        return false;
    }
    {
        // The new connection takes the old one's descriptor number in one step, so a writer on
        // another thread writes to the old connection or to the new one, never elsewhere.
        std::lock_guard lock(writeMutex_);
        if (::dup3(fd, fd_, O_CLOEXEC) < 0) {
            ::close(fd);
            setError(systemError(errno));
            return false;
        }
        unsentBytes_ = 0;
    }
    ::close(fd);
    {
        // What came with the new connection is no answer to anything, as after a serial
        // device's reopen.
        std::lock_guard lock(inputMutex_);
        input_.clear();
        inputStart_ = 0;
    }
    gone_ = false;
    return true;
}

} // namespace winorbis
