// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "BytePort.h"

#include <QString>

#include <atomic>
#include <chrono>
#include <mutex>
#include <optional>

namespace winorbis {

class Clock;

// A serial device (built-in port, USB adapter or pseudo-terminal) opened for the converter: raw,
// 8 data bits, no parity, one stop bit, no flow control, at 1200 or 115200 baud; the read time-outs
// of BytePort built with ppoll() on the monotonic clock. The device is held exclusively while open.
//
// A device that disappears (USB adapter unplugged, the other end of a pseudo-terminal closed) is
// reported once through the gone handler; from then on, like a port that never opened, every read
// brings nothing after the time-out of a single-byte read, so no reader ever spins. reopen() opens
// the same name again (a USB adapter's stable name, or a symbolic link) and puts the new device
// under the same descriptor, so a writer on another thread never writes to a stale one.
class SerialPort final : public BytePort {
public:
    // clock: for the waits of a port that is not usable.
    explicit SerialPort(Clock& clock);
    ~SerialPort() override;
    SerialPort(const SerialPort&) = delete;
    SerialPort& operator=(const SerialPort&) = delete;

    // Opens the device for reading and writing, exclusively. False when it is missing or busy;
    // the port then stays unusable.
    bool open(const QString& device);
    // Sets the line: 1200 or 115200 baud, raw 8N1, no flow control; asks the driver for low
    // latency where it supports it. A speed that names neither configures nothing and fails, as
    // does a device that is not a terminal. False on failure.
    bool configure(LinkSpeed speed) override;

    bool isOpen() const { return fd_ >= 0; }
    bool isGone() const { return gone_.load(); }
    const QString& device() const { return device_; }
    QString name() const override { return device_; }
    QString kind() const override { return QStringLiteral("serial device"); }
    // The system's reason of the last failed open or configure.
    QString lastError() const override { return lastError_; }
    // The line speed set by configure(), 0 before.
    int baudRate() const override { return baud_; }

    int read(std::uint8_t* buffer, int count) override;
    bool writeByte(std::uint8_t byte) override { return write(&byte, 1); }
    bool write(const std::uint8_t* bytes, int count) override;
    void discardInput() override;
    bool inputWithinTwoCharacters() override;
    void drain() override;
    Wait waitForInput(int wakeFd) override;
    bool hasVanished() const override { return isGone(); }
    bool reopen() override;

private:
    void markGone();
    void close();
    void noteWritten(int count);

    Clock& clock_;
    int fd_ = -1;
    QString device_;
    QString lastError_;
    int baud_ = 0;
    std::optional<LinkSpeed> speed_; // set by configure(): the line a reopened device gets
    std::atomic<bool> gone_{false};
    std::atomic<bool> pseudoTerminal_{false};
    // Bytes written since the last drain, and when the first of them was written. Both threads
    // write (the monitor identifies a device that came back), so they are kept under a lock.
    std::mutex unsentMutex_;
    int unsentBytes_ = 0;
    std::chrono::steady_clock::time_point firstUnsent_;
};

} // namespace winorbis
