// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <algorithm>
#include <cmath>
#include <complex>
#include <cstdint>
#include <numbers>
#include <optional>
#include <span>
#include <vector>

namespace winorbis::sstv {

// The last seconds of the audio at its own rate, by absolute sample number, and the tone of any
// stretch of it read from the samples themselves. A pure tone of any amplitude and phase keeps
// x[n-1] + x[n+1] = 2 cos(w) x[n]: a least-squares fit of that over the samples of a stretch
// gives its frequency with no filter to spread the tones around the stretch into it. Without a
// filter it also takes in all the noise up to half the sample rate: it serves clean signals.
class AudioHistory {
public:
    AudioHistory(double sampleRate, int capacityBits)
        : rate_(sampleRate)
        , mask_((std::int64_t(1) << capacityBits) - 1)
        , samples_(std::size_t(mask_ + 1), 0.0f) {}

    double sampleRate() const { return rate_; }
    // The number of the next sample to come; samples oldest() .. end() - 1 are kept.
    std::int64_t end() const { return end_; }
    std::int64_t oldest() const { return std::max<std::int64_t>(0, end_ - (mask_ + 1)); }

    // Samples that are no number are taken as silence, those beyond +-1e6 as that much.
    void push(std::span<const float> samples) {
        for (const float s : samples)
            samples_[std::size_t(end_++ & mask_)] =
                std::isfinite(s) ? std::clamp(s, -kMostSample, kMostSample) : 0.0f;
    }
    float at(std::int64_t n) const { return samples_[std::size_t(n & mask_)]; }

    struct Tone {
        double hz = 0.0;
        double spreadHz = 0.0; // the standard error of hz in white noise, from what is left over
        int count = 0;         // samples fitted
    };
    // The tone over the times [a, b], sample n at time n and the tone changing only at a and b:
    // fitted at the samples whose steps to both neighbours lie within. None when fewer than two
    // are there or kept, or they are silent.
    //
    // At a high sample rate a tone turns little from one sample to the next, and the fit of
    // neighbours reads it poorly (its cosine is flat there): the samples k apart are fitted
    // instead, x[n-k] + x[n+k] = 2 cos(k w) x[n], with the k that reads it best in the stretch.
    std::optional<Tone> tone(double a, double b) const {
        const auto first = std::int64_t(std::ceil(a + 0.5));
        const auto last = std::int64_t(std::floor(b - 0.5));
        if (last - first < 1 || first - 1 < oldest() || last + 1 >= end_)
            return std::nullopt;
        // Samples first - 1 .. last + 1 lie within; with lag k, n from first - 1 + k to
        // last + 1 - k. The error of a reading goes as 1 / (k sin(k w) sqrt(count)).
        const double perHz = 2.0 * std::numbers::pi / rate_;
        const auto span = int(last - first + 3);
        int lag = 1;
        double best = 0.0;
        for (int k = 1; span - 2 * k >= 2 && k * kHighestHz * perHz < 0.9 * std::numbers::pi; ++k) {
            const double gain = k * std::sin(k * kMiddleHz * perHz) * std::sqrt(span - 2 * k);
            if (gain > best) {
                best = gain;
                lag = k;
            }
        }
        double xx = 0.0, xy = 0.0, yy = 0.0, next = 0.0, second = 0.0;
        const std::int64_t from = first - 1 + lag, to = last + 1 - lag;
        for (std::int64_t n = from; n <= to; ++n) {
            const double x = at(n), y = double(at(n - lag)) + at(n + lag);
            xx += x * x;
            xy += x * y;
            yy += y * y;
            next += n + lag <= to ? x * at(n + lag) : 0.0;
            second += n + 2 * lag <= to ? x * at(n + 2 * lag) : 0.0;
        }
        const int count = int(to - from + 1);
        if (xx <= 1e-12 * count)
            return std::nullopt;
        // y = c x with c = 2 cos(k w). With white noise of variance v on the samples, the misfit
        // e[n] = y - c x has variance (2 + c^2) v, e[n] e[n+k] on average -2 c v and e[n] e[n+2k]
        // v: from what is left over v, and from it the variance of c.
        const double c = xy / xx;
        const double residual = std::max(0.0, yy - c * xy);
        const double v = residual / (double(std::max(1, count - 1)) * (2.0 + c * c));
        const double varianceC =
            std::max(0.0, v * ((2.0 + c * c) * xx - 4.0 * c * next + 2.0 * second)) / (xx * xx);
        const double kw = std::acos(std::clamp(c / 2.0, -1.0, 1.0));
        return Tone{kw / lag / perHz,
                    std::sqrt(varianceC) / 2.0 / std::max(std::sin(kw), 1e-6) / lag / perHz, count};
    }

    // A stretch of the audio whose tone is known, in the times of tone().
    struct Stretch {
        double from = 0.0, to = 0.0, hz = 0.0;
    };
    // The tone over the times [a, b], too short to be read on its own, beside stretches whose
    // tones are known and which join it (before it, after it or both): the phase runs on through
    // them into [a, b], so that a sample or two there reads its tone. The step from sample n to
    // n + 1 is taken at time n + 0.5. Searched between lowHz and highHz for the tone whose run of
    // phase, with the amplitude and phase that fit best, leaves the least of the samples over.
    // None when the stretches leave a gap, are not kept, or two tones fit alike.
    std::optional<Tone> toneBeside(double a, double b, std::span<const Stretch> known, double lowHz,
                                   double highHz) const {
        double lo = a, hi = b;
        for (const Stretch& k : known) {
            lo = std::min(lo, k.from);
            hi = std::max(hi, k.to);
        }
        const auto n0 = std::int64_t(std::ceil(lo - 0.5));
        const auto n1 = std::int64_t(std::floor(hi + 0.5));
        if (n1 - n0 < 3 || n0 < oldest() || n1 >= end_ || !(highHz > lowHz))
            return std::nullopt;
        const double perHz = 2.0 * std::numbers::pi / rate_;
        // Per step: the turn of a known tone, or none where the tone sought turns.
        const auto steps = std::size_t(n1 - n0);
        std::vector<std::complex<double>> turn(steps);
        std::vector<char> sought(steps, 0);
        bool any = false;
        for (std::size_t k = 0; k < steps; ++k) {
            const double t = double(n0) + double(k) + 0.5;
            if (t >= a && t < b) {
                sought[k] = 1;
                any = true;
                continue;
            }
            const auto in = std::find_if(known.begin(), known.end(),
                                         [t](const Stretch& s) { return t >= s.from && t < s.to; });
            if (in == known.end())
                return std::nullopt;
            turn[k] = std::polar(1.0, in->hz * perHz);
        }
        if (!any)
            return std::nullopt;
        const auto count = int(n1 - n0 + 1);
        double energy = 0.0;
        for (std::int64_t n = n0; n <= n1; ++n)
            energy += double(at(n)) * at(n);
        if (energy <= 1e-12 * count)
            return std::nullopt;
        // What the best amplitude and phase leave over for a tone sought of hz.
        const auto leftOver = [&](double hz) {
            const std::complex<double> own = std::polar(1.0, hz * perHz);
            std::complex<double> phasor(1.0, 0.0);
            double cc = 0.0, ss = 0.0, cs = 0.0, xc = 0.0, xs = 0.0;
            for (std::int64_t n = n0;; ++n) {
                const double x = at(n), c = phasor.real(), s = phasor.imag();
                cc += c * c;
                ss += s * s;
                cs += c * s;
                xc += x * c;
                xs += x * s;
                if (n == n1)
                    break;
                const auto k = std::size_t(n - n0);
                phasor *= sought[k] ? own : turn[k];
            }
            const double det = cc * ss - cs * cs;
            if (det <= 1e-12 * count * count)
                return energy;
            const double p = (xc * ss - xs * cs) / det, q = (xs * cc - xc * cs) / det;
            return std::max(0.0, energy - p * xc - q * xs);
        };
        constexpr double kStepHz = 4.0;
        const auto points = std::size_t((highHz - lowHz) / kStepHz) + 1;
        std::vector<double> r(points);
        std::size_t best = 0;
        for (std::size_t i = 0; i < points; ++i) {
            r[i] = leftOver(lowHz + kStepHz * double(i));
            if (r[i] < r[best])
                best = i;
        }
        if (best == 0 || best + 1 == points)
            return std::nullopt;
        // The noise from what is left over, three numbers fitted; a second tone far off that
        // fits about as well makes the reading ambiguous.
        const double noise = std::max(r[best] / std::max(1, count - 3), 1e-7 * energy / count);
        for (std::size_t i = 0; i < points; ++i) {
            const bool far = std::fabs(double(i) - double(best)) * kStepHz > kRivalHz;
            if (far && r[i] < r[best] + kRivalNoises * noise && i > 0 && i + 1 < points &&
                r[i] <= r[i - 1] && r[i] <= r[i + 1])
                return std::nullopt;
        }
        // The least of a parabola through the best point and its neighbours; its curvature
        // gives the standard error.
        const double curve = r[best - 1] - 2.0 * r[best] + r[best + 1];
        if (curve <= 0.0)
            return std::nullopt;
        const double shift = 0.5 * (r[best - 1] - r[best + 1]) / curve;
        const double hz = lowHz + kStepHz * (double(best) + shift);
        const double secondPerHz2 = curve / (kStepHz * kStepHz);
        return Tone{hz, std::sqrt(2.0 * noise / secondPerHz2), count};
    }

    // Where within the times [a, b] a tone of the given frequency that begins the stretch gives
    // way to another: the sample time s at which the steps from one sample to the next change
    // (that from s - 1 to s still of the tone, that from s to s + 1 of the next), as the split
    // that leaves the least of the two fits over. None when the stretch is not kept or silent.
    std::optional<double> toneEnd(double a, double b, double hz) const {
        const auto first = std::int64_t(std::ceil(a + 0.5));
        const auto last = std::int64_t(std::floor(b - 0.5));
        if (last - first < 4 || first - 1 < oldest() || last + 1 >= end_)
            return std::nullopt;
        const double c = 2.0 * std::cos(2.0 * std::numbers::pi * hz / rate_);
        const auto count = std::size_t(last - first + 1);
        // Per sample n: x = x[n], y = x[n - 1] + x[n + 1]; the misfit of the tone before, and
        // from the right the sums for the fit of the one after.
        std::vector<double> before(count + 1, 0.0), xx(count + 1, 0.0), xy(count + 1, 0.0),
            yy(count + 1, 0.0);
        for (std::size_t i = 0; i < count; ++i) {
            const auto n = first + std::int64_t(i);
            const double x = at(n), y = double(at(n - 1)) + at(n + 1);
            before[i + 1] = before[i] + (y - c * x) * (y - c * x);
        }
        for (std::size_t i = count; i-- > 0;) {
            const auto n = first + std::int64_t(i);
            const double x = at(n), y = double(at(n - 1)) + at(n + 1);
            xx[i] = xx[i + 1] + x * x;
            xy[i] = xy[i + 1] + x * y;
            yy[i] = yy[i + 1] + y * y;
        }
        if (xx[0] <= 1e-12 * double(count))
            return std::nullopt;
        // With the change at s = first + i, samples first .. s - 1 are of the tone, s spans
        // both and s + 1 .. last are of the next (fitted over at least two).
        double best = 0.0, bestCost = 0.0;
        for (std::size_t i = 0; i + 3 <= count; ++i) {
            const double after =
                xx[i + 1] > 0 ? yy[i + 1] - xy[i + 1] * xy[i + 1] / xx[i + 1] : yy[i + 1];
            const double cost = before[i] + after;
            if (i == 0 || cost < bestCost) {
                bestCost = cost;
                best = double(first) + double(i);
            }
        }
        return best;
    }

private:
    static constexpr float kMostSample = 1e6f;
    // The tones a reading is made for: the lag is chosen for the middle one and kept short
    // enough that the highest does not turn by half a circle.
    static constexpr double kMiddleHz = 1900.0;
    static constexpr double kHighestHz = 2600.0;
    // Another tone at least this far off that fits within so many times the noise makes a
    // reading beside known tones ambiguous.
    static constexpr double kRivalHz = 40.0;
    static constexpr double kRivalNoises = 25.0;
    double rate_;
    std::int64_t mask_;
    std::vector<float> samples_;
    std::int64_t end_ = 0;
};

} // namespace winorbis::sstv
