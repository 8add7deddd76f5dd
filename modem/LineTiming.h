// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "FrequencyHistory.h"
#include "converter/Modes.h"

#include <cstdint>
#include <deque>
#include <optional>
#include <vector>

namespace winorbis::sstv {

// A stretch of sync tone found without knowing the mode.
struct SyncEvent {
    double start = 0.0;  // working-rate sample
    double length = 0.0; // samples
};

// Finds stretches of sync tone 3.5 to 24 ms long in the frequency history, sample by sample:
// a 2 ms window mostly at the sync tone opens a stretch, falling below closes it, and gaps of
// under 2 ms (noise clicks) are bridged.
class SyncEventDetector {
public:
    // A coarser detector (a longer window, longer gaps bridged) finds long syncs (PD's) in a
    // weak signal, whose clicks break them up for the fine one: it reports stretches of at
    // least leastMs.
    explicit SyncEventDetector(double workingRate, double boxMs = 2.0, double bridgeMs = 2.0,
                               double leastMs = 3.5);
    std::optional<SyncEvent> step(const FrequencyHistory& history);
    void reset();

private:
    double perMs_;
    std::int64_t box_;
    double bridgeMs_, leastMs_;
    bool inRun_ = false;
    std::int64_t runStart_ = 0, runEnd_ = 0;
    bool pending_ = false;
};

// Finds the mode of a picture whose VIS was missed from the times of its syncs: six or more
// syncs, the latest one among them, spaced by whole line times of one mode (at most one line
// skipped, within 2500 ppm), and no syncs of the same kind between them (a mode of a longer line
// would see every second or third sync of a shorter one). Of the modes that fit, the one whose
// other fixed tones (the sync's length, porches, separators) the lines show best wins; where two
// fit alike, the one earlier in the table (the commoner: Robot 36 before B/W 36, B/W 12 before
// B/W 24, which differ only in the length of their sync and porch).
class ModeFinder {
public:
    explicit ModeFinder(double workingRate);

    struct Found {
        ModeId mode{};
        // The syncs of the chain, oldest first, with their line numbers counted from the first.
        std::vector<std::pair<int, double>> syncs;
        // 1 when the chain's first sync is that of an odd line (modes whose lines alternate).
        int parity = 0;
    };
    std::optional<Found> add(const SyncEvent& event, const FrequencyHistory& history);
    void reset() { events_.clear(); }
    // Looks for this mode alone; nullopt: for all.
    void setOnlyMode(std::optional<ModeId> mode) { only_ = mode; }
    // Looks for these modes alone; empty: for all.
    void setModes(std::vector<ModeId> modes) { modes_ = std::move(modes); }
    // How well the fixed tones of a mode's lines fit the history at the syncs found: ms of tone
    // per line, less where it is far off; the chain's first line taken as even or as odd.
    double likeness(const Mode& m, const Found& found, const FrequencyHistory& history,
                    int parity) const;

private:
    std::optional<Found> chain(const Mode& mode) const;
    bool syncsBetween(const Mode& mode, const Found& found) const;

    double perMs_;
    std::deque<SyncEvent> events_;
    std::optional<ModeId> only_;
    std::vector<ModeId> modes_;
};

// The line timing of a picture: the least-squares line through the measured sync times against
// line numbers, which gives each line's start with the slant taken out and the clock error.
class LineFit {
public:
    explicit LineFit(double nominalPeriod)
        : nominal_(nominalPeriod) {}

    void add(int line, double time);
    int count() const { return n_; }
    // The sync time of a line from the fit (from the nominal period with fewer than two syncs;
    // with none, from the given anchor).
    double predict(int line) const;
    double period() const;
    void setAnchor(int line, double time) {
        anchorLine_ = line;
        anchor_ = time;
    }
    // How far a time lies from the fit's sync of a line.
    double residual(int line, double time) const { return time - predict(line); }

private:
    double nominal_;
    int n_ = 0;
    double sx_ = 0, sy_ = 0, sxx_ = 0, sxy_ = 0;
    int anchorLine_ = 0;
    double anchor_ = 0.0;
    int lastLine_ = 0;
    double lastTime_ = 0.0;
};

// The best alignment of a sync tone of the given length near an expected start: the centre of
// the peak of the windowed sync share, and the share at the peak (1 for a clean sync).
struct SyncMatch {
    double start = 0.0;
    double share = 0.0;
};
SyncMatch matchSync(const FrequencyHistory& history, double expected, double halfWindow,
                    double length);

// The start of a sync tone found roughly at roughStart, from the rise at its end into the
// porch that follows: the tone and the porch frequencies known, the time of the step is where
// the area under the frequency puts it. The start of a sync depends on what came before it,
// its end never; the porch must be long enough to hold the rise (1.5 ms and more), else the
// rough start is kept.
double refineSyncStart(const FrequencyHistory& history, double roughStart, double length,
                       double porch, double offsetHz, double perMs);

} // namespace winorbis::sstv
