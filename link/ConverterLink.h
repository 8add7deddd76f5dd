// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// Threading rules of the converter link
// -------------------------------------
// The box's port has one user at a time: its worker, the receive monitor (TRecThread), which is
// the box's converter worker (converter/Converter.h has the rules every converter keeps).
// - The monitor reads single bytes from the port while the link is idle, and runs the station's
//   jobs (every command, transfer and automatic exchange) between its reads, one after the
//   other. It reaches the face only through the CommandGate (post and call) and the converter's
//   signals, never directly.
// - The face's thread touches the port itself only where no worker runs: opening the port and
//   identifying the converter before the monitor starts (also when the setup window switches
//   converters), and in orbisctl's single commands, where none runs. The one exception: when the
//   device has vanished, the monitor reopens it and identifies the converter itself.
// - A MonitorHold keeps the monitor's own reads off the port; jobs still run while it is held.
//   The handheld window holds it while it is open (a byte of the handheld's is no status byte)
//   and its exchanges are jobs; the setup window holds it while it is shown. A hold waits for a
//   reconnection attempt to end.
// - The port is shared without a lock: one thread may read while another writes. Writes of single
//   command bytes (the receive stop among them) may run while the monitor reads.
// - A hold guarantees that, from the moment its constructor returns until its destructor runs,
//   the monitor's own reads do not touch the port, nor does any job but those given meanwhile: a
//   read or job in progress has ended, and an idle wait on the port has been woken and has
//   returned. Holds nest; the monitor reads again after the last one.
// - LinkState has one writer, the monitor (TRecThread's start, endReception, stopReception, stop
//   and its own loop); LastStatus is written by identify and by the monitor before it announces.
//   Both are atomic and may be read from any thread.
// - CommandGate calls queued by the monitor run on the face's thread, in order, only while the
//   gate is open; once it is shut (the program ends) they are dropped unrun.
// - A converter's worker hands the face its jobs' results and its signals through the
//   converter's HandoverQueue (platform/ThreadHandoff.h): the signals are emitted on the face's
//   thread, in the order the worker gave them, results and signals alike. Work another thread
//   posts (the sound devices' threads, the dialogs asked for from a worker) goes the same way.
// The other headers of the link refer to these rules.

#include "BytePort.h"
#include "LinkState.h"
#include "converter/LinkFailure.h"

#include <QByteArray>
#include <QString>

#include <atomic>
#include <cstdint>
#include <memory>

namespace winorbis {

class Clock;

// The converter on its port (a serial device or a serial server): the one open port of the process,
// the link state and the converter's last status byte, and the small exchanges every converter
// command is built from. The exchanges run on the calling thread and take no lock: the receive
// monitor stays off the port while they run (it is held, or not yet started); see the threading
// rules above. A failed exchange is not shown here: it goes to the failure sink its owner gives,
// once, as it happens (a window's boxes, standard error), and stays for the caller's status line.
class ConverterLink {
public:
    // Without a sink, failures are noted on standard error only.
    explicit ConverterLink(Clock& clock, LinkFailureSink failures = {});
    ~ConverterLink();

    // Opens the port that device names (PortFactory.h: a serial device, rfc2217:// or tcp://) at
    // the speed and discards what it has received. A port that is missing, busy, refused or
    // cannot be configured (also a speed that names neither rate) fails with "No response from
    // the interface" and returns false; reads then bring nothing and nothing is written.
    bool OpenConverterPort(LinkSpeed speed, const QString& device);
    // Uses the given port, made elsewhere (the simulated converter's, a test's).
    void attachPort(std::unique_ptr<BytePort> port);

    // Writes 16 and returns the converter's first non-zero answer byte, after eating the five
    // bytes that follow it; 0 with a beep and the no-connection message when 20 reads bring none.
    // Every byte read is stored into LastStatus.
    std::uint8_t IdentifyConverter();
    // The same exchange without beep, message or note: 0 when no answer came. The monitor asks
    // with it whether a device that came back is the converter. Stale input is dropped first, and
    // only an answer of the identify's shape (a non-zero byte and five more at once) counts.
    std::uint8_t identifyQuietly();
    // Drops what the port has received and reads on until the line is quiet: before a command
    // that expects an answer, so bytes of an earlier exchange are never taken for it.
    void discardStaleInput();
    // Writes the command and reads until the acknowledge 128 comes; after 2000 reads without it
    // fails with "Communication error[com]" and returns false.
    bool SendCommandAwaitAck(std::uint8_t command);
    // Reads until the acknowledge 128 and eats the byte after it; when the 100th read comes without
    // one fails with "Communication error[ack]" and returns false.
    bool AwaitLineAck();
    // Writes one command byte and returns at once; nothing is checked.
    void SendCommandByte(std::uint8_t command);
    // Writes a line's bytes in one write and returns at once; nothing is checked. The bytes leave
    // together, as from a serial driver's buffer: a network port sends them in one segment
    // instead of holding single bytes back until earlier ones are acknowledged.
    void SendBytes(const QByteArray& bytes);

    // A failed exchange: the message goes to the failure sink (no beep, a plain box) and is
    // kept for the caller's status line.
    void fail(const QString& text);
    // The message of the last failure (a failed exchange, a refused command) since
    // clearFailure().
    QString lastFailure() const { return lastFailure_; }
    void clearFailure() { lastFailure_.clear(); }

    BytePort& port() { return *port_; }
    const BytePort& port() const { return *port_; }
    // The port's name (a device path, HOST:PORT), or "the converter's port" for one without.
    QString deviceName() const;

    // True from the moment the receive monitor finds the converter's device gone until the
    // converter answers again; only the monitor changes it.
    bool converterLost() const { return lost_.load(); }
    // "Connection to the converter lost: waiting for NAME".
    QString lostText() const;
    // The converter command's first step: while the converter is lost, says so at once instead
    // of waiting out the time-outs and returns true. A command the operator started gives the
    // failure sink the message with a beep and a warning box; automatic work (byOperator false)
    // notes it on standard error only, its caller shows the text in its status line.
    bool refuseWhileLost(bool byOperator);

    // The link state; only the receive monitor changes it.
    LinkState linkState() const { return state_.load(); }
    // True while the monitor watches an idle link: converter commands may start.
    bool isIdle() const { return linkState() == LinkState::Idle; }
    // The identify answer, then the last reception status byte.
    std::uint8_t LastStatus() const { return lastStatus_.load(); }

private:
    friend class TRecThread;
    std::atomic<LinkState> state_{LinkState::Stop};
    std::atomic<bool> lost_{false};
    // Written by the identify exchange and by the monitor (a status byte).
    std::atomic<std::uint8_t> lastStatus_{0};
    QString lastFailure_; // the user-interface thread's own

    void report(const LinkFailure& failure);

    Clock& clock_;
    LinkFailureSink failures_;
    std::unique_ptr<BytePort> port_;
};

} // namespace winorbis
