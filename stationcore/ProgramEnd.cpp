// SPDX-License-Identifier: GPL-3.0-or-later
#include "ProgramEnd.h"

#include "Station.h"
#include "platform/Clock.h"
#include "platform/Dialogs.h"

#include <QCoreApplication>

namespace winorbis {

ProgramEnd::ProgramEnd(Parts parts)
    : parts_(std::move(parts)) {}

void ProgramEnd::terminate() {
    if (terminating_)
        return;
    terminating_ = true;
    // Nobody may be there to answer: from now on messages go to standard error only.
    parts_.dialogs.setUnattended(true);
    // A wait or transfer that runs now returns at once and its command sends nothing more.
    parts_.clock.endWaits();
    QCoreApplication::exit(0);
    // The rest runs when the command has unwound (at once when none runs): a fetch has stored
    // what it received by then.
    parts_.station.gate().whenIdle([this] {
        parts_.station.stop();
        writeEndFiles();
        QCoreApplication::exit(writesFailed_ ? 1 : 0);
    });
}

void ProgramEnd::finish() {
    // The monitor is waited for the few milliseconds it needs to leave its loop, so that nothing
    // it uses goes away under it.
    parts_.station.stop();
    if (!written_)
        writeEndFiles();
}

void ProgramEnd::writeEndFiles() {
    const bool picture = parts_.saveStartPicture();
    const bool settings = parts_.station.writeSettings();
    written_ = true;
    if (!picture || !settings) {
        writesFailed_ = true;
        if (parts_.writeFailed)
            parts_.writeFailed();
    }
}

} // namespace winorbis
