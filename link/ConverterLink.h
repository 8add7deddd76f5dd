// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "BytePort.h"

#include <QString>

#include <atomic>
#include <cstdint>
#include <memory>

namespace winorbis {

class Clock;
class Dialogs;
class SerialPort;

// The converter on its serial port: the one open port of the process, the link state and the
// converter's last status byte, and the small exchanges every converter command is built from.
// The exchanges run on the calling thread and take no lock: the receive monitor stays off the port
// while they run (it is held, or not yet started).
class ConverterLink {
public:
    ConverterLink(Dialogs& dialogs, Clock& clock);
    ~ConverterLink();

    // Opens the device at 1200 (speedSelector 1) or 115200 baud (2) and discards what it has
    // received. A device that is missing, busy or cannot be configured (also any other selector)
    // shows "No response from the interface" and returns false; reads then bring nothing.
    bool OpenConverterPort(int speedSelector, const QString& device);
    // Uses the given port instead of a serial device.
    void attachPort(std::unique_ptr<BytePort> port);

    // Writes 16 and returns the converter's first non-zero answer byte, after eating the five
    // bytes that follow it; 0 with a beep and the no-connection message when 20 reads bring none.
    // Every byte read is stored into LastStatus.
    std::uint8_t IdentifyConverter();
    // Writes the command and reads until the acknowledge 128 comes; after 2000 reads without it
    // shows "Communication error[com]" and returns false.
    bool SendCommandAwaitAck(std::uint8_t command);
    // Reads until the acknowledge 128 and eats the byte after it; when the 100th read comes without
    // one shows "Communication error[ack]" and returns false.
    bool AwaitLineAck();
    // Writes one command byte and returns at once; nothing is checked.
    void SendCommandByte(std::uint8_t command);

    BytePort& port() { return *port_; }
    // The serial device, when the port is one; null otherwise.
    SerialPort* serialPort() const { return serial_; }
    Dialogs& dialogs() { return dialogs_; }

    // 0 stop, 1 monitoring, 2..7 a reception announced, 10 waiting for its end, 73 the monitor
    // has ended. Written by the user-interface thread and the receive monitor.
    std::atomic<int> LinkState{0};
    // The identify answer, then the last reception status byte.
    std::atomic<std::uint8_t> LastStatus{0};

private:
    Dialogs& dialogs_;
    Clock& clock_;
    std::unique_ptr<BytePort> port_;
    SerialPort* serial_ = nullptr;
};

} // namespace winorbis
