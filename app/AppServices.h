// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

#include <functional>
#include <memory>

namespace winorbis {

class BytePort;
class Clock;
class Dialogs;
class ReceivedRows;
class StationConverter;

// What the program's windows are given from outside: how they speak to the operator, the clock
// of all waits and timers, and the program folder. The program passes the real ones; tests pass a
// scripted answerer, a virtual clock and a temporary folder.
struct AppServices {
    Dialogs& dialogs;
    Clock& clock;
    QString folder; // empty: the current directory when the main window is created
    // The converter's device for this run instead of the settings' COM port (--port, and the
    // built-in simulated converter of --simulate).
    QString portDevice = {};
    // What the status bar calls the converter's port when not its own kind ("simulated
    // converter" for --simulate, "Sound card" for --sound-card).
    QString portKind = {};
    // When set, the converter is reached through this port instead of a serial device.
    std::function<std::unique_ptr<BytePort>()> portFactory = {};
    // When set, the rows of a picture the built-in converter receives, which the windows draw
    // into the RX picture as they land.
    ReceivedRows* receivedRows = nullptr;
    // When set, the station's converter: the windows attach to it, and the setup window's
    // converter choice switches it.
    StationConverter* converter = nullptr;
};

} // namespace winorbis
