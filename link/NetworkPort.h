// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "BytePort.h"
#include "TelnetCodec.h"

#include <QString>

#include <atomic>
#include <chrono>
#include <cstdint>
#include <mutex>
#include <vector>

#include <sys/socket.h>

namespace winorbis {

class Clock;

// The converter's line behind a serial server across the network (such as ser2net): a TCP
// connection that carries the line's bytes either raw, or through Telnet with the Com Port
// Control option (RFC 2217), which also sets the far line to 1200 or 115200 baud, 8N1, at open and
// at every configure(). The read time-outs of BytePort are built with ppoll() on the monotonic
// clock, as on a serial device.
//
// drain() gives the written bytes the time the far serial line needs for them at its speed, so a
// paced transfer keeps the line's pace, not the socket's. A connection that the server ends (the
// server stopped, the network lost) makes the port vanish: reported once through the gone
// handler, and reopen() connects again to the same server. A server that refuses the connection
// (it serves another client, or cannot open its device) fails open() or reopen() with its reason.
class NetworkPort final : public BytePort {
public:
    enum class Protocol { Raw, Rfc2217 };

    NetworkPort(Protocol protocol, Clock& clock);
    ~NetworkPort() override;
    NetworkPort(const NetworkPort&) = delete;
    NetworkPort& operator=(const NetworkPort&) = delete;

    // Connects to host:port and sets the line to the speed. False with lastError() when the host
    // is unknown, nobody listens, the server refuses or the speed names neither rate.
    bool open(const QString& host, int port, LinkSpeed speed);

    QString name() const override { return name_; }
    QString kind() const override { return QStringLiteral("network port"); }
    QString lastError() const override;
    bool configure(LinkSpeed speed) override;
    int baudRate() const override { return baud_.load(); }

    int read(std::uint8_t* buffer, int count) override;
    bool writeByte(std::uint8_t byte) override { return write(&byte, 1); }
    bool write(const std::uint8_t* bytes, int count) override;
    void discardInput() override;
    void drain() override;
    Wait waitForInput(int wakeFd) override;
    bool hasVanished() const override { return gone_.load(); }
    bool reopen() override;

private:
    using SteadyClock = std::chrono::steady_clock;

    // A connected socket, or -1 with the reason.
    int connectSocket(SteadyClock::time_point deadline, QString* error) const;
    // Says hello, sets the line and waits for the server to accept the connection (the speed
    // confirmed) or refuse it (it closes the connection, often with a line of text).
    bool startSession(int fd, SteadyClock::time_point deadline, QString* error);
    // Takes what the socket has (without waiting); false when the connection has ended.
    bool receiveAvailable(int fd);
    // Sends every byte by the deadline: 1 when sent, 0 when the time ran out, -1 when the
    // connection is broken. The caller holds writeMutex_.
    int sendAll(int fd, const std::uint8_t* bytes, std::size_t count,
                SteadyClock::time_point deadline);
    void markGone();
    void setError(const QString& error);
    void noteWritten(int count);

    const Protocol protocol_;
    Clock& clock_;
    QString host_;
    int portNumber_ = 0;
    QString name_;
    std::vector<sockaddr_storage> addresses_;
    std::vector<socklen_t> addressLengths_;
    int fd_ = -1;
    std::atomic<bool> gone_{false};
    std::atomic<int> baud_{0}; // 0 until the line has a speed

    // The reading side. One thread reads at a time, but the receive monitor may still take what
    // the socket brought in waitForInput() when a hold has begun to read, so it is locked.
    std::mutex inputMutex_;
    TelnetCodec codec_;
    std::vector<std::uint8_t> input_; // data taken from the socket and not read yet
    std::size_t inputStart_ = 0;
    std::atomic<bool> clientBinary_{false};

    // The writing side: writes, and the reader's answers to the server.
    std::mutex writeMutex_;
    int unsentBytes_ = 0;
    SteadyClock::time_point firstUnsent_;

    mutable std::mutex errorMutex_;
    QString lastError_;
};

} // namespace winorbis
