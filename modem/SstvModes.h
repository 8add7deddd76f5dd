// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

#include <array>
#include <optional>
#include <span>
#include <vector>

namespace winorbis::sstv {

enum class ModeId { Robot36, Robot72, Martin1, Martin2, Scottie1, Scottie2 };
inline constexpr int kModeCount = 6;

// What a part of a line carries: a fixed tone, or one colour component of the line's pixels.
enum class Channel { Tone, Y, RedDiff, BlueDiff, Green, Blue, Red };

// How the colour components of a line make the picture's colours.
enum class ColourModel {
    Rgb,     // each line sends green, blue and red (Martin, Scottie)
    YuvPair, // Y on every line, one colour difference per line serving the pair (Robot 36)
    YuvLine, // Y and both colour differences on every line (Robot 72)
};

// One part of a line: its length, and its tone when it is not a pixel scan.
struct Segment {
    Channel channel = Channel::Tone;
    double ms = 0.0;
    double hz = 0.0;
    bool sync = false;
};

// One transmission mode: its names, VIS code, size and the layout of its lines.
struct Mode {
    ModeId id;
    QString name;      // "Martin 1"
    QString shortName; // "M1"
    int vis = 0;
    int lines = 0;
    int pixels = 0;
    double lineMs = 0.0;
    ColourModel colour = ColourModel::Rgb;
    // The layout of even lines and of odd lines (the same but for Robot 36).
    std::vector<Segment> evenLine, oddLine;
    // A sync tone sent once after the VIS before the first line (Scottie), 0 when none.
    double leadSyncMs = 0.0;

    const std::vector<Segment>& layout(int line) const { return line % 2 ? oddLine : evenLine; }
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

// The tone of a pixel value 0 .. 255.
inline double valueHz(double value) {
    return kBlackHz + (kWhiteHz - kBlackHz) * value / 255.0;
}
// The pixel value of a tone, not clamped.
inline double hzValue(double hz) {
    return (hz - kBlackHz) * 255.0 / (kWhiteHz - kBlackHz);
}

// The table of the six modes, in the order of ModeId.
std::span<const Mode> modes();
const Mode& mode(ModeId id);
std::optional<ModeId> modeByVis(int vis);
// By short name, any case ("m1", "R36").
std::optional<ModeId> modeByShortName(const QString& name);
// The eight bits of the VIS code on the air, the even-parity bit as bit 7.
int visByte(int vis);

} // namespace winorbis::sstv
