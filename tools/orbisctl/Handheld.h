// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "handheld/HandheldExchange.h"

#include <QStringList>

#include <cstdio>
#include <optional>

namespace winorbis {

class BytePort;
class Dialogs;

// One "orbisctl handheld" command, checked before any byte goes to the handheld.
struct HandheldCommand {
    enum class Verb { Read, Store, Recall, Hold, Release, Text, Functions };
    Verb verb = Verb::Read;
    int pageIndex = 0; // 0..9
    HandheldExchange::Text text = HandheldExchange::Text::Message;
    QString characters;
    std::uint8_t colour = 0;
    // The function switches to change; what is not given stays as the handheld has it.
    std::optional<bool> afMonitor, callDisplay, powerSave, fastFm, variableInterval, repeaterId;
    std::optional<int> intervalSeconds;
};

// The words after "handheld"; nullopt with the reason on a usage error.
std::optional<HandheldCommand> parseHandheldCommand(const QStringList& words, QString* why);

// Runs the command on the handheld at the port with the settings window's exchanges. Prints the
// state (read) or the window's status text of the outcome; the exchange's message goes to the
// dialogs. Returns 0 on success, 1 on failure.
int runHandheld(const HandheldCommand& command, BytePort& port, Dialogs& dialogs, std::FILE* out,
                std::FILE* err);

} // namespace winorbis
