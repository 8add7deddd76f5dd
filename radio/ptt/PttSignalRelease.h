// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QObject>

#include <memory>

namespace winorbis {
class TerminationWatcher;
}

namespace winorbis::radio {

// Releases every open push-to-talk when SIGTERM or SIGINT comes, from the event loop (the signal
// only writes a byte to a pipe that a socket notifier reads; no Hamlib call runs in a signal
// handler). Given the program's own TerminationWatcher it releases before the program's handler
// ends the program in order; with none it watches the signals itself and, once released, ends
// the program as the signal would have.
class PttSignalRelease : public QObject {
    Q_OBJECT
public:
    // Made before the program connects its own handler to the watcher, so that the release
    // comes first.
    explicit PttSignalRelease(TerminationWatcher& watcher, QObject* parent = nullptr);
    explicit PttSignalRelease(QObject* parent = nullptr);
    ~PttSignalRelease() override;

signals:
    // Every push-to-talk has been released after the signal.
    void released(int signalNumber);

private:
    void release(int signalNumber);

    std::unique_ptr<TerminationWatcher> own_;
};

} // namespace winorbis::radio
