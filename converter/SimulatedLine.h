// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "link/LinkOptions.h"

#include <QString>

#include <atomic>
#include <functional>
#include <thread>

#include <termios.h>

namespace winorbis {

namespace simulatedline {

// The system's text for errno.
QString systemError();
// Sets a line raw (no echo, no line editing, no flow control) at the speed; false when the
// terminal refuses.
bool makeRaw(int fd, speed_t speed);

} // namespace simulatedline

// The line a simulated device serves on and the thread that serves it. The line is a new
// pseudo-terminal, whose other end is held open as well (raw before the program opens it, and up
// between the program's opens), or a serial device wired to the program's port. The simulator's
// own end is non-blocking.
class SimulatedLine {
public:
    SimulatedLine() = default;
    ~SimulatedLine() { stop(); }
    SimulatedLine(const SimulatedLine&) = delete;
    SimulatedLine& operator=(const SimulatedLine&) = delete;

    // Opens a new pseudo-terminal at 115200 baud; devicePath receives the name the program opens.
    bool openPseudoTerminal(QString* devicePath, QString* error);
    // Opens a serial device at the line speed (1200 or 115200 baud).
    bool openDevice(const QString& device, LinkSpeed speed, QString* error);

    // Runs serve on a thread of its own; serve returns once stopRequested() is true.
    void serve(std::function<void()> serve);
    void requestStop() { stopRequested_ = true; }
    bool stopRequested() const { return stopRequested_.load(); }
    // Asks the thread to end and waits for it; the line stays open.
    void stopServing();
    // Closes the line (both ends of a pseudo-terminal).
    void close();
    // Both of them.
    void stop() {
        stopServing();
        close();
    }

    // The simulator's end, -1 while closed.
    int fd() const { return fd_; }

private:
    int fd_ = -1;
    int peerFd_ = -1;
    std::thread thread_;
    std::atomic<bool> stopRequested_{false};
};

} // namespace winorbis
