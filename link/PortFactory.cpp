// SPDX-License-Identifier: GPL-3.0-or-later
#include "PortFactory.h"

#include "NetworkPort.h"
#include "SerialPort.h"

#include "platform/Clock.h"

#include <cerrno>
#include <poll.h>

namespace winorbis {

namespace {

// A port that is not there: nothing comes, nothing goes. A reader never spins on it.
class UnusablePort final : public BytePort {
public:
    UnusablePort(const QString& name, Clock& clock)
        : name_(name)
        , clock_(clock) {}

    QString name() const override { return name_; }
    bool configure(LinkSpeed) override { return false; }
    int read(std::uint8_t*, int count) override {
        if (count > 0)
            clock_.sleep(porttimeouts::totalMs(1));
        return 0;
    }
    bool writeByte(std::uint8_t) override { return false; }
    bool write(const std::uint8_t*, int) override { return false; }
    void discardInput() override {}
    Wait waitForInput(int wakeFd) override {
        constexpr int kUnusableWaitMs = 1000;
        pollfd p{wakeFd, POLLIN, 0};
        for (;;) {
            const int ready = ::poll(&p, 1, kUnusableWaitMs);
            if (ready < 0 && errno == EINTR)
                continue;
            return ready > 0 ? Wait::Woken : Wait::Quiet;
        }
    }

private:
    QString name_;
    Clock& clock_;
};

} // namespace

QString PortAddress::kindText() const {
    return kind == Kind::SerialDevice ? QStringLiteral("serial device")
                                      : QStringLiteral("network port");
}

std::optional<PortAddress> PortAddress::parse(const QString& name, QString* problem) {
    const auto fail = [problem](const QString& why) -> std::optional<PortAddress> {
        if (problem)
            *problem = why;
        return std::nullopt;
    };
    const QString trimmed = name.trimmed();
    if (trimmed.isEmpty())
        return fail(QStringLiteral("no device"));
    PortAddress address;
    const qsizetype schemeEnd = trimmed.indexOf(QLatin1String("://"));
    if (schemeEnd < 0) {
        address.device = trimmed;
        return address;
    }
    const QString scheme = trimmed.left(schemeEnd).toLower();
    if (scheme == QLatin1String("rfc2217"))
        address.kind = Kind::Rfc2217;
    else if (scheme == QLatin1String("tcp"))
        address.kind = Kind::Tcp;
    else
        return fail(QStringLiteral("%1: only rfc2217://HOST:PORT and tcp://HOST:PORT name network "
                                   "ports")
                        .arg(trimmed));
    const QString rest = trimmed.mid(schemeEnd + 3);
    QString host;
    QString port;
    if (rest.startsWith('[')) {
        const qsizetype close = rest.indexOf(']');
        if (close < 0 || rest.mid(close + 1, 1) != QLatin1String(":"))
            return fail(QStringLiteral("%1: the address needs HOST:PORT").arg(trimmed));
        host = rest.mid(1, close - 1);
        port = rest.mid(close + 2);
    } else {
        const qsizetype colon = rest.lastIndexOf(':');
        if (colon < 0 || rest.left(colon).contains(':'))
            return fail(QStringLiteral("%1: the address needs HOST:PORT").arg(trimmed));
        host = rest.left(colon);
        port = rest.mid(colon + 1);
    }
    bool ok = false;
    const int number = port.toInt(&ok);
    if (host.isEmpty() || host.contains('/') || host.contains(' '))
        return fail(QStringLiteral("%1: the address needs a host").arg(trimmed));
    if (!ok || number < 1 || number > 65535 || port.startsWith('+'))
        return fail(
            QStringLiteral("%1: the TCP port must be a number from 1 to 65535").arg(trimmed));
    address.host = host;
    address.port = number;
    return address;
}

QString portNameProblem(const QString& name) {
    QString problem;
    PortAddress::parse(name, &problem);
    return problem;
}

std::unique_ptr<BytePort> openPort(const QString& name, LinkSpeed speed, Clock& clock,
                                   QString* error) {
    QString problem;
    const auto address = PortAddress::parse(name, &problem);
    if (!address) {
        if (error)
            *error = problem;
        return nullptr;
    }
    if (address->kind == PortAddress::Kind::SerialDevice) {
        auto serial = std::make_unique<SerialPort>(clock);
        // A device that opens but cannot be set up (a regular file, an unknown speed) is closed
        // again at once: nothing is ever written to it.
        if (!serial->open(address->device) || !serial->configure(speed)) {
            if (error)
                *error = serial->lastError();
            return nullptr;
        }
        return serial;
    }
    auto network = std::make_unique<NetworkPort>(address->kind == PortAddress::Kind::Rfc2217
                                                     ? NetworkPort::Protocol::Rfc2217
                                                     : NetworkPort::Protocol::Raw,
                                                 clock);
    if (!network->open(address->host, address->port, speed)) {
        if (error)
            *error = network->lastError();
        return nullptr;
    }
    return network;
}

std::unique_ptr<BytePort> unusablePort(const QString& name, Clock& clock) {
    return std::make_unique<UnusablePort>(name, clock);
}

} // namespace winorbis
