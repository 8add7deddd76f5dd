// SPDX-License-Identifier: GPL-3.0-or-later
#include "VisDetector.h"

#include <bit>
#include <cmath>

namespace winorbis::sstv {

namespace {

constexpr double kTrimMs = 4.0; // left off each side of a bit window
constexpr double kBitToleranceHz = 90.0;
constexpr double kSyncToleranceHz = 120.0;
constexpr double kLeaderToleranceHz = 60.0;
constexpr double kMaxOffsetHz = 250.0;
constexpr double kSettleMs = 12.0; // how long after the best alignment it is reported

} // namespace

VisDetector::VisDetector(double workingRate)
    : perMs_(workingRate / 1000.0) {}

void VisDetector::reset() {
    best_.reset();
}

std::optional<VisDetector::Fit> VisDetector::evaluate(const FrequencyHistory& h, std::int64_t end,
                                                      int bytes) const {
    const double e = double(end);
    const double bit = kVisBitMs * perMs_;
    const double trim = kTrimMs * perMs_;
    const int bits = 8 * bytes;
    const double start = e - (bits + 2) * bit; // start of the start bit
    if (start - kVisLeaderMs * perMs_ < double(h.oldest()))
        return std::nullopt;
    auto window = [&](int index) { // 0 start bit, 1..bits data and parity, then the stop bit
        const double a = start + index * bit;
        return h.meanHz(a + trim, a + bit - trim);
    };
    // Cheap test first: start and stop bit near the sync tone.
    const double startHz = window(0), stopHz = window(bits + 1);
    if (std::fabs(startHz - kSyncHz) > kMaxOffsetHz + kSyncToleranceHz ||
        std::fabs(stopHz - kSyncHz) > kMaxOffsetHz + kSyncToleranceHz)
        return std::nullopt;

    // The leader, in three parts that must agree; its mean gives the mistuning.
    const double part = 80.0 * perMs_;
    const double leaderEnd = start - 8.0 * perMs_;
    double leader[3];
    for (int i = 0; i < 3; ++i)
        leader[i] = h.meanHz(leaderEnd - (3 - i) * part, leaderEnd - (2 - i) * part);
    const double leaderHz = (leader[0] + leader[1] + leader[2]) / 3.0;
    double offset = leaderHz - kLeaderHz;
    if (std::fabs(offset) > kMaxOffsetHz)
        return std::nullopt;
    double score = 0.0;
    for (const double l : leader) {
        if (std::fabs(l - leaderHz) > kLeaderToleranceHz)
            return std::nullopt;
        score += (l - leaderHz) * (l - leaderHz);
    }
    // The sync tones confirm the offset; both measures count.
    offset = (2.0 * offset + (startHz + stopHz) / 2.0 - kSyncHz) / 3.0;
    for (const double s : {startHz, stopHz}) {
        const double d = s - kSyncHz - offset;
        if (std::fabs(d) > kSyncToleranceHz)
            return std::nullopt;
        score += d * d;
    }
    // The bits lie 100 Hz either side of the sync tone. They are told apart by the sync tone
    // as it was measured: in noise every window mean leans towards the middle of the band, the
    // more the further the tone lies from it, and bits and sync lean alike.
    const double reference = (startHz + stopHz) / 2.0;
    const double step = (kVisZeroHz - kVisOneHz) / 2.0;
    int code = 0;
    for (int i = 0; i < bits; ++i) {
        const double f = window(1 + i) - reference;
        const bool one = f < 0.0;
        const double d = std::fabs(f) - step;
        if (std::fabs(d) > kBitToleranceHz)
            return std::nullopt;
        score += d * d;
        code |= int(one) << i;
    }
    Fit fit;
    fit.score = score / (bits + 5);
    if (bytes == 2) {
        // Read in the order sent: the first byte is the low eight bits on the air.
        const int first = code & 0xff, second = code >> 8;
        if (first != kExtendedVisPrefix)
            return std::nullopt;
        fit.header.code = first << 8 | second;
        fit.header.extended = true;
        fit.header.mode = modeByExtendedByte(second);
        fit.header.other = otherModeByVis(fit.header.code);
    } else {
        // The first byte of an extended header is no header of its own.
        if (code == kExtendedVisPrefix)
            return std::nullopt;
        fit.header.code = code;
        fit.header.mode = modeByVisByte(code);
    }
    fit.header.end = e;
    fit.header.offsetHz = offset;
    return fit;
}

std::optional<VisHeader> VisDetector::step(const FrequencyHistory& h) {
    const std::int64_t end = h.end();
    for (const int bytes : {1, 2}) {
        if (auto fit = evaluate(h, end, bytes); fit && (!best_ || fit->score < best_->score)) {
            best_ = fit;
            bestAt_ = end;
        }
    }
    if (!best_ || double(end - bestAt_) < kSettleMs * perMs_)
        return std::nullopt;
    VisHeader header = best_->header;
    best_.reset();
    if (!header.extended && (std::popcount(unsigned(header.code)) & 1) != 0 && !header.mode)
        ++parityFailures_;
    // The mistuning again from medians, which the clicks of a weak signal hardly move: the
    // leader, and the start and stop bits.
    const double bit = kVisBitMs * perMs_, trim = kTrimMs * perMs_;
    const double start = header.end - ((header.extended ? 16 : 8) + 2) * bit;
    std::vector<float> leader, sync;
    h.collect(start - 250.0 * perMs_, start - 8.0 * perMs_, leader);
    h.collect(start + trim, start + bit - trim, sync);
    h.collect(header.end - bit + trim, header.end - trim, sync);
    header.offsetHz = (3.0 * (FrequencyHistory::median(leader) - kLeaderHz) +
                       (FrequencyHistory::median(sync) - kSyncHz)) /
                      4.0;
    return header;
}

} // namespace winorbis::sstv
