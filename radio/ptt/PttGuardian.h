// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

#include <memory>
#include <sys/types.h>

namespace winorbis::radio {

// The net under the push-to-talk: a small process of its own (orbis-ptt-guardian), started with
// the push-to-talk before the first key and tied to the program by a socket. The program tells it
// before each key how long the key may last at most, and after its own release that the key is
// off. The guardian releases the transmitter through the same path as the program (Hamlib's rig,
// rigctld, the serial line's RTS or DTR) when the program goes while a key is on, however it goes
// (SIGKILL, a crash, the out-of-memory killer: the socket closes), and when a key lasts longer than
// it may (a frozen program). A release that fails (rigctld gone) is said on standard error and
// tried again every half second. Otherwise it sleeps on the socket.
//
// The program's side, used from the thread that keys the transmitter.
class PttGuardian {
public:
    // Starts the guardian for the push-to-talk a text names (PttDevices.h). Null with the reason
    // when it cannot be started or does not answer.
    static std::unique_ptr<PttGuardian> start(const QString& pttText, QString* error);
    // Ends the guardian: it releases the transmitter itself if a key is still on.
    ~PttGuardian();
    PttGuardian(const PttGuardian&) = delete;
    PttGuardian& operator=(const PttGuardian&) = delete;

    // Before a key: the guardian watches it from now on for limitMs. False with the reason when the
    // guardian does not answer (it has ended): the transmitter must then not be keyed.
    bool arm(int limitMs, QString* error);
    // After the program's own release: the guardian stops watching. False when it has ended.
    bool disarm();
    // The guardian's process.
    pid_t pid() const { return pid_; }

    // Where the guardian's program is: beside the installed programs (libexec/winorbis), else
    // where the build made it. Empty when it is in neither place.
    static QString program();

private:
    PttGuardian(int socket, pid_t pid);
    // Sends a command and waits up to timeoutMs for the answer; false when none comes.
    bool ask(const char* command, const char* answer, int timeoutMs);

    int socket_;
    pid_t pid_;
    QByteArray pending_; // what the guardian said beyond the last answer
};

} // namespace winorbis::radio
