// SPDX-License-Identifier: GPL-3.0-or-later
#include "FskId.h"

#include <cmath>

namespace winorbis::sstv {

namespace {

constexpr int kWordBits = 6;
constexpr int kStart = 0x20, kSync = 0x2A, kEnd = 0x01;
constexpr double kBitTrimMs = 4.0;           // left off each side of a bit window
constexpr double kPatternToleranceHz = 70.0; // of a bit of the start pattern
constexpr double kReadToleranceHz = 85.0;
constexpr double kPatternSettleMs = 8.0;
constexpr double kMaxMistuningHz = 250.0;
// The start pattern: the last three bits of 0x20 and the six of 0x2A, in the order sent.
constexpr int kPatternBits = 9;

void appendWord(std::vector<int>& out, int word) {
    for (int i = 0; i < kWordBits; ++i)
        out.push_back(word >> i & 1);
}

int patternBit(int index) { // 0 .. kPatternBits - 1, oldest first
    const int first = kWordBits - (kPatternBits - kWordBits);
    return index < kPatternBits - kWordBits ? kStart >> (first + index) & 1
                                            : kSync >> (index - (kPatternBits - kWordBits)) & 1;
}

} // namespace

namespace fskid {

QString sendable(const QString& callsign) {
    QString out;
    for (const QChar c : callsign.toUpper()) {
        if (c.unicode() < 0x20 || c.unicode() > 0x5f)
            return {};
        out += c;
    }
    out = out.trimmed();
    return out.size() <= kMaxCharacters ? out : QString();
}

std::vector<int> bits(const QString& callsign) {
    std::vector<int> out{kStart >> (kWordBits - 1) & 1};
    appendWord(out, kSync);
    int check = 0;
    for (const QChar c : sendable(callsign)) {
        const int word = (c.unicode() - 0x20) & 0x3f;
        appendWord(out, word);
        check ^= word;
    }
    appendWord(out, kEnd);
    appendWord(out, check);
    return out;
}

double durationMs(const QString& callsign) {
    return kPauseMs + kLeadMs + double(bits(callsign).size()) * kBitMs + kTailMs;
}

} // namespace fskid

FskIdDecoder::FskIdDecoder(double workingRate)
    : perMs_(workingRate / 1000.0) {}

void FskIdDecoder::reset() {
    best_.reset();
    next_.reset();
    bitCount_ = 0;
    word_ = 0;
    words_.clear();
}

std::optional<int> FskIdDecoder::bitAt(const FrequencyHistory& h, double a, double offset) const {
    const double trim = kBitTrimMs * perMs_, bit = fskid::kBitMs * perMs_;
    const double d =
        h.meanHz(a + trim, a + bit - trim) - offset - (fskid::kZeroHz + fskid::kOneHz) / 2.0;
    const double step = (fskid::kZeroHz - fskid::kOneHz) / 2.0;
    if (std::fabs(std::fabs(d) - step) > kReadToleranceHz)
        return std::nullopt;
    return d < 0 ? 1 : 0;
}

std::optional<FskIdDecoder::Fit> FskIdDecoder::evaluate(const FrequencyHistory& h, std::int64_t end,
                                                        double offset) const {
    const double bit = fskid::kBitMs * perMs_, trim = kBitTrimMs * perMs_;
    const double start = double(end) - kPatternBits * bit;
    if (start < double(h.oldest()))
        return std::nullopt;
    const double middle = (fskid::kZeroHz + fskid::kOneHz) / 2.0 + offset;
    const double step = (fskid::kZeroHz - fskid::kOneHz) / 2.0;
    // The newest bit first: most alignments fail on it at once.
    double score = 0.0;
    for (int i = kPatternBits - 1; i >= 0; --i) {
        const double a = start + i * bit;
        const double d = h.meanHz(a + trim, a + bit - trim) - middle;
        const double e = (patternBit(i) ? -d : d) - step;
        if (std::fabs(e) > kPatternToleranceHz)
            return std::nullopt;
        score += e * e;
    }
    return Fit{score, double(end)};
}

std::optional<QString> FskIdDecoder::step(const FrequencyHistory& h, double offsetHz) {
    if (std::fabs(offsetHz) > kMaxMistuningHz)
        offsetHz = 0.0;
    const double bit = fskid::kBitMs * perMs_;
    if (!next_) {
        if (auto fit = evaluate(h, h.end(), offsetHz);
            fit && (!best_ || fit->score < best_->score)) {
            best_ = fit;
            bestAt_ = h.end();
        }
        if (!best_ || double(h.end() - bestAt_) < kPatternSettleMs * perMs_)
            return std::nullopt;
        next_ = best_->end;
        best_.reset();
    }
    // The words as their bits come.
    while (double(h.end()) >= *next_ + bit) {
        const auto b = bitAt(h, *next_, offsetHz);
        if (!b) {
            reset();
            return std::nullopt;
        }
        word_ |= *b << bitCount_;
        *next_ += bit;
        if (++bitCount_ < kWordBits)
            continue;
        words_.push_back(word_);
        word_ = 0;
        bitCount_ = 0;
        // The characters, the end word, the checksum (a '!' is a word like the end word: only
        // the checksum tells where the callsign ends).
        const auto n = words_.size();
        if (n >= 3 && words_[n - 2] == kEnd) {
            int check = 0;
            QString callsign;
            for (std::size_t i = 0; i + 2 < n; ++i) {
                check ^= words_[i];
                callsign += QChar(words_[i] + 0x20);
            }
            if (check == words_.back() && !callsign.trimmed().isEmpty()) {
                reset();
                return callsign.trimmed();
            }
        }
        if (n > std::size_t(fskid::kMaxCharacters) + 1) {
            reset();
            return std::nullopt;
        }
    }
    return std::nullopt;
}

} // namespace winorbis::sstv
