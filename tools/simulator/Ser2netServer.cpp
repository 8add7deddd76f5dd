// SPDX-License-Identifier: GPL-3.0-or-later
#include "Ser2netServer.h"

#include <QDeadlineTimer>
#include <QFile>
#include <QStandardPaths>
#include <QThread>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

namespace winorbis {

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

// Whether something listens on 127.0.0.1:port, from the kernel's table: a test connection would
// take the server's one client.
bool listening(int port) {
    QFile table(QStringLiteral("/proc/net/tcp"));
    if (!table.open(QIODevice::ReadOnly))
        return false;
    const QByteArray local =
        "0100007F:" + QByteArray::number(port, 16).toUpper().rightJustified(4, '0');
    for (const QByteArray& line : table.readAll().split('\n')) {
        const QList<QByteArray> fields = line.simplified().split(' ');
        if (fields.size() > 3 && fields[1] == local && fields[3] == "0A")
            return true;
    }
    return false;
}

} // namespace

Ser2netServer::Ser2netServer(const QString& device, bool rfc2217)
    : device_(device)
    , rfc2217_(rfc2217)
    , port_(freeTcpPort()) {}

Ser2netServer::~Ser2netServer() {
    kill();
}

QString Ser2netServer::program() {
    return QStandardPaths::findExecutable(
        QStringLiteral("ser2net"), {QStringLiteral("/usr/sbin"), QStringLiteral("/usr/local/sbin"),
                                    QStringLiteral("/usr/bin"), QStringLiteral("/usr/local/bin")});
}

bool Ser2netServer::start(QString* error) {
    const QString ser2net = program();
    if (ser2net.isEmpty()) {
        *error = QStringLiteral("ser2net is not installed; scripts/install-deps.sh installs it");
        return false;
    }
    QFile config(dir_.filePath(QStringLiteral("ser2net.yaml")));
    if (!config.open(QIODevice::WriteOnly)) {
        *error = config.errorString();
        return false;
    }
    config.write(QStringLiteral("%YAML 1.1\n---\n"
                                "connection: &converter\n"
                                "    accepter: %1tcp,127.0.0.1,%2\n"
                                "    connector: serialdev,%3,115200n81,local\n"
                                "    options:\n"
                                "        mdns: false\n"
                                "        chardelay: false\n")
                     .arg(rfc2217_ ? QStringLiteral("telnet(rfc2217),") : QString())
                     .arg(port_)
                     .arg(device_)
                     .toUtf8());
    config.close();
    process_.setProcessChannelMode(QProcess::MergedChannels);
    process_.start(ser2net, {QStringLiteral("-n"), QStringLiteral("-d"), QStringLiteral("-c"),
                             config.fileName()});
    if (!process_.waitForStarted(5000)) {
        *error = QStringLiteral("ser2net does not start: %1").arg(process_.errorString());
        return false;
    }
    const QDeadlineTimer deadline(5000);
    while (!listening(port_)) {
        if (deadline.hasExpired() || process_.state() != QProcess::Running) {
            *error = QStringLiteral("ser2net does not listen on port %1: %2")
                         .arg(port_)
                         .arg(QString::fromLocal8Bit(process_.readAll()));
            kill();
            return false;
        }
        QThread::msleep(10);
    }
    return true;
}

void Ser2netServer::kill() {
    if (process_.state() != QProcess::NotRunning) {
        process_.kill();
        process_.waitForFinished(5000);
    }
}

QString Ser2netServer::portName() const {
    return QStringLiteral("%1://127.0.0.1:%2")
        .arg(rfc2217_ ? QStringLiteral("rfc2217") : QStringLiteral("tcp"))
        .arg(port_);
}

QString Ser2netServer::hostPort() const {
    return QStringLiteral("127.0.0.1:%1").arg(port_);
}

} // namespace winorbis
