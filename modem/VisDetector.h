// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "FrequencyHistory.h"
#include "converter/Modes.h"

#include <cstdint>
#include <optional>

namespace winorbis::sstv {

// A VIS header found in the frequency history.
struct VisHeader {
    // The code heard: the eight bits of a plain header (the parity bit as bit 7), or for an
    // extended one 0x23 in the high byte and the second byte in the low byte.
    int code = 0;
    bool extended = false;
    // The mode of the code; nullopt for a code of no known mode (or a wrong parity).
    std::optional<ModeId> mode;
    // A second mode a sender uses the same code for, told apart by the line timing.
    std::optional<ModeId> other;
    double end = 0.0;      // working-rate sample at which the stop bit ended
    double offsetHz = 0.0; // measured mistuning: the leader and sync tones above their nominal
};

// Finds VIS headers: second leader, start bit, eight bits (sixteen for MMSSTV's extended header,
// whose first byte is 0x23) and stop bit, as window means of the frequency, each tone taken
// relative to the mistuning measured on the leader (up to about +-250 Hz). Of the alignments that
// fit, the best (least squared deviation) is reported, a few ms after it, with its mode when the
// code is one of a known mode with the parity its senders use.
class VisDetector {
public:
    explicit VisDetector(double workingRate);

    // Looks at the history after a sample has been added.
    std::optional<VisHeader> step(const FrequencyHistory& history);
    void reset();
    // Headers seen whose parity was wrong.
    int parityFailures() const { return parityFailures_; }

private:
    struct Fit {
        double score = 0.0;
        VisHeader header;
    };
    std::optional<Fit> evaluate(const FrequencyHistory& h, std::int64_t end, int bytes) const;

    double perMs_;
    std::optional<Fit> best_;
    std::int64_t bestAt_ = 0;
    int parityFailures_ = 0;
};

} // namespace winorbis::sstv
