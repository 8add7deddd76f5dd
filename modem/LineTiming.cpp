// SPDX-License-Identifier: GPL-3.0-or-later
#include "LineTiming.h"

#include <algorithm>
#include <cmath>

namespace winorbis::sstv {

namespace {

constexpr double kThreshold = 0.5;
// A sync between dark pixels (black is close to the sync tone) runs long: up to the longest
// sync (PD's 20 ms) and the 3.5 ms the mode finder allows above it.
constexpr double kMaxSyncMs = 23.5;
constexpr double kSyncShorterMs = 2.5;
constexpr double kSyncLongerMs = 3.5;
constexpr int kChainSyncs = 6;
constexpr double kChainPpm = 2500.0;
constexpr double kChainJitterMs = 1.5;
constexpr double kChainJitterPerSync = 0.15;
constexpr double kHistoryMs = 6 * 1400.0;
// Two modes whose tones fit within this many ms per line are told apart by the table's order.
constexpr double kLikenessMarginMs = 1.5;
// Tones that alternate between even and odd lines count fully when they differ by this share of
// the difference there should be (a weak signal narrows it).
constexpr double kAlternationShare = 0.25;
// A tone this far off counts against a mode as much as a tone in place counts for it.
constexpr double kToneSpreadHz = 150.0;
constexpr double kMaxClockError = 0.004;

} // namespace

SyncEventDetector::SyncEventDetector(double workingRate, double boxMs, double bridgeMs,
                                     double leastMs)
    : perMs_(workingRate / 1000.0)
    , box_(std::max<std::int64_t>(2, std::llround(boxMs * perMs_)))
    , bridgeMs_(bridgeMs)
    , leastMs_(leastMs) {}

void SyncEventDetector::reset() {
    inRun_ = false;
    pending_ = false;
}

std::optional<SyncEvent> SyncEventDetector::step(const FrequencyHistory& h) {
    const std::int64_t boxStart = h.end() - box_;
    if (boxStart < h.oldest())
        return std::nullopt;
    const bool low = h.syncShare(boxStart, h.end()) >= kThreshold;
    if (low) {
        if (!inRun_) {
            inRun_ = true;
            // A short gap after the last stretch joins the two.
            if (!(pending_ && double(boxStart - runEnd_) < bridgeMs_ * perMs_))
                runStart_ = boxStart;
            pending_ = false;
        }
        runEnd_ = boxStart;
        return std::nullopt;
    }
    if (inRun_) {
        inRun_ = false;
        pending_ = true;
        return std::nullopt;
    }
    if (pending_ && double(boxStart - runEnd_) >= bridgeMs_ * perMs_) {
        pending_ = false;
        const double length = double(runEnd_ - runStart_) + double(box_) * (2 * kThreshold);
        if (length >= leastMs_ * perMs_ && length <= kMaxSyncMs * perMs_)
            return SyncEvent{double(runStart_) + double(box_) * (1 - kThreshold), length};
    }
    return std::nullopt;
}

ModeFinder::ModeFinder(double workingRate)
    : perMs_(workingRate / 1000.0) {}

std::optional<ModeFinder::Found> ModeFinder::chain(const Mode& m) const {
    const double period = m.lineMs * perMs_;
    Found found;
    found.mode = m.id;
    double last = events_.back().start;
    int line = 0;
    int skipped = 0;
    std::vector<std::pair<int, double>> syncs{{0, last}};
    for (auto it = std::next(events_.rbegin()); it != events_.rend(); ++it) {
        const double d = last - it->start;
        if (d > 2.5 * period)
            break;
        const int k = int(std::lround(d / period));
        if (k < 1)
            continue;
        // A long sync found in noise is placed less exactly.
        const double tolerance = (kChainJitterMs + kChainJitterPerSync * m.syncMs()) * perMs_ +
                                 kChainPpm * 1e-6 * k * period;
        if (std::fabs(d - k * period) > tolerance)
            continue;
        if (k > 1 && ++skipped > 1)
            break;
        line -= k;
        last = it->start;
        syncs.emplace_back(line, last);
    }
    if (int(syncs.size()) < kChainSyncs)
        return std::nullopt;
    std::reverse(syncs.begin(), syncs.end());
    const int first = syncs.front().first;
    for (auto& s : syncs)
        s.first -= first;
    found.syncs = std::move(syncs);
    return found;
}

bool ModeFinder::syncsBetween(const Mode& m, const Found& found) const {
    // Stretches of the mode's sync kind well inside the intervals of the chain.
    const double margin = (m.syncMs() + kSyncLongerMs) * perMs_;
    int intervals = 0, with = 0;
    for (std::size_t i = 0; i + 1 < found.syncs.size(); ++i) {
        if (found.syncs[i + 1].first - found.syncs[i].first != 1)
            continue;
        ++intervals;
        const double a = found.syncs[i].second + margin, b = found.syncs[i + 1].second - margin;
        for (const SyncEvent& e : events_)
            if (e.start > a && e.start < b && e.length >= (m.syncMs() - kSyncShorterMs) * perMs_ &&
                e.length <= (m.syncMs() + kSyncLongerMs) * perMs_) {
                ++with;
                break;
            }
    }
    return 2 * with >= std::max(1, intervals);
}

double ModeFinder::likeness(const Mode& m, const Found& found, const FrequencyHistory& h,
                            int parity) const {
    // The sync by its mean, which shows a sync too short for the mode; every other fixed tone
    // by the median of its samples, which the clicks of a weak signal (pulling a mean towards
    // the middle of the band) hardly move.
    const double trim = 0.4 * perMs_;
    double sum = 0.0;
    int lines = 0;
    std::vector<float> pool;
    // Tones that differ between even and odd lines (Robot 36's separators): their mean on
    // each, by the segment's place in the line.
    std::vector<std::array<double, 2>> alternating(m.evenLine.size(), {0.0, 0.0});
    std::array<int, 2> counted{0, 0};
    for (const auto& [line, syncStart] : found.syncs) {
        // The line's segments from its sync on, around to the sync again.
        double at = syncStart - m.syncOffsetMs() * perMs_;
        if (at < double(h.oldest()) || at + m.lineMs * perMs_ >= double(h.end()))
            continue;
        ++lines;
        const int odd = (line + parity) % 2 != 0;
        ++counted[std::size_t(odd)];
        const auto& layout = m.layout(line + parity);
        for (std::size_t i = 0; i < layout.size(); ++i) {
            const Segment& s = layout[i];
            const double length = s.ms * perMs_;
            if (s.channel == Channel::Tone && length > 2 * trim) {
                pool.clear();
                h.collect(at + trim, at + length - trim, pool);
                const double measured = s.sync ? h.meanHz(at + trim, at + length - trim)
                                               : FrequencyHistory::median(pool);
                const double d = std::fabs(measured - s.hz);
                sum += s.ms * std::clamp(1.0 - d / kToneSpreadHz, -1.0, 1.0);
                alternating[i][std::size_t(odd)] += measured;
            }
            at += length;
        }
    }
    if (lines == 0)
        return -1e9;
    // In a weak signal every tone reads closer to the middle of the band, but tones that
    // alternate still differ the right way between even and odd lines, where a picture's
    // content would not.
    double alternation = 0.0;
    if (counted[0] > 0 && counted[1] > 0)
        for (std::size_t i = 0; i < alternating.size() && i < m.oddLine.size(); ++i) {
            const Segment &even = m.evenLine[i], &odd = m.oddLine[i];
            if (even.channel != Channel::Tone || std::fabs(odd.hz - even.hz) < 100.0)
                continue;
            const double difference =
                alternating[i][1] / counted[1] - alternating[i][0] / counted[0];
            alternation +=
                even.ms *
                std::clamp(difference / (kAlternationShare * (odd.hz - even.hz)), -1.0, 1.0);
        }
    return sum / lines + alternation;
}

std::optional<ModeFinder::Found> ModeFinder::add(const SyncEvent& event,
                                                 const FrequencyHistory& history) {
    events_.push_back(event);
    while (events_.front().start < event.start - kHistoryMs * perMs_)
        events_.pop_front();
    std::optional<Found> best;
    double bestLikeness = 0.0;
    for (const Mode& m : modes()) {
        if ((only_ && m.id != *only_) ||
            (!modes_.empty() && std::find(modes_.begin(), modes_.end(), m.id) == modes_.end()))
            continue;
        // A sync runs long between dark pixels, rarely short.
        const double syncMs = m.syncMs();
        if (event.length > (syncMs + kSyncLongerMs) * perMs_ ||
            event.length < (syncMs - kSyncShorterMs) * perMs_)
            continue;
        auto found = chain(m);
        // In free run the mode is known: a Robot 72 sync every other line time is no Robot 36.
        if (!found || (!only_ && syncsBetween(m, *found)))
            continue;
        // Where even and odd lines differ, which the chain's first is.
        double l = likeness(m, *found, history, 0);
        if (m.colour == ColourModel::YuvPair)
            if (const double odd = likeness(m, *found, history, 1); odd > l) {
                l = odd;
                found->parity = 1;
            }
        if (!best || l > bestLikeness + kLikenessMarginMs) {
            best = std::move(found);
            bestLikeness = l;
        }
    }
    if (best)
        events_.clear();
    return best;
}

void LineFit::add(int line, double time) {
    ++n_;
    sx_ += line;
    sy_ += time;
    sxx_ += double(line) * line;
    sxy_ += double(line) * time;
    lastLine_ = line;
    lastTime_ = time;
}

double LineFit::period() const {
    if (n_ < 2)
        return nominal_;
    const double d = n_ * sxx_ - sx_ * sx_;
    if (d <= 0.0)
        return nominal_;
    // No sound card is further off than this; a wilder slope comes of noisy syncs.
    return std::clamp((n_ * sxy_ - sx_ * sy_) / d, nominal_ * (1 - kMaxClockError),
                      nominal_ * (1 + kMaxClockError));
}

double LineFit::predict(int line) const {
    if (n_ == 0)
        return anchor_ + (line - anchorLine_) * nominal_;
    if (n_ == 1)
        return lastTime_ + (line - lastLine_) * nominal_;
    const double b = period();
    const double a = (sy_ - b * sx_) / n_;
    return a + b * line;
}

SyncMatch matchSync(const FrequencyHistory& h, double expected, double halfWindow, double length) {
    const auto len = std::max<std::int64_t>(1, std::llround(length));
    const auto from = std::max<std::int64_t>(h.oldest(), std::llround(expected - halfWindow));
    const auto to = std::min<std::int64_t>(h.end() - len, std::llround(expected + halfWindow));
    if (to < from)
        return {};
    std::vector<double> sums(std::size_t(to - from + 1));
    double peak = -1.0;
    std::int64_t at = from;
    for (std::int64_t t = from; t <= to; ++t) {
        // The sync share inside, less the share in the half-lengths just before and after: a
        // sharp peak where the window covers the tone exactly.
        const std::int64_t half = len / 2;
        double s = h.syncSum(t, t + len);
        if (t - half >= h.oldest())
            s -= h.syncSum(t - half, t);
        if (t + len + half <= h.end())
            s -= h.syncSum(t + len, t + len + half);
        sums[std::size_t(t - from)] = s;
        if (s > peak) {
            peak = s;
            at = t;
        }
    }
    // The centre of the peak above its half.
    double weight = 0.0, moment = 0.0;
    for (std::int64_t t = std::max(from, at - len); t <= std::min(to, at + len); ++t) {
        const double w = sums[std::size_t(t - from)] - peak / 2;
        if (w > 0) {
            weight += w;
            moment += w * double(t);
        }
    }
    SyncMatch m;
    m.start = weight > 0 ? moment / weight : double(at);
    m.share = h.syncShare(at, at + len);
    return m;
}

double refineSyncStart(const FrequencyHistory& h, double roughStart, double length, double porch,
                       double offsetHz, double perMs) {
    const double after = std::min(porch - 0.25 * perMs, 1.5 * perMs);
    if (after < 1.0 * perMs)
        return roughStart;
    // Over [u, v] the frequency is the sync tone up to the step and the porch after it. A rough
    // start far off puts the step at an end of the stretch: then once more around the new one.
    double start = roughStart;
    for (int round = 0; round < 3; ++round) {
        const double roughEnd = start + length;
        const double u = roughEnd - 1.5 * perMs;
        const double v = roughEnd + after;
        if (u < double(h.oldest()) || v > double(h.end() - 1))
            return start;
        const double mean = h.meanHz(u, v) - offsetHz;
        const double share = std::clamp((mean - kSyncHz) / (kBlackHz - kSyncHz), 0.0, 1.0);
        const double refined = v - share * (v - u) - length;
        const bool atEnd = share < 0.05 || share > 0.95;
        start = refined;
        if (!atEnd)
            break;
    }
    return start;
}

} // namespace winorbis::sstv
