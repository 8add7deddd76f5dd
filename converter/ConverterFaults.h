// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "ConverterModel.h"

#include <cstdint>
#include <map>
#include <set>

namespace winorbis {

// The faults of a simulated converter and its line, as a layer between the line and the
// converter model: it decides which bytes from the PC the model never sees, which of the model's
// answers are withheld, cut short or preceded by garbage, and when the line closes. The model
// answers as the box does; only this layer makes it misbehave. The simulator (and the served line
// under it) and the tests' in-memory converter put it around the model; with no fault switched
// on it passes every byte and every answer unchanged. Status bytes off the air (receptions) do not
// pass it. Every field may change between two bytes. Not thread-safe: the model's driver
// serialises its calls with the model's.
class ConverterFaults {
public:
    // Answers nothing at all: command bytes never reach the model; the bytes of an uploaded line
    // still do (the line is stored), but its acknowledge is withheld.
    bool silent = false;
    // Acknowledges the begin-transfer command 1.
    bool ackBeginTransfer = true;
    // From this upload line on (0 = the header line) the announcement 8 is neither acknowledged
    // nor taken by the model, so the bytes that follow are commands; -1 never.
    int noLineFollowsAckFrom = -1;
    // No line acknowledge from this upload line on; -1 never.
    int noLineAckFrom = -1;
    // Fetch lines (1 .. 256) that are never sent.
    std::set<int> droppedFetchLines;
    // Fetch lines (1 .. 256) of which only the first bytes are sent; the converter stays there
    // and answers the next command.
    std::map<int, int> cutFetchLines;
    // From this fetch line (1 .. 256) on the converter falls silent (silent becomes true); -1
    // never.
    int silentFromFetchLine = -1;
    // Bytes that mean nothing, sent before each answer to a byte (never before a status byte).
    int garbageBeforeAnswers = 0;
    // The line closes after this many lines of a transfer (upload or fetch); 0 never.
    int closeAfterLines = 0;

    // One byte from the PC through the faults to the model, and the model's answer back through
    // them.
    ConverterModel::Output feed(ConverterModel& model, std::uint8_t byte);

private:
    ConverterModel::Output fetchLine(ConverterModel& model, std::uint8_t byte);
    QByteArray garbage() const;
    // Garbage before a non-empty answer.
    void garbageBefore(ConverterModel::Output& out) const;
    // Counts a line of the transfer; closes the line after closeAfterLines of them.
    void countTransferLine(ConverterModel::Output& out);

    // Lines of the transfer under way, for closeAfterLines.
    int transferredLines_ = 0;
};

} // namespace winorbis
