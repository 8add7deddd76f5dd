// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <vector>

namespace winorbis::sstv {

// The last seconds of the demodulated frequency at the working rate, by absolute sample number,
// with running sums so that the mean frequency and the share of sync tone over any stretch
// (also between samples) costs a few operations. Frequencies are stored clamped to the band of
// the signal so that the clicks of weak signals weigh little.
class FrequencyHistory {
public:
    static constexpr double kLowHz = 1000.0;
    static constexpr double kHighHz = 2500.0;
    // Picture tones lie from 1500 to 2300 Hz: the video sums hold no more than a little beyond.
    static constexpr double kVideoLowHz = 1450.0;
    static constexpr double kVideoHighHz = 2350.0;

    explicit FrequencyHistory(int capacityBits = 17)
        : mask_((std::int64_t(1) << capacityBits) - 1)
        , hz_(std::size_t(mask_ + 1))
        , hzSum_(std::size_t(mask_ + 1))
        , syncSum_(std::size_t(mask_ + 1))
        , video_(std::size_t(mask_ + 1))
        , videoSum_(std::size_t(mask_ + 1)) {}

    std::int64_t capacity() const { return mask_ + 1; }
    // The number of the next sample to come; samples end() - capacity() + 1 .. end() - 1 are kept.
    std::int64_t end() const { return end_; }
    std::int64_t oldest() const { return std::max<std::int64_t>(0, end_ - capacity() + 2); }

    // A sample; its likeness to the sync tone is judged with the mistuning taken out.
    void push(float hz, double offsetHz = 0.0) {
        const double f = std::clamp(double(hz), kLowHz, kHighHz);
        hz_[std::size_t(end_ & mask_)] = float(f);
        judge(end_, offsetHz);
        ++end_;
    }
    // The samples from one on judged again with a mistuning found later.
    void setOffset(std::int64_t from, double offsetHz) {
        for (std::int64_t n = std::max(from, oldest()); n < end_; ++n)
            judge(n, offsetHz);
    }

    float at(std::int64_t n) const { return hz_[std::size_t(n & mask_)]; }
    // The sum of the frequencies of samples before n (n up to end()).
    double hzSumBefore(std::int64_t n) const { return hzSum_[std::size_t(n & mask_)]; }
    // The mean frequency over [a, b), a and b fractional sample times within the kept samples.
    double meanHz(double a, double b) const {
        if (b - a < 1e-9)
            return at(std::int64_t(std::floor(a)));
        return (integral(hzSum_, hz_, b) - integral(hzSum_, hz_, a)) / (b - a);
    }
    // The samples in [a, b) appended to a pool, so that several stretches make one median.
    void collect(double a, double b, std::vector<float>& pool) const {
        for (auto n = std::int64_t(std::ceil(a)); double(n) < b; ++n)
            pool.push_back(at(n));
    }
    // The median of a pool (reordered).
    static double median(std::vector<float>& pool) {
        if (pool.empty())
            return 0.0;
        std::nth_element(pool.begin(), pool.begin() + std::ptrdiff_t(pool.size() / 2), pool.end());
        return pool[pool.size() / 2];
    }

    // The mean picture tone over [a, b), the mistuning taken out.
    double meanVideoHz(double a, double b) const {
        if (b - a < 1e-9)
            return video_[std::size_t(std::int64_t(std::floor(a)) & mask_)];
        return (integral(videoSum_, video_, b) - integral(videoSum_, video_, a)) / (b - a);
    }
    // The share of sync tone over [a, b) (integer bounds).
    double syncShare(std::int64_t a, std::int64_t b) const {
        return (syncSum_[std::size_t(b & mask_)] - syncSum_[std::size_t(a & mask_)]) /
               double(b - a);
    }
    double syncSum(std::int64_t a, std::int64_t b) const {
        return syncSum_[std::size_t(b & mask_)] - syncSum_[std::size_t(a & mask_)];
    }

    // 1 for the sync tone (1300 Hz and below), 0 for black and above (1500 Hz), between linear.
    static double syncLikeness(double hz) { return std::clamp((1500.0 - hz) / 200.0, 0.0, 1.0); }

private:
    void judge(std::int64_t n, double offsetHz) {
        const std::size_t i = std::size_t(n & mask_);
        const std::size_t next = std::size_t((n + 1) & mask_);
        const double f = hz_[i];
        hzSum_[next] = hzSum_[i] + f;
        syncSum_[next] = syncSum_[i] + syncLikeness(f - offsetHz);
        const double video = std::clamp(f - offsetHz, kVideoLowHz, kVideoHighHz);
        video_[i] = float(video);
        videoSum_[next] = videoSum_[i] + video;
    }

    // The sum of the frequencies up to time t, the sample under t counted by its part.
    static double integral(const std::vector<double>& sums, const std::vector<float>& values,
                           std::int64_t mask, double t) {
        const auto k = std::int64_t(std::floor(t));
        const double frac = t - double(k);
        return sums[std::size_t(k & mask)] + frac * values[std::size_t(k & mask)];
    }
    double integral(const std::vector<double>& sums, const std::vector<float>& values,
                    double t) const {
        return integral(sums, values, mask_, t);
    }

    std::int64_t mask_;
    std::vector<float> hz_;
    std::vector<double> hzSum_;
    std::vector<double> syncSum_;
    std::vector<float> video_;
    std::vector<double> videoSum_;
    std::int64_t end_ = 0;
};

} // namespace winorbis::sstv
