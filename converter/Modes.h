// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>
#include <QStringList>

#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <vector>

namespace winorbis {

// The SSTV modes: one table, one row per mode, for the converter box, the link, the modem and the
// model alike. A row holds the mode's names, its header (VIS) code, size and the layout of its
// lines on the air, and, for the box's six, the bytes the box speaks for it. No user-visible texts
// but the names: the texts made from a mode live with their subsystem.

// The modes, in the order of the table. The first six are the converter box's own, in the order
// of its buttons and of the repeater list.
enum class ModeId {
    Robot36,
    Robot72,
    Martin1,
    Martin2,
    Scottie1,
    Scottie2,
    ScottieDx,
    Robot24,
    Bw8,
    Bw12,
    Bw24,
    Bw36,
    Wraase60,
    Wraase120,
    Wraase180,
    Pasokon3,
    Pasokon5,
    Pasokon7,
    Pd50,
    Pd90,
    Pd120,
    Pd160,
    Pd180,
    Pd240,
    Pd290,
    Mp73,
    Mp115,
    Mp140,
    Mp175,
    Mr73,
    Mr90,
    Mr115,
    Mr140,
    Mr175,
    Ml180,
    Ml240,
    Ml280,
    Ml320,
};
inline constexpr int kModeCount = 38;
// The converter box's modes: the first ones of the table.
inline constexpr int kBoxModeCount = 6;

// What a part of a line carries: a fixed tone, or one colour component of the line's pixels.
// Y2 is the luminance of the second picture row of a line that carries two (PD, MP).
enum class Channel { Tone, Y, RedDiff, BlueDiff, Green, Blue, Red, Y2 };
inline constexpr int kChannelCount = 8;

// How the colour components of a line make the picture's colours.
enum class ColourModel {
    Rgb,     // each line sends green, blue and red, or red, green and blue
    YuvPair, // Y on every line, one colour difference per line serving the pair (Robot 36)
    YuvLine, // Y and both colour differences on every line (Robot 72, PD, MP, MR, ML)
    Mono,    // Y alone (the black-and-white Robot modes)
};

// One part of a line: its length, and its tone when it is not a pixel scan.
struct Segment {
    Channel channel = Channel::Tone;
    double ms = 0.0;
    double hz = 0.0;
    bool sync = false;
};

// What the converter box says and is told for one of its modes.
struct BoxCodes {
    std::uint8_t txByte;      // starts a transmission of the memory picture
    std::uint8_t freeRunByte; // starts a reception in this mode without a header
    std::uint8_t statusByte;  // the box began to receive in this mode
    int receiveWaitMs;        // the end-of-reception timer after the status byte
};

// One transmission mode, one row of the table: its names, VIS code, size and the layout of its
// lines. A line is what lies between two syncs; in most modes it makes one picture row, in PD and
// MP two (rowsPerLine).
struct Mode {
    ModeId id;
    QString name;      // "Martin 1"
    QString shortName; // "M1"
    // The VIS code: seven bits; or sixteen, for MMSSTV's extended header: 0x23 sent first (the
    // high byte), then the mode's own eight bits (the low byte).
    int vis = 0;
    int lines = 0; // picture rows
    int pixels = 0;
    double lineMs = 0.0;
    ColourModel colour = ColourModel::Rgb;
    // The layout of even lines and of odd lines (the same but for Robot 36).
    std::vector<Segment> evenLine, oddLine;
    // A sync tone sent once after the VIS before the first line (Scottie), 0 when none.
    double leadSyncMs = 0.0;
    int rowsPerLine = 1;
    // The code is also taken with odd parity, as qsstv sends it (B/W 12).
    bool visOddParityToo = false;
    // Another mode's code that a sender uses for this one too (qsstv sends MR175 with MR140's);
    // the receiver tells the two apart by their line times.
    int visToo = 0;
    // The box's bytes for its six modes; none for the others.
    std::optional<BoxCodes> box;

    const std::vector<Segment>& layout(int line) const { return line % 2 ? oddLine : evenLine; }
    // The lines between syncs a picture has.
    int scanLines() const { return lines / rowsPerLine; }
    bool extendedVis() const { return vis > 0x7f; }
    // Where the line's sync tone starts, in ms from the start of the line.
    double syncOffsetMs() const;
    double syncMs() const;
    // The length of the tone after the sync.
    double porchAfterSyncMs() const;
};

inline constexpr double kSyncHz = 1200.0;
inline constexpr double kBlackHz = 1500.0;
inline constexpr double kWhiteHz = 2300.0;
inline constexpr double kLeaderHz = 1900.0;
inline constexpr double kVisOneHz = 1100.0;
inline constexpr double kVisZeroHz = 1300.0;
inline constexpr double kVisBitMs = 30.0;
inline constexpr double kVisLeaderMs = 300.0;
inline constexpr double kVisBreakMs = 10.0;
// The whole VIS header: leader, break, leader, start bit, 7 data bits, parity, stop bit.
inline constexpr double kVisMs = 2 * kVisLeaderMs + kVisBreakMs + 10 * kVisBitMs;
// MMSSTV's extended header: the first byte (0x23) that announces a second one.
inline constexpr int kExtendedVisPrefix = 0x23;

// The whole header of a mode, extended or not.
double visMs(const Mode& m);

// The tone of a pixel value 0 .. 255.
inline double valueHz(double value) {
    return kBlackHz + (kWhiteHz - kBlackHz) * value / 255.0;
}
// The pixel value of a tone, not clamped.
inline double hzValue(double hz) {
    return (hz - kBlackHz) * 255.0 / (kWhiteHz - kBlackHz);
}

// The table of the modes, in the order of ModeId.
std::span<const Mode> modes();
const Mode& mode(ModeId id);
// By VIS code: seven bits, or the sixteen of an extended header.
std::optional<ModeId> modeByVis(int vis);
// By short name, any case ("m1", "R36", "pd120").
std::optional<ModeId> modeByShortName(const QString& name);
// By short name ("M2") or name ("Martin 2"), any case.
std::optional<ModeId> modeByName(const QString& name);
// The short names of the table, in its order.
QStringList modeShortNames();
// The converter box's modes, in the order of its buttons.
std::vector<ModeId> boxModes();
// The box's rows: the first of the table.
inline std::span<const Mode> boxModeRows() {
    return modes().first(kBoxModeCount);
}
inline bool isBoxMode(ModeId id) {
    return int(id) < kBoxModeCount;
}
// The eight bits of a seven-bit VIS code on the air, the even-parity bit as bit 7.
int visByte(int vis);
// The bytes of a mode's header on the air, in the order sent: one, or two for an extended
// header (0x23 as MMSSTV sends it, then the mode's own byte).
std::vector<int> visBytes(const Mode& m);
// The mode of a header byte as heard, its parity checked as the senders use it; nullopt for a
// byte of no known mode, a wrong parity, or the first byte of an extended header.
std::optional<ModeId> modeByVisByte(int byte);
// The mode of the second byte of an extended header.
std::optional<ModeId> modeByExtendedByte(int byte);
// The mode a sender also sends with this code (seven or sixteen bits), beside the code's own.
std::optional<ModeId> otherModeByVis(int vis);

// ---- The converter box's protocol

// The box's mode whose status byte is given.
std::optional<ModeId> modeByStatus(std::uint8_t statusByte);

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

// The modem's blocks name the table from their own namespace.
namespace sstv {
using namespace winorbis;
} // namespace sstv

} // namespace winorbis
