// SPDX-License-Identifier: GPL-3.0-or-later
#include "SstvDecoder.h"

#include "Colour.h"

#include <algorithm>
#include <bit>
#include <cmath>

namespace winorbis::sstv {

namespace {

constexpr double kIdleCentreHz = 1700.0;
constexpr double kIdleHalfWidthHz = 1000.0;
constexpr double kChunkMs = 50.0;
constexpr double kWideSearchMs = 10.0;
constexpr double kNarrowSearchMs = 4.0;
constexpr double kSyncResidualMs = 2.5;
constexpr double kSyncShare = 0.45;
constexpr double kQuietSnrDb = -4.0;
constexpr int kQuietLines = 2;
constexpr int kMissedLines = 16;
constexpr int kUnconfirmedLines = 3;
// The coarser sync finder for long syncs in a weak signal: its window, the gaps it bridges and
// the shortest stretch it reports.
constexpr double kLongSyncBoxMs = 6.0;
constexpr double kLongSyncBridgeMs = 5.0;
constexpr double kLongSyncLeastMs = 14.0;
constexpr int kBackLines = 10;
constexpr double kOffsetFromSyncsSnrDb = 15.0;
constexpr double kLeastTimingSnrDb = -2.5;
// The search for the first sync after a header, beyond where it may lie.
constexpr double kFirstSyncMarginMs = 10.0;
// The syncs after a header of an unknown mode start no picture until they have stopped this long.
constexpr double kForeignQuietMs = 3000.0;
// A header of an unknown code counts as such in a signal at least this strong (in 3 kHz).
constexpr double kForeignSnrDb = 10.0;
// A pixel is read clear of a step where the demodulator's answer to it is within this of its end.
constexpr double kStepClear = 0.015;
// How long after a picture's start the lines are read as demodulated with its own tuning.
constexpr double kRetuneSettleMs = 10.0;
// Rows are smoothed when the noise of a pixel value is above this, with their neighbours that
// differ by less than this many times the noise.
constexpr double kSmoothNoise = 4.0;
constexpr double kSmoothThreshold = 2.5;
// The colour differences of a weak signal are smoothed over this many pixels either side for each
// unit of a pixel value's noise (up to the most), with those within this many times the noise.
constexpr double kChromaReachPerNoise = 0.5;
constexpr int kChromaMaxReach = 8;
constexpr double kChromaThreshold = 4.0;
// Left off each end of a sync where its spread is measured.
constexpr double kNoiseTrimMs = 1.0;
// The pixels near the ends of a scan are read from the audio when the noise of a pixel value is
// below this; each from its samples this far clear of its ends where it has room, when the fit
// leaves its tone this sure (in Hz).
constexpr double kAudioNoise = 1.0;
constexpr double kAudioMarginMs = 0.02;
constexpr double kAudioSpreadHz = 3.0;
// The fewest samples the pixel next to a known tone is read from on its own: with fewer, what is
// left over says too little of how sure the reading is, and the phase run on from the known tone
// reads it better. So too any pixel long enough to give that many: a stretch that holds no clean
// tone (a sender's change between our samples) can still fit two as sure.
constexpr int kAudioLeastSamples = 3;
// The phase is run on from known tones only into pixels shorter than this, in audio samples.
constexpr double kAudioChainMostSamples = 8.0;
// Over how long a stretch of known tones the phase is run on into a pixel too short to be read
// on its own.
constexpr double kAudioKnownMs = 1.0;
// The end of each line's sync is looked for in the audio this far either side of its timing, and
// the timing of the audio taken from the latest so many.
constexpr double kSyncEndSearchMs = 0.4;
constexpr std::size_t kSyncEndsKept = 32;

// The filter width and the share of a pixel averaged, by the signal-to-noise ratio in 3 kHz:
// the weaker the signal, the narrower the filter and the longer the average.
struct Reception {
    double halfWidthHz;
    double pixelWidth; // share of a pixel's time
    double leastMs;    // but no shorter than this
};
Reception receptionFor(double snrDb) {
    if (snrDb >= 25.0)
        return {1400.0, 0.3, 0.0};
    if (snrDb >= 15.0)
        return {850.0, 1.0, 0.3};
    if (snrDb >= 8.0)
        return {700.0, 1.2, 0.5};
    return {600.0, 1.4, 0.6};
}

double median(std::vector<double> v) {
    if (v.empty())
        return 0.0;
    std::nth_element(v.begin(), v.begin() + std::ptrdiff_t(v.size() / 2), v.end());
    return v[v.size() / 2];
}

} // namespace

SstvDecoder::SstvDecoder(double sampleRate)
    : rate_(sampleRate)
    , demod_(sampleRate, kIdleCentreHz, kIdleHalfWidthHz)
    , audio_(sampleRate, std::bit_width(std::uint64_t(history_.capacity() - 1)) +
                             std::bit_width(unsigned(demod_.decimation() - 1)))
    , band_(sampleRate)
    , vis_(demod_.workingRate())
    , fskId_(demod_.workingRate())
    , syncEvents_(demod_.workingRate())
    , longSyncEvents_(demod_.workingRate(), kLongSyncBoxMs, kLongSyncBridgeMs, kLongSyncLeastMs)
    , finder_(demod_.workingRate())
    , chunk_(std::max<std::int64_t>(1, std::llround(kChunkMs * demod_.workingRate() / 1000.0))) {
    snr_.fill(-99.0);
}

void SstvDecoder::process(std::span<const float> samples) {
    // In pieces at fixed places of the stream: a change of filter or mixer takes effect at the
    // next, whatever the blocks the samples come in.
    const auto piece = std::int64_t(demod_.decimation()) * 32;
    for (std::size_t at = 0; at < samples.size();) {
        if (consumed_ % piece == 0 && tuning_) {
            demod_.setCentre(tuning_->first);
            demod_.setHalfWidth(tuning_->second);
            tuning_.reset();
        }
        const auto count = std::min(samples.size() - at, std::size_t(piece - consumed_ % piece));
        hz_.clear();
        power_.clear();
        audio_.push(samples.subspan(at, count));
        band_.process(samples.subspan(at, count));
        demod_.process(samples.subspan(at, count), hz_, power_);
        at += count;
        consumed_ += std::int64_t(count);
        for (std::size_t i = 0; i < hz_.size(); ++i) {
            history_.push(hz_[i], offset_);
            moments_.add(power_[i]);
            step();
        }
    }
}

void SstvDecoder::finish() {
    if (!picture_)
        return;
    // Silence for a few line times lets the lines under way finish and the picture end.
    const std::vector<float> silence(std::size_t(rate_ / 10), 0.0f);
    const double lineMs = picture_->mode->lineMs;
    for (double ms = 0; ms < 3 * lineMs + 200 && picture_; ms += 100)
        process(silence);
    if (picture_)
        endPicture(picture_->nextLine >= picture_->mode->scanLines());
}

void SstvDecoder::setOnlyMode(std::optional<ModeId> mode) {
    only_ = mode;
    finder_.setOnlyMode(mode);
    finder_.reset();
}

void SstvDecoder::setModes(std::vector<ModeId> modes) {
    modes_ = modes;
    finder_.setModes(std::move(modes));
    finder_.reset();
}

void SstvDecoder::cancel() {
    if (!picture_)
        return;
    const Picture& p = *picture_;
    const int left = std::max(0, p.mode->scanLines() - p.nextLine);
    const auto rest = std::int64_t(left * p.fit.period());
    endPicture(false);
    idleFrom_ = history_.end() + rest;
}

double SstvDecoder::recentSnr() const {
    // The upper quartile of the last chunks: a header's many steps of the tone (MMSSTV's is long)
    // dip the envelope the estimate takes for steady, and would make a clean signal look weak.
    std::vector<double> v(snr_.begin(), snr_.end());
    const auto q = v.begin() + std::ptrdiff_t(v.size() * 3 / 4);
    std::nth_element(v.begin(), q, v.end());
    return *q;
}

void SstvDecoder::step() {
    if (++chunkCount_ >= chunk_) {
        chunkCount_ = 0;
        snr_[snrIndex_++ % snr_.size()] = FmDemodulator::snrDb(moments_, demod_.halfWidthHz());
        moments_ = {};
    }
    if (picture_) {
        pictureStep();
        return;
    }
    const double perMs = workingRate() / 1000.0;
    if (auto callsign = fskId_.step(history_, lastOffset_); callsign && listener_)
        listener_->fskId(*callsign);
    if (pendingHeader_) {
        settleHeader();
        return;
    }
    if (auto header = vis_.step(history_)) {
        // In free run the mode received is the one asked for, whichever code announced it.
        std::optional<ModeId> id = header->mode;
        const auto received = [this](std::optional<ModeId> m) {
            return m &&
                   (modes_.empty() || std::find(modes_.begin(), modes_.end(), *m) != modes_.end());
        };
        if (!received(header->other))
            header->other.reset();
        if (!received(id))
            id = header->other;
        if (only_)
            id = header->mode == only_ || header->other == only_ ? only_ : std::nullopt;
        if (id && header->other && !only_) {
            pendingHeader_ = header;
            return;
        }
        if (id) {
            startFromHeader(mode(*id), *header);
            return;
        }
        // A header of a mode not known here (or of another than the one received in free
        // run): its lines are no picture of a known mode whatever their timing. In a weak
        // signal an unknown code is more likely a known one with bits lost: its lines decide.
        const bool clear = recentSnr() >= kForeignSnrDb;
        if (header->mode ||
            (clear && (header->extended || (std::popcount(unsigned(header->code)) & 1) == 0)))
            foreignUntil_ = history_.end() + std::int64_t(kForeignQuietMs * perMs);
    }
    auto event = syncEvents_.step(history_);
    if (const auto longEvent = longSyncEvents_.step(history_); !event)
        event = longEvent;
    if (!event || event->start < double(idleFrom_))
        return;
    if (double(history_.end()) < double(foreignUntil_)) {
        // A foreign transmission lasts as long as its syncs come.
        foreignUntil_ = history_.end() + std::int64_t(kForeignQuietMs * perMs);
        return;
    }
    // Noise lines up a few sync-like stretches now and then; a picture also brings a signal.
    if (auto found = finder_.add(*event, history_); found && recentSnr() >= kLeastTimingSnrDb) {
        startPicture(mode(found->mode), false, timingOffset(*found), found->syncs, 0.0, 0.0,
                     found->parity);
    }
}

std::pair<double, double> SstvDecoder::firstSync(const Mode& m, const VisHeader& header) const {
    // The first sync runs on from the stop bit: after it as the header's description has it, or
    // in place of its end as qsstv sends it. The search for it covers both.
    const double perMs = workingRate() / 1000.0;
    const double overlap = m.leadSyncMs > 0 ? m.leadSyncMs : m.syncMs();
    return {header.end + (m.leadSyncMs + m.syncOffsetMs() - overlap / 2) * perMs,
            (overlap / 2 + kFirstSyncMarginMs) * perMs};
}

void SstvDecoder::startFromHeader(const Mode& m, const VisHeader& header) {
    const auto [expected, window] = firstSync(m, header);
    startPicture(m, true, header.offsetHz, {}, expected, window);
}

void SstvDecoder::settleHeader() {
    // A code two modes are sent with: the one whose syncs follow the first one at its line time.
    const VisHeader header = *pendingHeader_;
    const double perMs = workingRate() / 1000.0;
    const Mode& a = mode(*header.mode);
    const Mode& b = mode(*header.other);
    const double wait = 2 * std::max(a.lineMs + a.syncOffsetMs(), b.lineMs + b.syncOffsetMs()) +
                        std::max(a.syncMs(), b.syncMs()) + 2 * kFirstSyncMarginMs;
    if (double(history_.end()) < header.end + wait * perMs)
        return;
    pendingHeader_.reset();
    auto score = [&](const Mode& m) {
        const auto [expected, window] = firstSync(m, header);
        const double length = m.syncMs() * perMs;
        const double first = matchSync(history_, expected, window, length).start;
        double sum = 0.0;
        for (const int line : {1, 2})
            sum += matchSync(history_, first + line * m.lineMs * perMs, kNarrowSearchMs * perMs,
                             length)
                       .share;
        return sum;
    };
    startFromHeader(score(b) > score(a) ? b : a, header);
}

double SstvDecoder::timingOffset(const ModeFinder::Found& found) const {
    // The mistuning from the middles of the syncs found.
    const double perMs = workingRate() / 1000.0;
    const double syncMs = mode(found.mode).syncMs();
    // In a weak signal the noise drags the short syncs towards the middle of the band: no
    // measure then.
    if (recentSnr() < kOffsetFromSyncsSnrDb)
        return 0.0;
    std::vector<float> pool;
    for (const auto& [line, start] : found.syncs)
        history_.collect(start + 1.5 * perMs, start + (syncMs - 1.5) * perMs, pool);
    return std::clamp(FrequencyHistory::median(pool) - kSyncHz, -250.0, 250.0);
}

void SstvDecoder::startPicture(const Mode& m, bool fromVis, double offsetHz,
                               const std::vector<std::pair<int, double>>& syncs,
                               double lineZeroSync, double firstWindow, int parity) {
    const double perMs = workingRate() / 1000.0;
    Picture p;
    p.mode = &m;
    p.nominal = m.lineMs * perMs;
    p.fit = LineFit(p.nominal);
    p.syncOffset = m.syncOffsetMs() * perMs;
    p.syncLength = m.syncMs() * perMs;
    p.porch = m.porchAfterSyncMs() * perMs;
    const double snr = recentSnr();
    const Reception reception = receptionFor(snr);
    p.pixelWidth = reception.pixelWidth;
    p.leastWindow = reception.leastMs * perMs;
    // From the far ends inwards: the first times at which the answer leaves its ends, of the
    // largest steps there are (from black or white to the sync tone and back).
    // The lines already heard came through the demodulator as tuned while idle: their steps
    // settle as its do, or as the picture's, whichever is slower.
    p.settleBefore = p.settleAfter = {0.0, 0.0};
    for (const std::size_t tuning : {0, 1})
        for (const auto& [from, to] :
             {std::pair{kWhiteHz, kSyncHz}, std::pair{kBlackHz, kWhiteHz},
              std::pair{kSyncHz, kWhiteHz}, std::pair{kWhiteHz, kBlackHz}}) {
            const StepResponse response(rate_, tuning ? kIdleHalfWidthHz : reception.halfWidthHz,
                                        from, to);
            double before = response.reach(), after = response.reach();
            while (before > 0 && std::fabs(response.at(-before)) <= kStepClear)
                before -= 0.25;
            while (after > 0 && std::fabs(response.at(after) - 1.0) <= kStepClear)
                after -= 0.25;
            for (const std::size_t i : {tuning, std::size_t(1)}) {
                p.settleBefore[i] = std::max(p.settleBefore[i], before);
                p.settleAfter[i] = std::max(p.settleAfter[i], after);
            }
        }
    // The new tuning takes effect within a piece of samples; the low-pass then holds what
    // came before for a few ms more.
    p.retunedAt = double(history_.end()) + kRetuneSettleMs * perMs;
    // The lines are timed by the ends of their syncs.
    p.audioDelay = StepResponse(rate_, reception.halfWidthHz, kSyncHz, kBlackHz).delay();
    offset_ = offsetHz;
    tuning_ = {kIdleCentreHz + offsetHz, reception.halfWidthHz};
    // What has been heard of the picture judged again with its mistuning: its first sync and
    // porch after a header, its first lines when it was found from its line timing.
    if (offsetHz != 0.0)
        history_.setOffset(history_.oldest(), offsetHz);

    if (fromVis) {
        p.fit.setAnchor(0, lineZeroSync);
        p.firstWindow = firstWindow;
    } else {
        // The chain found, and the lines before it that are still in the history.
        // The chain's times are rough: each sync is matched again where it was seen.
        std::vector<std::pair<int, double>> points = syncs;
        for (auto& [line, time] : points) {
            const SyncMatch match = matchSync(history_, time, 2.0 * perMs, p.syncLength);
            if (match.share >= kSyncShare)
                time = match.start;
            time = refineSyncStart(history_, time, p.syncLength, p.porch, offset_, perMs);
            p.fit.add(line, time);
        }
        const double window = kNarrowSearchMs * perMs;
        for (int line = -1; line >= -kBackLines && points.back().first - line < m.scanLines();
             --line) {
            // A line whose start has left the history cannot be decoded; its sync is looked for
            // in what is left of the window.
            const double expected = p.fit.predict(line);
            if (expected - p.syncOffset < double(history_.oldest()))
                break;
            const SyncMatch match = matchSync(history_, expected, window, p.syncLength);
            if (match.share < 0.6 || std::fabs(match.start - expected) > kSyncResidualMs * perMs)
                break;
            const double start =
                refineSyncStart(history_, match.start, p.syncLength, p.porch, offset_, perMs);
            points.insert(points.begin(), {line, start});
            p.fit.add(line, start);
        }
        // The picture's first line: of the parity the chain's lines showed (Robot 36).
        int first = points.front().first;
        if ((first + parity) % 2 != 0)
            --first;
        p.fit = LineFit(p.nominal);
        for (const auto& [line, time] : points)
            p.fit.add(line - first, time);
        p.nextSync = points.back().first - first + 1;
        // Lines whose start has left the history cannot be decoded.
        while (p.nextLine < m.scanLines() &&
               lineStart(p, p.nextLine) < double(history_.oldest()) + 1.0)
            ++p.nextLine;
    }
    p.image = QImage(m.pixels, m.lines, QImage::Format_RGB32);
    p.image.fill(Qt::black);
    p.raw = p.image.copy();
    p.y.assign(std::size_t(m.pixels), 16.0);
    p.redDiff.assign(std::size_t(m.pixels), 128.0);
    p.blueDiff.assign(std::size_t(m.pixels), 128.0);
    p.neutral.assign(std::size_t(m.pixels), 128.0);
    picture_ = std::move(p);
    if (listener_)
        listener_->started(PictureStart{m.id, fromVis, offsetHz, snr});
}

double SstvDecoder::lineStart(const Picture& p, int line) const {
    return p.fit.predict(line) - p.syncOffset * p.fit.period() / p.nominal;
}

void SstvDecoder::pictureStep() {
    while (picture_) {
        Picture& p = *picture_;
        const int lines = p.mode->scanLines();
        const double n = double(history_.end());
        const double window = searchWindow(p);
        if (p.nextSync < lines &&
            n >= p.fit.predict(p.nextSync) + window + 1.5 * p.syncLength + 2) {
            searchSync(p);
            continue;
        }
        if (p.nextLine < lines && (p.nextSync > p.nextLine + 1 || p.nextSync >= lines) &&
            n >= lineStart(p, p.nextLine + 1) + 2) {
            decodeLine(p, p.nextLine++);
            if (p.nextLine == lines)
                endPicture(true);
            continue;
        }
        break;
    }
}

double SstvDecoder::searchWindow(const Picture& p) const {
    if (p.fit.count() == 0 && p.firstWindow > 0)
        return p.firstWindow;
    return (p.fit.count() >= 4 ? kNarrowSearchMs : kWideSearchMs) * workingRate() / 1000.0;
}

void SstvDecoder::searchSync(Picture& p) {
    const double perMs = workingRate() / 1000.0;
    const int line = p.nextSync++;
    const double window = searchWindow(p);
    const double expected = p.fit.predict(line);
    const SyncMatch match = matchSync(history_, expected, window, p.syncLength);
    // A fit from few or rough syncs may drift off: after misses the limit widens, up to the
    // whole window.
    const double limit =
        p.fit.count() >= 3 ? std::min(window, kSyncResidualMs * perMs * (1 + p.missed)) : window;
    if (match.share >= kSyncShare && std::fabs(match.start - expected) <= limit) {
        p.fit.add(line,
                  refineSyncStart(history_, match.start, p.syncLength, p.porch, offset_, perMs));
        p.missed = 0;
        p.quietLines = 0;
        return;
    }
    if (p.missed++ == 0)
        p.firstMissed = line;
    // The last line time's worth of signal measures.
    const int chunks = std::clamp(int(p.mode->lineMs / kChunkMs), 1, int(snr_.size()));
    std::vector<double> last;
    for (int i = 1; i <= chunks; ++i)
        last.push_back(snr_[(snrIndex_ + snr_.size() * 4 - std::size_t(i)) % snr_.size()]);
    p.quietLines = median(last) < kQuietSnrDb ? p.quietLines + 1 : 0;
    // A picture that has shown no sync but its first (which after a header runs on from the stop
    // bit) is none: a header read wrong, or noise.
    const bool none = p.fit.count() <= 1 && p.missed >= kUnconfirmedLines;
    if ((p.missed >= kQuietLines && p.quietLines >= kQuietLines) || p.missed >= kMissedLines ||
        none)
        endPicture(false);
}

void SstvDecoder::decodeLine(Picture& p, int line) {
    const Mode& m = *p.mode;
    const double perMs = workingRate() / 1000.0;
    const double scale = p.fit.period() / p.nominal;
    // The line's scans with their times.
    struct Part {
        const Segment* segment;
        double from, to;
        std::vector<double>* values;
        // The tones right before and after the scan, where it has them: their frequencies and
        // the times they begin (before) and end (after).
        double beforeHz = 0.0, beforeFrom = 0.0, afterHz = 0.0, afterTo = 0.0;
    };
    std::array<std::vector<double>, kChannelCount> values;
    std::vector<Part> parts;
    double t = lineStart(p, line);
    const std::vector<Segment>& layout = m.layout(line);
    for (std::size_t i = 0; i < layout.size(); ++i) {
        const Segment& s = layout[i];
        const double length = s.ms * perMs * scale;
        if (s.channel != Channel::Tone) {
            Part part{&s, t, t + length, &values[std::size_t(s.channel)]};
            if (i > 0 && layout[i - 1].channel == Channel::Tone) {
                part.beforeHz = layout[i - 1].hz;
                part.beforeFrom = t - layout[i - 1].ms * perMs * scale;
            }
            // After the last scan the next line begins.
            const Segment* next =
                i + 1 < layout.size() ? &layout[i + 1] : &m.layout(line + 1).front();
            if (next->channel == Channel::Tone) {
                part.afterHz = next->hz;
                part.afterTo = t + length + next->ms * perMs * scale;
            }
            parts.push_back(part);
        }
        t += length;
    }

    // Each pixel from the mean tone over its share of the scan.
    struct Window {
        double centre, half;
    };
    auto windowOf = [&](const Part& part, int x) {
        const double w = (part.to - part.from) / m.pixels;
        // The colour differences carry less detail than their pixels could: in weak signals
        // they are averaged longer.
        const Channel c = part.segment->channel;
        const bool difference = c == Channel::RedDiff || c == Channel::BlueDiff;
        const double least = difference ? 2 * p.leastWindow : p.leastWindow;
        return Window{part.from + (x + 0.5) * w, std::max({0.5, p.pixelWidth * w / 2, least / 2})};
    };
    for (const Part& part : parts) {
        auto& v = *part.values;
        v.resize(std::size_t(m.pixels));
        for (int x = 0; x < m.pixels; ++x) {
            const Window win = windowOf(part, x);
            v[std::size_t(x)] =
                hzValue(history_.meanVideoHz(win.centre - win.half, win.centre + win.half));
        }
    }

    // The noise of a pixel value from the spread of the frequency over the line's sync, where
    // it is steady: a picture's own detail does not count in it. The reading of a pixel averages
    // about one independent sample per sample of the noise's bandwidth.
    if (!parts.empty()) {
        const double sync = p.fit.predict(line);
        const double a = sync + kNoiseTrimMs * perMs,
                     b = sync + p.syncLength - kNoiseTrimMs * perMs;
        if (b - a >= 4.0 && a >= double(history_.oldest())) {
            double sum = 0.0, squares = 0.0;
            int n = 0;
            for (auto k = std::int64_t(std::ceil(a)); double(k) < b; ++k, ++n) {
                sum += history_.at(k);
                squares += double(history_.at(k)) * history_.at(k);
            }
            const double spread = std::sqrt(std::max(0.0, squares / n - (sum / n) * (sum / n)));
            const Window win = windowOf(parts.front(), m.pixels / 2);
            const double independent =
                std::max(1.0, 2.0 * win.half * 2.0 * demod_.halfWidthHz() / workingRate());
            const double estimate = hzValue(kBlackHz + spread) / std::sqrt(independent);
            p.noise = p.noise < 0 ? estimate : 0.8 * p.noise + 0.2 * estimate;
        }
    }

    // Near the ends of a scan the demodulator's answer still holds some of the tone before or
    // after it (a porch, a sync, the other scan), by its step response: a pixel read there takes
    // the value of the nearest one read clear of the step.
    std::vector<char> clear(std::size_t(m.pixels));
    // In a clean signal such a pixel's tone is read from the audio within its own time instead,
    // timed by where the syncs end in it.
    const bool readsAudio = p.noise >= 0 && p.noise < kAudioNoise;
    const double shift = readsAudio ? audioShift(p, line) : 0.0;
    const auto toAudio = [&](double at) {
        return (at - p.audioDelay) * demod_.decimation() + shift;
    };
    const double margin = kAudioMarginMs * rate_ / 1000.0;
    // Audio from a sender at a low sample rate, heard at a higher one, is smooth between the
    // sender's samples: a short stretch of it fits a tone well where none is. A reading there
    // takes as many times more samples as our rate is over twice the sender's.
    const int least =
        band_.narrow()
            ? std::max(kAudioLeastSamples,
                       int(std::lround(kAudioLeastSamples * rate_ / (2.0 * HighBand::kSenderHz))))
            : kAudioLeastSamples;
    // The last pixel of the scan before, for a scan that follows it with no tone between (the
    // colour differences and second luminance of PD): its time and tone as finally read.
    std::optional<AudioHistory::Stretch> lastPixel;
    double lastEnd = -1.0;
    for (const Part& self : parts) {
        auto& v = *self.values;
        const double w = (self.to - self.from) / m.pixels;
        // The tones of the pixels read from the audio, in Hz as heard (0: not read there).
        std::vector<double> heard(std::size_t(m.pixels), 0.0);
        const std::size_t tuning = self.to < p.retunedAt ? 1 : 0;
        const double earliest = self.from + p.settleAfter[tuning],
                     latest = self.to - p.settleBefore[tuning];
        for (int x = 0; x < m.pixels; ++x) {
            const Window win = windowOf(self, x);
            clear[std::size_t(x)] =
                win.centre - win.half >= earliest && win.centre + win.half <= latest;
            if (clear[std::size_t(x)])
                continue;
            if (readsAudio) {
                // Clear of its ends by a margin against an error of timing where it has room.
                const double from = toAudio(self.from + x * w),
                             to = toAudio(self.from + (x + 1) * w);
                // The stretch whose samples fit one tone best: where the timing is a sample out,
                // a stretch that leaves out the sample of the neighbour's tone.
                std::optional<AudioHistory::Tone> tone;
                const bool besideKnown =
                    (x == 0 && self.beforeHz > 0.0) || (x == m.pixels - 1 && self.afterHz > 0.0);
                const bool fewAllowed = !besideKnown && to - from < kAudioLeastSamples + 2.0;
                for (const auto& [early, late] : {std::pair{margin, margin},
                                                  {margin + 1.0, margin},
                                                  {margin, margin + 1.0},
                                                  {margin + 1.0, margin + 1.0},
                                                  {0.0, 0.0}}) {
                    const auto candidate = audio_.tone(from + early, to - late);
                    if (candidate && (candidate->count >= least || fewAllowed) &&
                        (!tone || candidate->spreadHz < tone->spreadHz))
                        tone = candidate;
                }
                if (tone && tone->spreadHz <= kAudioSpreadHz) {
                    v[std::size_t(x)] =
                        hzValue(std::clamp(tone->hz - offset_, FrequencyHistory::kVideoLowHz,
                                           FrequencyHistory::kVideoHighHz));
                    heard[std::size_t(x)] = tone->hz;
                    clear[std::size_t(x)] = true;
                    continue;
                }
            }
            // A long pixel may still hold a stretch clear of the step: read there.
            const double a = std::max(self.from + x * w, earliest);
            const double b = std::min(self.from + (x + 1) * w, latest);
            if (b - a >= std::max(2.0, 2.0 * win.half)) {
                v[std::size_t(x)] = hzValue(history_.meanVideoHz(a, b));
                clear[std::size_t(x)] = true;
            }
        }
        // Pixels too short to be read on their own: the phase runs on into them from the tone
        // before the scan (a porch, a separator) or after it (the next sync), through the pixels
        // already read from the audio next to them, inwards from either end. A pixel long enough
        // to be read alone that was not holds no clean tone: a sender at another sample rate
        // changes its tones between ours, and the phase run on over a change put on a sample of
        // ours reads it wrongly, yet as sure.
        if (readsAudio && w * demod_.decimation() < kAudioChainMostSamples) {
            const double reach = kAudioKnownMs * perMs;
            const auto chain = [&](int first, int step, AudioHistory::Stretch edge) {
                std::vector<AudioHistory::Stretch> known{edge};
                for (int x = first; x >= 0 && x < m.pixels; x += step) {
                    const auto i = std::size_t(x);
                    double a = toAudio(self.from + x * w), b = toAudio(self.from + (x + 1) * w);
                    if (heard[i] == 0.0) {
                        if (clear[i])
                            return; // read from the filtered tones: the chain ends
                        // The change from the known tones to the pixel's where its timing puts
                        // it; when the tone does not fit there, half a sample either side (a
                        // sender changes its tone on one of its own samples).
                        std::optional<AudioHistory::Tone> tone;
                        std::vector<AudioHistory::Stretch> chosen;
                        for (const double nudge : {0.0, 0.5, -0.5}) {
                            if (tone && tone->spreadHz <= kAudioSpreadHz)
                                break;
                            std::vector<AudioHistory::Stretch> moved = known;
                            double from = a, to = b;
                            if (step > 0)
                                moved.back().to = from = a + nudge;
                            else
                                moved.back().from = to = b + nudge;
                            const auto candidate = audio_.toneBeside(
                                from, to, moved, FrequencyHistory::kVideoLowHz + offset_,
                                FrequencyHistory::kVideoHighHz + offset_);
                            // Moved, it must fit clearly better than the gate asks.
                            if (!candidate ||
                                (nudge != 0.0 && candidate->spreadHz > kAudioSpreadHz / 3))
                                continue;
                            if (!tone || candidate->spreadHz < tone->spreadHz) {
                                tone = candidate;
                                chosen = std::move(moved);
                                a = from;
                                b = to;
                            }
                        }
                        if (!tone || tone->spreadHz > kAudioSpreadHz)
                            return;
                        known = std::move(chosen);
                        v[i] = hzValue(std::clamp(tone->hz - offset_, FrequencyHistory::kVideoLowHz,
                                                  FrequencyHistory::kVideoHighHz));
                        heard[i] = tone->hz;
                        clear[i] = true;
                    }
                    known.push_back({a, b, heard[i]});
                    // The phase is run on over the latest stretch only.
                    const auto span = [&] {
                        return step > 0 ? known.back().to - known.front().from
                                        : known.front().to - known.back().from;
                    };
                    while (known.size() > 1 && span() > reach * demod_.decimation())
                        known.erase(known.begin());
                }
            };
            if (self.beforeHz > 0.0)
                chain(0, 1,
                      {toAudio(std::max(self.beforeFrom, self.from - reach)), toAudio(self.from),
                       self.beforeHz + offset_});
            else if (lastPixel && std::abs(lastEnd - self.from) < 1e-6)
                chain(0, 1, *lastPixel);
            if (self.afterHz > 0.0)
                chain(m.pixels - 1, -1,
                      {toAudio(self.to), toAudio(std::min(self.afterTo, self.to + reach)),
                       self.afterHz + offset_});
        }
        for (int x = 0; x < m.pixels; ++x) {
            if (clear[std::size_t(x)])
                continue;
            // The nearest pixel read well, looked for towards the middle.
            const int step = x < m.pixels / 2 ? 1 : -1;
            int y = x;
            while (y + step >= 0 && y + step < m.pixels && !clear[std::size_t(y)])
                y += step;
            v[std::size_t(x)] = v[std::size_t(y)];
        }
        lastPixel = AudioHistory::Stretch{toAudio(self.to - w), toAudio(self.to),
                                          valueHz(v.back()) + offset_};
        lastEnd = self.to;
    }

    // In a weak signal the colour differences, which carry less detail than the luminance and
    // make the most of a picture's colour noise, are smoothed along the line: each with its
    // neighbours that differ from it by no more than their noise would make, the further the
    // weaker the signal.
    if (p.noise >= kSmoothNoise) {
        const int reach =
            std::clamp(int(std::lround(p.noise * kChromaReachPerNoise)), 1, kChromaMaxReach);
        const double threshold = kChromaThreshold * p.noise;
        for (const Channel c : {Channel::RedDiff, Channel::BlueDiff}) {
            auto& v = values[std::size_t(c)];
            if (v.empty())
                continue;
            std::vector<double> smoothed(v.size());
            for (int x = 0; x < int(v.size()); ++x) {
                const double centre = v[std::size_t(x)];
                double sum = 0.0, weight = 0.0;
                for (int k = -reach; k <= reach; ++k) {
                    const double value = v[std::size_t(std::clamp(x + k, 0, int(v.size()) - 1))];
                    if (std::fabs(value - centre) > threshold)
                        continue;
                    const double w = reach + 1 - std::abs(k);
                    sum += w * value;
                    weight += w;
                }
                smoothed[std::size_t(x)] = sum / weight;
            }
            v = std::move(smoothed);
        }
    }

    const int first = line * m.rowsPerLine;
    auto rowOf = [&](int r) { return reinterpret_cast<QRgb*>(p.raw.scanLine(r)); };
    auto channel = [&](Channel c) -> const std::vector<double>& { return values[std::size_t(c)]; };
    auto yuvRow = [&](int r, const std::vector<double>& y, const std::vector<double>& redDiff,
                      const std::vector<double>& blueDiff) {
        QRgb* row = rowOf(r);
        for (int x = 0; x < m.pixels; ++x) {
            const auto i = std::size_t(x);
            int red, green, blue;
            toRgb(Yuv{y[i], redDiff[i], blueDiff[i]}, red, green, blue);
            row[x] = qRgb(red, green, blue);
        }
    };
    switch (m.colour) {
    case ColourModel::Rgb: {
        QRgb* row = rowOf(first);
        const auto &red = channel(Channel::Red), &green = channel(Channel::Green),
                   &blue = channel(Channel::Blue);
        for (int x = 0; x < m.pixels; ++x) {
            const auto i = std::size_t(x);
            row[x] = qRgb(clampByte(red[i]), clampByte(green[i]), clampByte(blue[i]));
        }
        break;
    }
    case ColourModel::Mono:
        yuvRow(first, channel(Channel::Y), p.neutral, p.neutral);
        break;
    case ColourModel::YuvLine:
        yuvRow(first, channel(Channel::Y), channel(Channel::RedDiff), channel(Channel::BlueDiff));
        if (m.rowsPerLine == 2)
            yuvRow(first + 1, channel(Channel::Y2), channel(Channel::RedDiff),
                   channel(Channel::BlueDiff));
        break;
    case ColourModel::YuvPair:
        if (line % 2 == 0) {
            p.y = channel(Channel::Y);
            p.redDiff = channel(Channel::RedDiff);
            // Until the odd line brings its colour difference, the even line shows without.
            yuvRow(line, p.y, p.redDiff, p.neutral);
        } else {
            const auto& blue = channel(Channel::BlueDiff);
            yuvRow(line - 1, p.y, p.redDiff, blue);
            yuvRow(line, channel(Channel::Y), p.redDiff, blue);
        }
        break;
    }
    // The even line of a Robot 36 pair is final with the odd one.
    const bool waits = m.colour == ColourModel::YuvPair && line % 2 == 0;
    settle(p, waits ? first : first + m.rowsPerLine, false);
}

double SstvDecoder::audioShift(Picture& p, int line) const {
    // Where the line's sync ends in the audio against where its timing puts it, in audio samples;
    // the mean of the middle half of the latest lines' (the steps lie on whole samples).
    const double end =
        (p.fit.predict(line) + p.syncLength * p.fit.period() / p.nominal - p.audioDelay) *
        demod_.decimation();
    const double reach = kSyncEndSearchMs * rate_ / 1000.0;
    if (const auto found = audio_.toneEnd(end - reach, end + reach, kSyncHz + offset_))
        p.syncEnds.push_back(*found - end);
    if (p.syncEnds.empty())
        return 0.0;
    const std::size_t k = std::min<std::size_t>(p.syncEnds.size(), kSyncEndsKept);
    std::vector<double> latest(p.syncEnds.end() - std::ptrdiff_t(k), p.syncEnds.end());
    std::sort(latest.begin(), latest.end());
    double sum = 0.0;
    for (std::size_t i = k / 4; i < k - k / 4; ++i)
        sum += latest[i];
    return sum / double(k - k / 4 - k / 4);
}

void SstvDecoder::settle(Picture& p, int rows, bool last) {
    p.rawRows = std::max(p.rawRows, rows);
    // A row is shown once the row below it is final, the last one at the end.
    const int limit = last ? p.rawRows : p.rawRows - 1;
    for (; p.shownRows < limit; ++p.shownRows) {
        smoothRow(p, p.shownRows, p.shownRows + 1 < p.rawRows ? p.shownRows + 1 : -1);
        if (listener_)
            listener_->line(p.shownRows, p.image);
    }
}

void SstvDecoder::smoothRow(Picture& p, int row, int below) {
    const int w = p.raw.width();
    const auto* centre = reinterpret_cast<const QRgb*>(p.raw.constScanLine(row));
    auto* out = reinterpret_cast<QRgb*>(p.image.scanLine(row));
    const auto* up =
        row > 0 ? reinterpret_cast<const QRgb*>(p.raw.constScanLine(row - 1)) : nullptr;
    const auto* down =
        below >= 0 ? reinterpret_cast<const QRgb*>(p.raw.constScanLine(below)) : nullptr;
    if (p.noise < kSmoothNoise) {
        std::copy_n(centre, w, out);
        return;
    }
    // Each value with those above and below that differ from it by no more than the noise
    // would make: noise is averaged out, edges stay.
    const double threshold = kSmoothThreshold * p.noise;
    auto smooth = [&](int c, int a, int b, bool hasA, bool hasB) {
        double sum = 2.0 * c, weight = 2.0;
        if (hasA && std::abs(a - c) < threshold) {
            sum += a;
            weight += 1.0;
        }
        if (hasB && std::abs(b - c) < threshold) {
            sum += b;
            weight += 1.0;
        }
        return clampByte(sum / weight);
    };
    for (int x = 0; x < w; ++x) {
        const QRgb c = centre[x];
        const QRgb a = up ? up[x] : c;
        const QRgb b = down ? down[x] : c;
        out[x] = qRgb(smooth(qRed(c), qRed(a), qRed(b), up, down),
                      smooth(qGreen(c), qGreen(a), qGreen(b), up, down),
                      smooth(qBlue(c), qBlue(a), qBlue(b), up, down));
    }
}

void SstvDecoder::endPicture(bool complete) {
    Picture& p = *picture_;
    PictureEnd end;
    end.mode = p.mode->id;
    end.complete = complete;
    // A lost picture keeps the lines before the signal went: those that ended before the last
    // sync found.
    const int rows = p.mode->rowsPerLine;
    end.lines = complete
                    ? p.mode->lines
                    : rows * (p.missed > 0 ? std::min(p.nextLine, std::max(0, p.firstMissed - 1))
                                           : p.nextLine);
    settle(p, rows * p.nextLine, true);
    if (!complete)
        for (int line = end.lines; line < p.mode->lines; ++line)
            std::fill_n(reinterpret_cast<QRgb*>(p.image.scanLine(line)), p.mode->pixels,
                        qRgb(0, 0, 0));
    end.clockPpm = (p.fit.period() / p.nominal - 1.0) * 1e6;
    end.offsetHz = offset_;
    lastOffset_ = offset_;
    fskId_.reset();
    end.picture = std::move(p.image);
    picture_.reset();
    offset_ = 0.0;
    tuning_ = {kIdleCentreHz, kIdleHalfWidthHz};
    vis_.reset();
    syncEvents_.reset();
    longSyncEvents_.reset();
    finder_.reset();
    idleFrom_ = history_.end();
    if (listener_)
        listener_->ended(end);
}

} // namespace winorbis::sstv
