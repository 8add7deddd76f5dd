// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "stationcore/Station.h"

#include <QString>

#include <functional>
#include <memory>

namespace winorbis {

class BytePort;
class Converter;
class Clock;
class Dialogs;
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
    // The built-in converter on the sound card for this run (--sound-card).
    bool soundCard = false;
    // A converter made by the caller instead (tests: the sound card on audio in memory).
    std::function<std::unique_ptr<Converter>()> converterFactory = {};
    // Where the converter's own notes go (standard error), and whether every event of the sound
    // card's air goes there too (--verbose).
    std::function<void(const QString&)> converterLog = {};
    bool verbose = false;
    // When set, the station's converter: the windows attach to it, and the setup window's
    // converter choice switches it.
    StationConverter* converter = nullptr;

    // The station these services give the main window.
    Station::Setup stationSetup() const;
};

} // namespace winorbis
