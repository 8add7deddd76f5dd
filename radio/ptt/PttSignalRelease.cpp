// SPDX-License-Identifier: GPL-3.0-or-later
#include "PttSignalRelease.h"

#include "PttDevices.h"

#include "platform/TerminationWatcher.h"

#include <csignal>

namespace winorbis::radio {

PttSignalRelease::PttSignalRelease(TerminationWatcher& watcher, QObject* parent)
    : QObject(parent) {
    connect(&watcher, &TerminationWatcher::terminationRequested, this, &PttSignalRelease::release);
}

PttSignalRelease::PttSignalRelease(QObject* parent)
    : QObject(parent)
    , own_(std::make_unique<TerminationWatcher>()) {
    connect(own_.get(), &TerminationWatcher::terminationRequested, this, [this](int number) {
        release(number);
        // The end the signal would have made, now that the transmitter is off.
        std::signal(number, SIG_DFL);
        std::raise(number);
    });
}

PttSignalRelease::~PttSignalRelease() = default;

void PttSignalRelease::release(int signalNumber) {
    releaseEveryPtt();
    emit released(signalNumber);
}

} // namespace winorbis::radio
