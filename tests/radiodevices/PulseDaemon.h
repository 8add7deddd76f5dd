// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QProcess>
#include <QString>
#include <QTemporaryDir>

namespace winorbis::test {

// A PulseAudio daemon of the test's own: its own runtime folder, home and socket, no shared
// memory, never ending when idle, and a null sink ("Orbis test sink") whose monitor is the
// capture ("Orbis test capture": Qt lists no monitor sources, so the monitor is remapped into a
// source of its own). export() points this process's sound clients at it, and at nothing else:
// autospawn is off. Killed and started again, it listens on the same socket.
class PulseDaemon {
public:
    PulseDaemon();
    ~PulseDaemon();
    PulseDaemon(const PulseDaemon&) = delete;
    PulseDaemon& operator=(const PulseDaemon&) = delete;

    static constexpr const char* sinkDescription = "Orbis test sink";
    static constexpr const char* captureDescription = "Orbis test capture";

    // The installed pulseaudio, empty when there is none.
    static QString program();

    // Starts the daemon and waits until `pactl info` answers through its socket; false with the
    // reason.
    bool start(QString* error);
    // Kills it at once, as a crash would.
    void kill();
    // Ends it in order.
    void stop();
    // Stops it without ending it (SIGSTOP), as a hung server; and lets it go on (SIGCONT).
    void freeze();
    void thaw();
    // Takes the capture device away, as an unplugged USB sound card goes, and brings it back.
    bool unplugCapture() const;
    bool plugCaptureIn() const;
    // Runs pactl against the daemon; true when it succeeds.
    bool pactl(const QStringList& arguments) const;

    // unix:PATH of its socket, for PULSE_SERVER.
    QString server() const;
    // Sets PULSE_SERVER and a client configuration without autospawn in this process's
    // environment, before any sound client starts.
    void exportToThisProcess() const;

private:
    static QString captureArguments();
    QProcessEnvironment environment() const;

    QTemporaryDir dir_;
    QProcess process_;
};

// Whether a missing tool fails a test rather than skipping it: in continuous integration.
bool missingToolFails();

} // namespace winorbis::test
