// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <numbers>
#include <span>
#include <vector>

namespace winorbis::sstv {

// Whether the audio holds anything above the band of a sender at 11025 Hz, the rate of many SSTV
// programs. Such a sender's audio, heard at a higher rate, is a smooth interpolation between its
// own samples: short stretches of it fit a tone well though no tone is there. A sender at 44100
// or 48000 Hz leaves the splatter of its tones' changes up there.
//
// A linear-phase high-pass from kEdgeHz (a Kaiser-windowed sinc, stopband below the sender's
// half rate), its output taken every kStride samples, against the power of the audio, in blocks
// of kBlockSeconds. The audio is narrow only when every one of the last kBlocks blocks is: a
// sender at a high rate that holds one tone for a while (a smooth stretch of picture) leaves as
// little up there for a block or two. Takes blocks of any size. A rate too low to hold the band
// is never narrow.
class HighBand {
public:
    static constexpr double kSenderHz = 11025.0;
    static constexpr double kEdgeHz = 6250.0;
    // A block is narrow when less than this share of its power lies above kEdgeHz: a sender at
    // 44100 or 48000 Hz leaves some 1e-8 there in most blocks of a smooth picture, 1e-7 to 1e-5
    // where its tones change much; one at 11025 Hz heard through a good resampler 2e-10 to 4e-10.
    static constexpr double kNarrowShare = 3e-9;
    // Blocks of so many seconds, the last so many of them.
    static constexpr double kBlockSeconds = 0.05;
    static constexpr std::size_t kBlocks = 11;

    explicit HighBand(double sampleRate)
        : rate_(sampleRate) {
        if (rate_ < 2.0 * (kEdgeHz + 750.0))
            return;
        // Stopband below kSenderHz / 2, passband above kEdgeHz + 750 Hz, some 90 dB apart.
        const double turn = 2.0 * std::numbers::pi * 2.0 * (kEdgeHz - kSenderHz / 2) / rate_;
        const int half = int(std::ceil(82.0 / (2.285 * turn) / 2.0));
        const double cutoff = 2.0 * kEdgeHz / rate_;
        constexpr double kBeta = 9.0;
        taps_.resize(std::size_t(2 * half + 1));
        for (int k = -half; k <= half; ++k) {
            const double r = double(k) / (half + 1);
            const double w = bessel0(kBeta * std::sqrt(1.0 - r * r)) / bessel0(kBeta);
            const double low =
                k == 0 ? cutoff : std::sin(std::numbers::pi * cutoff * k) / (std::numbers::pi * k);
            taps_[std::size_t(k + half)] = float(((k == 0 ? 1.0 : 0.0) - low) * w);
        }
        // Each sample twice, so that the filter's span is always one run of samples.
        ring_.assign(2 * taps_.size(), 0.0f);
        blockLength_ = std::max<std::int64_t>(1, std::llround(kBlockSeconds * rate_ / kStride));
    }

    void process(std::span<const float> samples) {
        if (taps_.empty())
            return;
        for (const float s : samples) {
            // As the audio history takes them: no number as silence, the loudest as 1e6.
            const float x = std::isfinite(s) ? std::clamp(s, -1e6f, 1e6f) : 0.0f;
            const std::size_t length = taps_.size();
            ring_[next_] = ring_[next_ + length] = x;
            next_ = next_ + 1 == length ? 0 : next_ + 1;
            if (++seen_ % kStride != 0)
                continue;
            // The oldest sample is at next_.
            const float* window = ring_.data() + next_;
            double y = 0.0;
            for (std::size_t k = 0; k < length; ++k)
                y += double(taps_[k] * window[k]);
            const double middle = window[length / 2];
            high_ += y * y;
            all_ += middle * middle;
            if (++taken_ < blockLength_)
                continue;
            // Silence counts as wide: it says nothing of a sender.
            shares_[blocks_++ % kBlocks] = all_ > 0.0 ? high_ / all_ : 1.0;
            high_ = all_ = 0.0;
            taken_ = 0;
        }
    }

    // The share of the power above kEdgeHz lately: the most of the last blocks'; 1 before
    // there are that many.
    double share() const {
        return blocks_ < kBlocks ? 1.0 : *std::max_element(shares_.begin(), shares_.end());
    }
    bool narrow() const { return share() < kNarrowShare; }

private:
    static constexpr std::int64_t kStride = 16;

    static double bessel0(double x) {
        double sum = 1.0, term = 1.0;
        for (int k = 1; k < 40; ++k) {
            term *= (x / (2.0 * k)) * (x / (2.0 * k));
            sum += term;
        }
        return sum;
    }

    double rate_;
    std::vector<float> taps_;
    std::vector<float> ring_;
    std::size_t next_ = 0;
    std::int64_t seen_ = 0;
    std::int64_t blockLength_ = 1, taken_ = 0; // in outputs taken
    double high_ = 0.0, all_ = 0.0;
    std::array<double, kBlocks> shares_{};
    std::size_t blocks_ = 0;
};

} // namespace winorbis::sstv
