// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

#include <array>
#include <cstdint>

namespace winorbis {

// The bits of HandheldFlags, the handheld's function switches.
namespace handheldflag {
inline constexpr std::uint8_t kAfMonitorOff = 1;      // AF monitor while transmitting is off
inline constexpr std::uint8_t kCallSignDisplay = 2;   // call sign display on
inline constexpr std::uint8_t kPowerSave = 4;         // power save on
inline constexpr std::uint8_t kFastFm = 16;           // default TX mode "Fast FM" (else "Robot 36")
inline constexpr std::uint8_t kVariableInterval = 32; // variable automatic-transmission interval
inline constexpr std::uint8_t kRepeaterId = 64;       // repeater ID addition
// Bits 3 and 7 are shown nowhere and written back as read.
} // namespace handheldflag

// The handheld's colour table: the index is the colour byte on the wire (names in
// HandheldTexts.h).
enum class HandheldColour : std::uint8_t {
    White = 0,
    Yellow = 1,
    Cyanic = 2,
    Green = 3,
    Magenta = 4,
    Red = 5,
    Blue = 6,
    Black = 7,
};
inline constexpr int kHandheldColourCount = 8;

// The four status bytes r0..r3 of one memory page.
struct PageRecord {
    std::array<std::uint8_t, 4> r{};

    // r1 is the complement of r0.
    bool holdsPicture() const { return (r[0] ^ r[1]) == 0xff; }
    // r3 is the complement of r2: nothing is stored into the page.
    bool isHeld() const { return (r[2] ^ r[3]) == 0xff; }
    // A page with a picture whose r1 is above 100 makes the following page unusable.
    bool blocksNextPage() const { return holdsPicture() && r[1] > 100; }
};

// The memory pages, addressed by their index 0..9 (page 1..10).
namespace handheldpage {
inline constexpr int kCount = 10;
inline constexpr std::uint32_t kFirstStatusAddress = 33816584;
inline constexpr std::uint32_t kPageStride = 25600;
inline constexpr std::uint32_t kHoldOffset = 2;

constexpr bool isValidIndex(int index) {
    return index >= 0 && index < kCount;
}
// The page's status address; the index must be valid.
constexpr std::uint32_t statusAddress(int index) {
    return kFirstStatusAddress + kPageStride * std::uint32_t(index);
}
// The address of the page's hold bytes, 2 above its status.
constexpr std::uint32_t holdAddress(int index) {
    return statusAddress(index) + kHoldOffset;
}
// An address as it is sent: most significant byte first.
constexpr std::array<std::uint8_t, 4> addressBytes(std::uint32_t address) {
    return {std::uint8_t(address >> 24), std::uint8_t(address >> 16), std::uint8_t(address >> 8),
            std::uint8_t(address)};
}
} // namespace handheldpage

// The automatic-transmission interval: seconds in the window, ticks of 15 ms on the wire.
namespace handheldinterval {
inline constexpr int kMinSeconds = 1;
inline constexpr int kMaxSeconds = 960;
inline constexpr int kDefaultSeconds = 60;

// (s x 1000 + 8) div 15, seconds limited to 1..960 so that the ticks fit their two bytes.
std::uint16_t secondsToTicks(int seconds);
// (ticks x 15 + 500) div 1000.
int ticksToSeconds(std::uint16_t ticks);
} // namespace handheldinterval

// What the program keeps of the handheld's answers: the function switches, the settings block
// and the ten page records as last read. All start as zero bytes and live as long as their owner
// (the program keeps one for its whole run); nothing is saved to disk.
struct HandheldData {
    static constexpr int kBlockSize = 64;
    static constexpr int kCallSignOffset = 32;
    static constexpr int kCallSignLength = 8;
    static constexpr int kCallColourOffset = 43;
    static constexpr int kIntervalOffset = 44;

    std::uint8_t HandheldFlags = 0;
    std::array<std::uint8_t, kBlockSize> HandheldBlock{};
    std::array<PageRecord, handheldpage::kCount> PageRecords{};

    // The call sign of the block: its 8 characters (Windows Latin) with blanks and control
    // characters removed at both ends.
    QString callSign() const;
    // The call sign's colour index as the block holds it (0..7 from a sound handheld).
    std::uint8_t callColour() const { return HandheldBlock[kCallColourOffset]; }
    // Why the block read cannot come from a sound handheld (a call sign with characters the
    // handheld cannot show or with zero bytes between them, a colour beyond its table, an
    // interval beyond 960 s); empty when it keeps the record's rules.
    QString problem() const;
    // The interval of the block, most significant byte first.
    std::uint16_t intervalTicks() const {
        return std::uint16_t(HandheldBlock[kIntervalOffset] << 8 |
                             HandheldBlock[kIntervalOffset + 1]);
    }
};

} // namespace winorbis
