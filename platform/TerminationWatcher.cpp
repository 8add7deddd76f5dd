// SPDX-License-Identifier: GPL-3.0-or-later
#include "TerminationWatcher.h"

#include <QSocketNotifier>

#include <atomic>
#include <csignal>
#include <fcntl.h>
#include <sys/socket.h>
#include <unistd.h>

namespace winorbis {

namespace {

int pipeFds[2] = {-1, -1};
std::atomic<int> signalsSeen{0}; // lock-free, so usable in a signal handler

extern "C" void onTerminationSignal(int number) {
    // A second signal ends the program at once, whatever the first one's orderly end is doing
    // (an operator pressing Ctrl+C again, a desktop that has waited long enough).
    if (signalsSeen.fetch_add(1) > 0) {
        ::signal(number, SIG_DFL);
        ::raise(number);
        return;
    }
    const unsigned char byte = static_cast<unsigned char>(number);
    [[maybe_unused]] const ssize_t written = ::write(pipeFds[1], &byte, 1);
}

// The pair that carries a signal from its handler to the event loop, and the handlers; false when
// the pair cannot be made.
bool installHandlers() {
    if (pipeFds[0] < 0) {
        if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, pipeFds) != 0)
            return false;
        ::fcntl(pipeFds[1], F_SETFL, O_NONBLOCK);
    }
    struct sigaction action = {};
    action.sa_handler = onTerminationSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    ::sigaction(SIGTERM, &action, nullptr);
    ::sigaction(SIGINT, &action, nullptr);
    return true;
}

bool signalWaiting() {
    int waiting = 0;
    return pipeFds[0] >= 0 && ::recv(pipeFds[0], &waiting, 1, MSG_PEEK | MSG_DONTWAIT) == 1;
}

} // namespace

void TerminationWatcher::catchEarly() {
    installHandlers();
}

TerminationWatcher::TerminationWatcher(QObject* parent)
    : QObject(parent) {
    // A signal caught before the watcher existed stays the first one.
    if (!signalWaiting())
        signalsSeen = 0;
    if (!installHandlers())
        return;
    notifier_ = new QSocketNotifier(pipeFds[0], QSocketNotifier::Read, this);
    connect(notifier_, &QSocketNotifier::activated, this, &TerminationWatcher::readSignal);
}

TerminationWatcher::~TerminationWatcher() {
    struct sigaction action = {};
    action.sa_handler = SIG_DFL;
    sigemptyset(&action.sa_mask);
    ::sigaction(SIGTERM, &action, nullptr);
    ::sigaction(SIGINT, &action, nullptr);
}

void TerminationWatcher::readSignal() {
    unsigned char byte = 0;
    if (::read(pipeFds[0], &byte, 1) == 1)
        emit terminationRequested(byte);
}

} // namespace winorbis
