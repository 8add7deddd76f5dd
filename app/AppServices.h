// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

namespace winorbis {

class Clock;
class Dialogs;

// What the program's windows are given from outside: how they speak to the operator, the clock
// of all waits and timers, and the program folder. The program passes the real ones; tests pass a
// scripted answerer, a virtual clock and a temporary folder.
struct AppServices {
    Dialogs& dialogs;
    Clock& clock;
    QString folder; // empty: the current directory when the main window is created
};

} // namespace winorbis
