// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <functional>

namespace winorbis {

class Clock;
class Dialogs;
class Station;

// The program's end in order, whichever way it comes: the operator's close, or a signal (SIGTERM,
// SIGINT) with nobody there to answer. The receive monitor ends, then the TX picture ("\start.bmp")
// and the settings ("\COM.DAT") are written once, each whether the other failed or not. No widgets.
class ProgramEnd {
public:
    struct Parts {
        Station& station;
        Clock& clock;
        Dialogs& dialogs;
        // Writes the TX picture as "\start.bmp" (the caption frames gone first); false when it
        // failed.
        std::function<bool()> saveStartPicture;
        // A write of the end failed.
        std::function<void()> writeFailed;
    };
    explicit ProgramEnd(Parts parts);

    // Ends without asking: a running converter command stops at its next step without sending
    // anything more (a fetch keeps what it has received), every event loop ends (an open message
    // box's among them), then the monitor ends and the end files are written; the application's
    // status is 1 when a write failed. Works inside an open message box as well.
    void terminate();
    bool terminating() const { return terminating_; }
    // The window goes: the monitor ends, and the end files are written unless a signal's end has
    // written them already.
    void finish();
    bool writesFailed() const { return writesFailed_; }

private:
    void writeEndFiles();

    Parts parts_;
    bool terminating_ = false;
    bool written_ = false;
    bool writesFailed_ = false;
};

} // namespace winorbis
