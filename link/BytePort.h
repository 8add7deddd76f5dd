// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "LinkOptions.h"

#include <QString>

#include <cstdint>
#include <functional>
#include <utility>

namespace winorbis {

// The converter's serial line as the link code sees it: single-byte writes and reads that end by
// the converter time-outs. A read of n bytes returns as soon as n bytes have arrived, when more
// than 5 ms pass between two bytes, or at the latest 10 + 10 x n ms after it began, with whatever
// has arrived (possibly nothing). One thread may read while another writes (ConverterLink.h
// states the threading rules).
//
// The line may be a local serial device or a serial server across the network; the port factory
// (PortFactory.h) makes the right one from a name, and nothing above it needs to know which.
class BytePort {
public:
    virtual ~BytePort() = default;

    // The name the port was opened under, as messages show it (a device path, HOST:PORT); empty
    // for a port without one.
    virtual QString name() const { return {}; }
    // What kind of line it is, for messages and status displays: "serial device", "network port".
    virtual QString kind() const { return QStringLiteral("port"); }
    // The reason of the last failed open, configure or reopen.
    virtual QString lastError() const { return {}; }
    // Sets the line speed, 8N1; false for a speed that names neither rate or when the line cannot
    // be set. A port without a line accepts both.
    virtual bool configure(LinkSpeed speed) { return baudOf(speed) != 0; }
    // The line speed set by configure(); 0 before, or for a port without a line.
    virtual int baudRate() const { return 0; }

    // Reads up to count bytes into buffer; returns how many arrived.
    virtual int read(std::uint8_t* buffer, int count) = 0;
    // Writes one byte (one write call); false when it could not be written within 20 ms.
    virtual bool writeByte(std::uint8_t byte) = 0;
    // Writes a record of count bytes in one write call; false when they could not all be written
    // within 10 + 10 x count ms. A port without such a call writes them byte by byte.
    virtual bool write(const std::uint8_t* bytes, int count) {
        for (int i = 0; i < count; ++i) {
            if (!writeByte(bytes[i]))
                return false;
        }
        return true;
    }
    // Drops everything received and not yet read.
    virtual void discardInput() = 0;
    // Waits until every written byte has left the line: before an answer is awaited, and before a
    // short-lived tool closes the port.
    virtual void drain() {}

    // Whether a byte arrives within the time two characters take on the line, and at least the
    // 5 ms between two bytes that end a read: the check that a sender has stopped. A port without a
    // line reads one byte with the usual time-out; true when one came, and that byte is dropped.
    virtual bool inputWithinTwoCharacters() {
        std::uint8_t byte = 0;
        return read(&byte, 1) == 1;
    }

    // What ended waitForInput().
    enum class Wait { Input, Woken, Quiet };
    // For an idle reader: waits without a time-out until a byte can be read (Input) or wakeFd
    // becomes readable (Woken). A port that is not usable waits on wakeFd alone, at most 1 s
    // (Quiet when nothing came). A port that cannot wait returns Input at once; the reader then
    // reads with the usual time-out.
    virtual Wait waitForInput(int wakeFd) {
        (void)wakeFd;
        return Wait::Input;
    }

    // A port whose device has disappeared (a USB adapter unplugged) stays vanished until reopen()
    // brings it back; every read meanwhile brings nothing, after the usual time-out.
    virtual bool hasVanished() const { return false; }
    // Opens the vanished device again under the same name with the same line settings; true when
    // it is back. Runs on the thread that reads (the receive monitor) while no other thread reads;
    // a write of another thread meanwhile goes to the old or the new device, never elsewhere.
    virtual bool reopen() { return false; }
    // Called once, on the thread that noticed it, each time the line disappears.
    void setGoneHandler(std::function<void()> handler) { goneHandler_ = std::move(handler); }

    // Reads one byte; false when none came within the time-out.
    bool readByte(std::uint8_t& byte) { return read(&byte, 1) == 1; }

protected:
    // For the kinds of port: tells the gone handler.
    void notifyGone() const {
        if (goneHandler_)
            goneHandler_();
    }

private:
    std::function<void()> goneHandler_;
};

// The time-outs of every read, in milliseconds.
namespace porttimeouts {
inline constexpr int kInterval = 5;
inline constexpr int kTotalConstant = 10;
inline constexpr int kTotalPerByte = 10;
inline constexpr int kWriteTotal = 20; // one byte: 10 + 10 x 1
constexpr int totalMs(int count) {
    return kTotalConstant + kTotalPerByte * count;
}
} // namespace porttimeouts

} // namespace winorbis
