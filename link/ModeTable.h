// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "LinkState.h"

#include <QString>

#include <array>
#include <cstdint>
#include <optional>

namespace winorbis {

// One SSTV mode of the converter: its names, the bytes that start a transmission or a free-run
// reception, the status byte the converter sends when it begins to receive in this mode, and the
// texts the program shows for it.
struct Mode {
    QString displayName; // "Martin 1": repeater list and status texts
    QString shortName;   // "M1": free-run texts
    QString buttonText;  // "M 1": the mode buttons
    std::uint8_t txByte; // starts a transmission of the memory picture
    std::uint8_t freeRunByte;
    std::uint8_t statusByte; // a reception began in this mode
    LinkState linkState;     // the monitor's state for an announced reception
    int receiveWaitMs;       // the end-of-reception timer
    int repeaterItem;        // index in the repeater mode list
    QString announceText;    // status bar while a reception runs
    QString repeaterText;    // status bar when the repeater sends
    QString transmitText;    // status bar when the operator sends
    QString freeRunText;     // status bar for free-run reception
};

// The six modes, in the order of the buttons and of the repeater list: R36, R72, M1, M2, S1, S2.
const std::array<Mode, 6>& modeTable();

enum class ModeId { R36 = 0, R72, M1, M2, S1, S2 };
const Mode& mode(ModeId id);

// The mode whose short name ("M2") or display name ("Martin 2") is given, ignoring case.
std::optional<ModeId> modeByName(const QString& name);
// The mode whose status byte is given.
std::optional<ModeId> modeByStatus(std::uint8_t statusByte);
// The mode whose announced-reception link state is given.
std::optional<ModeId> modeByLinkState(LinkState linkState);

// The two status bytes without a mode; both lead the monitor straight to its wait.
inline constexpr std::uint8_t kStatusWaitLong = 68;   // 1000000 ms
inline constexpr std::uint8_t kStatusWaitLonger = 72; // 1040000 ms

// The item of the main window's hidden TX-mode selector ("M1", "M2", "S1", "R36", "R72", "S2")
// that shows the converter's kind for a status or identify byte: 76 "M2", 194 "S1", 196 "R36",
// any other "M1".
int txModeItemForStatus(std::uint8_t status);

// The interval of the end-of-reception timer for a status byte; 1000 ms for any byte that is no
// status.
int receiveWaitMs(std::uint8_t lastStatus);

// The bytes the PC sends beside the mode bytes.
namespace command {
inline constexpr std::uint8_t kBeginTransfer = 1; // also stops a running reception
inline constexpr std::uint8_t kNextLine = 4;
inline constexpr std::uint8_t kLineFollows = 8;
inline constexpr std::uint8_t kIdentify = 16;
inline constexpr std::uint8_t kMemory1 = 32;
inline constexpr std::uint8_t kMemory2 = 33;
inline constexpr std::uint8_t kDigitize = 36;
} // namespace command

inline constexpr std::uint8_t kAcknowledge = 128;

} // namespace winorbis
