// SPDX-License-Identifier: GPL-3.0-or-later
#include "SstvDecoder.h"

#include "Colour.h"

#include <algorithm>
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
constexpr int kBackLines = 10;
constexpr double kOffsetFromSyncsSnrDb = 15.0;
constexpr double kLeastTimingSnrDb = -2.5;
// The time the demodulator's filter takes to follow a step of the tone, at its widest.
constexpr double kPixelSettleMs = 0.375;
// Rows are smoothed when the noise of a pixel value is above this, with their neighbours that
// differ by less than this many times the noise.
constexpr double kSmoothNoise = 4.0;
constexpr double kSmoothThreshold = 2.5;

// The filter width and the share of a pixel averaged, by the signal-to-noise ratio in 3 kHz:
// the weaker the signal, the narrower the filter and the longer the average.
struct Reception {
    double halfWidthHz;
    double pixelWidth; // share of a pixel's time
    double leastMs;    // but no shorter than this
};
Reception receptionFor(double snrDb) {
    if (snrDb >= 25.0)
        return {1000.0, 0.6, 0.0};
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
    , vis_(demod_.workingRate())
    , syncEvents_(demod_.workingRate())
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
        endPicture(picture_->nextLine >= picture_->mode->lines);
}

void SstvDecoder::setOnlyMode(std::optional<ModeId> mode) {
    only_ = mode;
    finder_.setOnlyMode(mode);
    finder_.reset();
}

void SstvDecoder::cancel() {
    if (!picture_)
        return;
    const Picture& p = *picture_;
    const int left = std::max(0, p.mode->lines - p.nextLine);
    const auto rest = std::int64_t(left * p.fit.period());
    endPicture(false);
    idleFrom_ = history_.end() + rest;
}

double SstvDecoder::recentSnr() const {
    return median(std::vector<double>(snr_.begin(), snr_.end()));
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
    if (auto header = vis_.step(history_); header && (!only_ || header->mode == *only_)) {
        const Mode& m = mode(header->mode);
        startPicture(m, true, header->offsetHz, {},
                     header->end + (m.leadSyncMs + m.syncOffsetMs()) * perMs);
        return;
    }
    const auto event = syncEvents_.step(history_);
    if (!event || event->start < double(idleFrom_))
        return;
    // Noise lines up a few sync-like stretches now and then; a picture also brings a signal.
    // In free run the mode is known: a Robot 72 sync every other line time is no Robot 36.
    if (auto found = finder_.add(*event);
        found && recentSnr() >= kLeastTimingSnrDb && (only_ || !syncsBetween(*found))) {
        startPicture(mode(found->mode), false, timingOffset(*found), found->syncs, 0.0);
    }
}

bool SstvDecoder::syncsBetween(const ModeFinder::Found& found) const {
    // Syncs halfway between those of the chain: a mode of half the line time (Robot 36 with
    // its syncs seen as those of Robot 72 every other line).
    const Mode& m = mode(found.mode);
    const double perMs = workingRate() / 1000.0;
    int between = 0;
    for (std::size_t i = 0; i + 1 < found.syncs.size(); ++i) {
        const double half = (found.syncs[i].second + found.syncs[i + 1].second) / 2.0;
        if (found.syncs[i + 1].first - found.syncs[i].first != 1)
            continue;
        if (matchSync(history_, half, 3.0 * perMs, m.syncMs() * perMs).share >= 0.5)
            ++between;
    }
    return 2 * between >= int(found.syncs.size()) - 1;
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
                               double lineZeroSync) {
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
    offset_ = offsetHz;
    tuning_ = {kIdleCentreHz + offsetHz, reception.halfWidthHz};

    if (fromVis) {
        p.fit.setAnchor(0, lineZeroSync);
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
        for (int line = -1; line >= -kBackLines && points.back().first - line < m.lines; --line) {
            const double expected = p.fit.predict(line);
            if (expected - p.syncOffset - window < double(history_.oldest()))
                break;
            const SyncMatch match = matchSync(history_, expected, window, p.syncLength);
            if (match.share < 0.6 || std::fabs(match.start - expected) > kSyncResidualMs * perMs)
                break;
            const double start =
                refineSyncStart(history_, match.start, p.syncLength, p.porch, offset_, perMs);
            points.insert(points.begin(), {line, start});
            p.fit.add(line, start);
        }
        const int first = points.front().first;
        p.fit = LineFit(p.nominal);
        for (const auto& [line, time] : points)
            p.fit.add(line - first, time);
        p.nextSync = points.back().first - first + 1;
        // Lines whose start has left the history cannot be decoded.
        while (p.nextLine < m.lines && lineStart(p, p.nextLine) < double(history_.oldest()) + 1.0)
            ++p.nextLine;
    }
    p.image = QImage(m.pixels, m.lines, QImage::Format_RGB32);
    p.image.fill(Qt::black);
    p.raw = p.image.copy();
    p.y.assign(std::size_t(m.pixels), 16.0);
    p.redDiff.assign(std::size_t(m.pixels), 128.0);
    p.blueDiff.assign(std::size_t(m.pixels), 128.0);
    picture_ = std::move(p);
    if (listener_)
        listener_->started(PictureStart{m.id, fromVis, offsetHz, snr});
}

double SstvDecoder::lineStart(const Picture& p, int line) const {
    return p.fit.predict(line) - p.syncOffset * p.fit.period() / p.nominal;
}

void SstvDecoder::pictureStep() {
    const double perMs = workingRate() / 1000.0;
    while (picture_) {
        Picture& p = *picture_;
        const int lines = p.mode->lines;
        const double n = double(history_.end());
        const double window = (p.fit.count() >= 4 ? kNarrowSearchMs : kWideSearchMs) * perMs;
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

void SstvDecoder::searchSync(Picture& p) {
    const double perMs = workingRate() / 1000.0;
    const int line = p.nextSync++;
    const double window = (p.fit.count() >= 4 ? kNarrowSearchMs : kWideSearchMs) * perMs;
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
    if ((p.missed >= kQuietLines && p.quietLines >= kQuietLines) || p.missed >= kMissedLines)
        endPicture(false);
}

void SstvDecoder::decodeLine(Picture& p, int line) {
    const Mode& m = *p.mode;
    const double perMs = workingRate() / 1000.0;
    const double scale = p.fit.period() / p.nominal;
    double t = lineStart(p, line);
    const double stepTail = kPixelSettleMs * perMs * kIdleHalfWidthHz / demod_.halfWidthHz();
    std::array<std::vector<double>, 7> values;
    for (const Segment& s : m.layout(line)) {
        const double length = s.ms * perMs * scale;
        if (s.channel != Channel::Tone) {
            auto& v = values[std::size_t(s.channel)];
            v.resize(std::size_t(m.pixels));
            const double w = length / m.pixels;
            // The colour differences carry less detail than their pixels could: in weak
            // signals they are averaged longer.
            const bool difference = s.channel == Channel::RedDiff || s.channel == Channel::BlueDiff;
            const double least = difference ? 2 * p.leastWindow : p.leastWindow;
            const double half = std::max({0.5, p.pixelWidth * w / 2, least / 2});
            // The last pixels are read where the segment's own tones still hold: the
            // demodulator's filter follows a step late, and the tone after the segment (the next
            // line's sync, a separator pulse) would otherwise pull them towards black or beyond.
            const double last = t + length - stepTail - half;
            for (int x = 0; x < m.pixels; ++x) {
                const double c = std::min(t + (x + 0.5) * w, std::max(t + half, last));
                v[std::size_t(x)] = hzValue(history_.meanVideoHz(c - half, c + half));
            }
        }
        t += length;
    }
    auto* row = reinterpret_cast<QRgb*>(p.raw.scanLine(line));
    auto channel = [&](Channel c) -> const std::vector<double>& { return values[std::size_t(c)]; };
    switch (m.colour) {
    case ColourModel::Rgb:
        for (int x = 0; x < m.pixels; ++x) {
            const auto i = std::size_t(x);
            row[x] =
                qRgb(clampByte(channel(Channel::Red)[i]), clampByte(channel(Channel::Green)[i]),
                     clampByte(channel(Channel::Blue)[i]));
        }
        break;
    case ColourModel::YuvLine:
        for (int x = 0; x < m.pixels; ++x) {
            const auto i = std::size_t(x);
            int r, g, b;
            toRgb(Yuv{channel(Channel::Y)[i], channel(Channel::RedDiff)[i],
                      channel(Channel::BlueDiff)[i]},
                  r, g, b);
            row[x] = qRgb(r, g, b);
        }
        break;
    case ColourModel::YuvPair:
        if (line % 2 == 0) {
            p.y = channel(Channel::Y);
            p.redDiff = channel(Channel::RedDiff);
            // Until the odd line brings its colour difference, the even line shows without.
            for (int x = 0; x < m.pixels; ++x) {
                int r, g, b;
                toRgb(Yuv{p.y[std::size_t(x)], p.redDiff[std::size_t(x)], 128.0}, r, g, b);
                row[x] = qRgb(r, g, b);
            }
        } else {
            const auto& blue = channel(Channel::BlueDiff);
            auto* above = reinterpret_cast<QRgb*>(p.raw.scanLine(line - 1));
            for (int x = 0; x < m.pixels; ++x) {
                const auto i = std::size_t(x);
                int r, g, b;
                toRgb(Yuv{p.y[i], p.redDiff[i], blue[i]}, r, g, b);
                above[x] = qRgb(r, g, b);
                toRgb(Yuv{channel(Channel::Y)[i], p.redDiff[i], blue[i]}, r, g, b);
                row[x] = qRgb(r, g, b);
            }
        }
        break;
    }
    // The even line of a Robot 36 pair is final with the odd one.
    const bool waits = m.colour == ColourModel::YuvPair && line % 2 == 0;
    settle(p, waits ? line : line + 1, false);
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
    // The noise from the differences to the row below: their median, robust to edges.
    if (down) {
        std::vector<double> d(static_cast<std::size_t>(w));
        for (int x = 0; x < w; ++x)
            d[std::size_t(x)] = std::abs(qGreen(centre[x]) - qGreen(down[x]));
        const double estimate = median(std::move(d)) * 1.05;
        p.noise = p.noise < 0 ? estimate : 0.8 * p.noise + 0.2 * estimate;
    }
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
    // A lost picture keeps the lines before the signal went.
    end.lines = complete ? p.mode->lines
                         : (p.missed > 0 ? std::min(p.nextLine, p.firstMissed) : p.nextLine);
    settle(p, p.nextLine, true);
    if (!complete)
        for (int line = end.lines; line < p.mode->lines; ++line)
            std::fill_n(reinterpret_cast<QRgb*>(p.image.scanLine(line)), p.mode->pixels,
                        qRgb(0, 0, 0));
    end.clockPpm = (p.fit.period() / p.nominal - 1.0) * 1e6;
    end.offsetHz = offset_;
    end.picture = std::move(p.image);
    picture_.reset();
    offset_ = 0.0;
    tuning_ = {kIdleCentreHz, kIdleHalfWidthHz};
    vis_.reset();
    syncEvents_.reset();
    finder_.reset();
    idleFrom_ = history_.end();
    if (listener_)
        listener_->ended(end);
}

} // namespace winorbis::sstv
