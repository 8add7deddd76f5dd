// SPDX-License-Identifier: GPL-3.0-or-later
#include "Rigctld.h"

#include <QDeadlineTimer>
#include <QStandardPaths>
#include <QThread>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

namespace winorbis::test {

namespace {

int freeTcpPort() {
    const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    ::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address);
    socklen_t length = sizeof address;
    ::getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length);
    ::close(fd);
    return ntohs(address.sin_port);
}

int connectTo(int port) {
    const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    address.sin_port = htons(std::uint16_t(port));
    if (::connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) {
        ::close(fd);
        return -1;
    }
    const int on = 1;
    ::setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &on, sizeof on);
    return fd;
}

} // namespace

Rigctld::Rigctld()
    : port_(freeTcpPort()) {}

Rigctld::Rigctld(int port)
    : port_(port) {}

Rigctld::~Rigctld() {
    if (client_ >= 0)
        ::close(client_);
    if (process_.state() != QProcess::NotRunning) {
        process_.kill();
        process_.waitForFinished(5000);
    }
}

QString Rigctld::program() {
    return QStandardPaths::findExecutable(QStringLiteral("rigctld"));
}

bool Rigctld::start(QString* error) {
    const QString rigctld = program();
    if (rigctld.isEmpty()) {
        *error = QStringLiteral("rigctld is not installed; scripts/install-deps.sh installs it "
                                "(libhamlib-utils)");
        return false;
    }
    process_.setProcessChannelMode(QProcess::MergedChannels);
    // The dummy rig has no PTT of its own unless told that the rig keys itself (-P RIG).
    process_.start(rigctld,
                   {QStringLiteral("-m"), QStringLiteral("1"), QStringLiteral("-P"),
                    QStringLiteral("RIG"), QStringLiteral("-T"), QStringLiteral("127.0.0.1"),
                    QStringLiteral("-t"), QString::number(port_)});
    if (!process_.waitForStarted(5000)) {
        *error = QStringLiteral("rigctld does not start: %1").arg(process_.errorString());
        return false;
    }
    const QDeadlineTimer deadline(10000);
    while ((client_ = connectTo(port_)) < 0) {
        if (deadline.hasExpired() || process_.state() != QProcess::Running) {
            *error = QStringLiteral("rigctld does not listen on port %1: %2")
                         .arg(port_)
                         .arg(QString::fromLocal8Bit(process_.readAll()));
            return false;
        }
        QThread::msleep(20);
    }
    return true;
}

QString Rigctld::pttSpec() const {
    return QStringLiteral("rigctld:127.0.0.1:%1").arg(port_);
}

bool Rigctld::key() {
    if (client_ < 0 || ::send(client_, "T 1\n", 4, MSG_NOSIGNAL) != 4)
        return false;
    // rigctld answers a set command with its result line.
    char buffer[64];
    pollfd p{client_, POLLIN, 0};
    return ::poll(&p, 1, 2000) > 0 && ::recv(client_, buffer, sizeof buffer, 0) > 0;
}

std::optional<bool> Rigctld::keyed() {
    if (client_ < 0 || ::send(client_, "t\n", 2, MSG_NOSIGNAL) != 2)
        return std::nullopt;
    QByteArray answer;
    const QDeadlineTimer deadline(2000);
    while (!answer.contains('\n')) {
        pollfd p{client_, POLLIN, 0};
        if (::poll(&p, 1, int(deadline.remainingTime())) <= 0)
            return std::nullopt;
        char buffer[64];
        const ssize_t n = ::recv(client_, buffer, sizeof buffer, 0);
        if (n <= 0)
            return std::nullopt;
        answer.append(buffer, n);
    }
    const QByteArray line = answer.left(answer.indexOf('\n')).trimmed();
    if (line == "0")
        return false;
    if (line == "1" || line == "2" || line == "3")
        return true;
    return std::nullopt;
}

} // namespace winorbis::test
