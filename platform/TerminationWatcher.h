// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QObject>

class QSocketNotifier;

namespace winorbis {

// Turns SIGTERM and SIGINT (the desktop logging out, Ctrl+C in a terminal) into a signal on the
// user-interface thread, so that the program can end in order. It also fires inside the nested
// event loop of an open message box. A second signal ends the process at once, by the signal's
// default action. One watcher per process.
class TerminationWatcher : public QObject {
    Q_OBJECT
public:
    explicit TerminationWatcher(QObject* parent = nullptr);
    ~TerminationWatcher() override;

    // Catches the signals from the program's first moment on, before the application object and
    // the watcher exist (starting Qt may take seconds on a cold font cache): a signal caught so
    // early waits, and the watcher made later reports it once an event loop runs.
    static void catchEarly();
    // From the first signal on, the process ends within ms whatever it is doing (a call into a
    // device that hangs, a sound server that does not answer), with the status a signal's orderly
    // end has (128 + its number): the orderly end has that long to release the transmitter and
    // write its files. For programs whose end must not wait on devices; needs catchEarly() or a
    // watcher to catch the signals.
    static void endWithin(int ms);

signals:
    void terminationRequested(int signalNumber);

private:
    void readSignal();
    QSocketNotifier* notifier_ = nullptr;
};

} // namespace winorbis
