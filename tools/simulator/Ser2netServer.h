// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QProcess>
#include <QString>
#include <QTemporaryDir>

namespace winorbis {

// ser2net (the Debian package) serving a serial device on 127.0.0.1, as a remote station serves
// its converter: run in the foreground with a configuration of its own, one client at a time,
// the line at 115200 baud 8N1, the converter's answers passed on without delay, behind a Telnet
// accepter with com port control (RFC 2217) or a raw one. The tests and benchmarks put it in front
// of the simulated converter's pseudo-terminal.
class Ser2netServer {
public:
    // Picks a free TCP port of 127.0.0.1, kept across restarts.
    Ser2netServer(const QString& device, bool rfc2217);
    ~Ser2netServer();
    Ser2netServer(const Ser2netServer&) = delete;
    Ser2netServer& operator=(const Ser2netServer&) = delete;

    // The installed ser2net, empty when there is none.
    static QString program();

    // Starts the server and waits until it listens; false with the reason (ser2net missing,
    // not starting, not listening within 5 s).
    bool start(QString* error);
    // Kills the server at once, as a crash or a power cut would.
    void kill();

    // The name the program opens: rfc2217://127.0.0.1:PORT or tcp://127.0.0.1:PORT.
    QString portName() const;
    // 127.0.0.1:PORT, as messages name the port.
    QString hostPort() const;

private:
    QString device_;
    bool rfc2217_;
    int port_;
    QTemporaryDir dir_;
    QProcess process_;
};

} // namespace winorbis
