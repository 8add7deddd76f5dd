// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "BytePort.h"

#include <QString>

#include <memory>
#include <optional>

namespace winorbis {

class Clock;

// What a port name names: a serial device (a path: /dev/ttyUSB0, a /dev/serial/by-id name, a
// pseudo-terminal), a serial server speaking Telnet with com port control (rfc2217://HOST:PORT),
// or one that passes raw bytes at a speed set on the server (tcp://HOST:PORT). IPv6 hosts stand in
// brackets: rfc2217://[::1]:7000.
struct PortAddress {
    enum class Kind { SerialDevice, Rfc2217, Tcp };
    Kind kind = Kind::SerialDevice;
    QString device; // a serial device's path
    QString host;   // a server's host, without brackets
    int port = 0;   // a server's TCP port

    // "serial device" or "network port", as BytePort::kind() says it once the port is open.
    QString kindText() const;

    // Reads a name; nullopt with the problem for a network name that is malformed, or an empty
    // one.
    static std::optional<PortAddress> parse(const QString& name, QString* problem = nullptr);
};

// The problem with a port name as a user would give it, empty when it can be opened; the setup
// window and the command lines check names with it.
QString portNameProblem(const QString& name);

// Opens the port a name names, with the line at the speed (8N1). Null with the reason when it is
// malformed, missing, busy, refused or cannot be set up; nothing is left open then. Only this
// factory knows which kind of port it made.
std::unique_ptr<BytePort> openPort(const QString& name, LinkSpeed speed, Clock& clock,
                                   QString* error);

// A port that never opened, under a name for messages: every read brings nothing after the
// time-out of a single-byte read, every write fails, and it never comes back.
std::unique_ptr<BytePort> unusablePort(const QString& name, Clock& clock);

} // namespace winorbis
