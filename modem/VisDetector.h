// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "FrequencyHistory.h"
#include "SstvModes.h"

#include <cstdint>
#include <optional>

namespace winorbis::sstv {

// A VIS header found in the frequency history.
struct VisHeader {
    int code = 0; // the seven data bits
    ModeId mode{};
    double end = 0.0;      // working-rate sample at which the stop bit ended
    double offsetHz = 0.0; // measured mistuning: the leader and sync tones above their nominal
};

// Finds VIS headers: second leader, start bit, eight bits and stop bit, as window means of the
// frequency, each tone taken relative to the mistuning measured on the leader (up to about
// +-250 Hz). A code with the wrong parity or of no known mode is ignored. Of the alignments that
// fit, the best (least squared deviation) is reported, a few ms after it.
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
        bool parityOk = false;
    };
    std::optional<Fit> evaluate(const FrequencyHistory& h, std::int64_t end) const;

    double perMs_;
    std::optional<Fit> best_;
    std::int64_t bestAt_ = 0;
    int parityFailures_ = 0;
};

} // namespace winorbis::sstv
