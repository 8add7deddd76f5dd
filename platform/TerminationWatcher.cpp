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

} // namespace

TerminationWatcher::TerminationWatcher(QObject* parent)
    : QObject(parent) {
    signalsSeen = 0;
    if (pipeFds[0] < 0 && ::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, pipeFds) != 0)
        return;
    ::fcntl(pipeFds[1], F_SETFL, O_NONBLOCK);
    notifier_ = new QSocketNotifier(pipeFds[0], QSocketNotifier::Read, this);
    connect(notifier_, &QSocketNotifier::activated, this, &TerminationWatcher::readSignal);

    struct sigaction action = {};
    action.sa_handler = onTerminationSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    ::sigaction(SIGTERM, &action, nullptr);
    ::sigaction(SIGINT, &action, nullptr);
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
