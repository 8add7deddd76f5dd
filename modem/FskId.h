// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "FrequencyHistory.h"

#include <QString>

#include <cstdint>
#include <optional>
#include <vector>

namespace winorbis::sstv {

// The callsign that MMSSTV and qsstv send in FSK after a picture: 45.45 baud (22 ms a bit),
// 2100 Hz for a 0 and 1900 Hz for a 1, six-bit words sent least significant bit first: 0x20 and
// 0x2A, then each character less 0x20, then 0x01 and the exclusive or of the characters' words.
// It comes after a pause on the black tone and a lead-in on the 0 tone; a steady 1 tone ends it.
namespace fskid {

inline constexpr double kBitMs = 22.0;
inline constexpr double kZeroHz = 2100.0;
inline constexpr double kOneHz = 1900.0;
inline constexpr double kPauseMs = 300.0; // black tone after the picture
inline constexpr double kLeadMs = 100.0;  // 0 tone before the first word's last bit
inline constexpr double kTailMs = 100.0;  // 1 tone after the checksum
inline constexpr int kMaxCharacters = 16;

// The callsign as it can be sent: capitals, digits and the signs between 0x20 and 0x5F, at most
// kMaxCharacters; empty when nothing of it can.
QString sendable(const QString& callsign);
// The bits after the lead-in, in the order sent: the last bit of 0x20, then 0x2A, the
// characters, 0x01 and the checksum.
std::vector<int> bits(const QString& callsign);
// Milliseconds the whole signal lasts (pause, lead-in, bits and tail).
double durationMs(const QString& callsign);

} // namespace fskid

// Finds an FSK ID in the frequency history: the bits of 0x20's end and 0x2A as window means,
// each relative to the tone between 0 and 1 with the mistuning taken out; the best alignment
// within a few ms sets the timing of the words that follow, which are read as they come. A
// callsign is reported when its end word and checksum have come and agree.
class FskIdDecoder {
public:
    explicit FskIdDecoder(double workingRate);

    // Looks at the history after a sample has been added.
    std::optional<QString> step(const FrequencyHistory& history, double offsetHz);
    void reset();

private:
    struct Fit {
        double score = 0.0;
        double end = 0.0; // where the last bit of 0x2A ends
    };
    std::optional<Fit> evaluate(const FrequencyHistory& h, std::int64_t end, double offset) const;
    // The bit whose window starts at a, or nullopt when the tone is neither.
    std::optional<int> bitAt(const FrequencyHistory& h, double a, double offset) const;

    double perMs_;
    std::optional<Fit> best_;
    std::int64_t bestAt_ = 0;
    // Reading the words: where the next bit starts and what has come so far.
    std::optional<double> next_;
    int bitCount_ = 0;
    int word_ = 0;
    std::vector<int> words_;
};

} // namespace winorbis::sstv
