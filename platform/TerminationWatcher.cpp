// SPDX-License-Identifier: GPL-3.0-or-later
#include "TerminationWatcher.h"

#include <QSocketNotifier>

#include <atomic>
#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <fcntl.h>
#include <sys/socket.h>
#include <thread>
#include <unistd.h>

namespace winorbis {

namespace {

int pipeFds[2] = {-1, -1};
std::atomic<int> signalsSeen{0}; // lock-free, so usable in a signal handler
// The pipe of the end's deadline: the handler writes the signal's number into it.
int deadlineFds[2] = {-1, -1};

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
    if (deadlineFds[1] >= 0) {
        [[maybe_unused]] const ssize_t told = ::write(deadlineFds[1], &byte, 1);
    }
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

void TerminationWatcher::endWithin(int ms) {
    if (deadlineFds[0] >= 0 || ::pipe2(deadlineFds, O_CLOEXEC) != 0)
        return;
    ::fcntl(deadlineFds[1], F_SETFL, O_NONBLOCK);
    std::thread([ms] {
        unsigned char number = 0;
        while (::read(deadlineFds[0], &number, 1) != 1) {
            if (errno != EINTR)
                return;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(ms));
        std::fprintf(stderr, "The program did not end within %d ms of the signal; it ends now\n",
                     ms);
        ::_exit(128 + number);
    }).detach();
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
