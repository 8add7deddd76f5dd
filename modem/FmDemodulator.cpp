// SPDX-License-Identifier: GPL-3.0-or-later
#include "FmDemodulator.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace winorbis::sstv {

namespace {

constexpr double kPi = std::numbers::pi;
// The working rate is the sample rate divided by a whole number, no less than this.
constexpr double kLeastWorkingRate = 11025.0;
// The low-pass before the decimation: above the band, below the image of the mixer.
constexpr double kGuardHz = 2400.0;
// The low-pass at the working rate is this many cycles of its half width long; the narrowest
// width there is bounds it.
constexpr double kLowPassCycles = 2.4;
constexpr double kNarrowestHz = 600.0;
// When the mixer is moved, this much of the latest audio is mixed and filtered once more.
constexpr double kRetuneMs = 16.0;
// Samples beyond this are no audio (full scale is 1): a glitch of the source. They are limited to
// it, and samples that are no number count as silence, so that no infinity or NaN gets into the
// filters and from there into everything after.
constexpr float kMostSample = 1e6f;

// atan2 within about 0.0002 rad, far below what the noise of any signal makes.
inline float fastAtan2(float y, float x) {
    const float ax = std::fabs(x), ay = std::fabs(y);
    const float mx = std::max(ax, ay);
    if (mx == 0.0f)
        return 0.0f;
    const float a = std::min(ax, ay) / mx;
    const float s = a * a;
    float r = ((-0.0464964749f * s + 0.15931422f) * s - 0.327622764f) * s * a + a;
    if (ay > ax)
        r = 1.57079637f - r;
    if (x < 0)
        r = 3.14159274f - r;
    if (y < 0)
        r = -r;
    return r;
}

} // namespace

FmDemodulator::FmDemodulator(double sampleRate, double centreHz, double halfWidthHz)
    : rate_(sampleRate)
    , decimation_(std::max(1, int(sampleRate / kLeastWorkingRate)))
    , centre_(centreHz)
    , halfWidth_(halfWidthHz) {
    setCentre(centreHz);
    // Room for the longest low-pass there is (the narrowest width).
    ringSize_ = (std::size_t(kLowPassCycles / kNarrowestHz * workingRate()) | 1) + 2;
    ring_.assign(2 * ringSize_, std::complex<float>(1.0f, 0.0f));
    raw_.assign(std::size_t(kRetuneMs * sampleRate / 1000.0), 0.0f);
    design();
}

void FmDemodulator::setCentre(double hz) {
    const std::complex<double> step = std::polar(1.0, -2.0 * kPi * hz / rate_);
    if (raw_.empty()) {
        centre_ = hz;
        step_ = step;
        return;
    }
    // The last stretch of audio once more through the new mixer and the filter before the
    // decimation, from rest: the low-pass's ring then holds what the new mixer would have made
    // of it, and the frequency read runs on without a jump. The mixer's phase goes back from
    // the next sample's, which it keeps.
    std::complex<double> phase = oscillator_;
    for (std::size_t k = 0; k < raw_.size(); ++k)
        phase /= step;
    state_ = {};
    // The newest raw sample was the phaseCount_-th after the newest ring sample.
    const std::size_t n = raw_.size();
    for (std::size_t k = 0; k < n; ++k) {
        const float x = raw_[(rawWritten_ + 1 + k) % n];
        double i = x * phase.real() + 1e-20, q = x * phase.imag() + 1e-20;
        phase *= step;
        filterStep(i, q);
        const std::size_t age = n - 1 - k; // raw samples after this one
        if (age < std::size_t(phaseCount_) || (age - std::size_t(phaseCount_)) % decimation_ != 0)
            continue;
        const std::size_t back = (age - std::size_t(phaseCount_)) / decimation_;
        if (back >= ringSize_)
            continue;
        const std::size_t at = (written_ + ringSize_ - back) % ringSize_;
        ring_[at] = ring_[at + ringSize_] = std::complex<float>(float(i), float(q));
    }
    oscillator_ = phase;
    previous_ = filtered();
    centre_ = hz;
    step_ = step;
}

void FmDemodulator::setHalfWidth(double hz) {
    halfWidth_ = std::max(hz, kNarrowestHz);
    design();
}

void FmDemodulator::design() {
    // Before the decimation: two biquads of a Butterworth low-pass by the bilinear transform,
    // Q of the fourth order, far enough above the band not to shape it.
    const double k = std::tan(kPi * std::min(kGuardHz, rate_ * 0.45) / rate_);
    const std::array<double, kStages> q{0.54119610, 1.3065630};
    for (std::size_t i = 0; i < kStages; ++i) {
        const double norm = 1.0 / (1.0 + k / q[i] + k * k);
        Biquad& b = stages_[i];
        b.b0 = k * k * norm;
        b.b1 = 2.0 * b.b0;
        b.b2 = b.b0;
        b.a1 = 2.0 * (k * k - 1.0) * norm;
        b.a2 = (1.0 - k / q[i] + k * k) * norm;
    }
    // At the working rate: a Hamming-windowed sinc of the half width, some cycles of it long,
    // in the middle of as many taps as the narrowest width takes: the frequency read is delayed
    // alike whatever the width, so that syncs timed before and after a change of width agree.
    const double wr = workingRate();
    const double fc = std::min(halfWidth_, wr * 0.45) / wr;
    const std::size_t total = (ringSize_ - 2) | 1;
    const std::size_t n = std::min(std::size_t(kLowPassCycles / halfWidth_ * wr) | 1, total);
    taps_.assign(total, 0.0f);
    double sum = 0.0;
    std::vector<double> h(n);
    for (std::size_t i = 0; i < n; ++i) {
        const double x = double(i) - double(n - 1) / 2.0;
        const double sinc = x == 0 ? 2 * fc : std::sin(2 * kPi * fc * x) / (kPi * x);
        h[i] = sinc * (0.54 - 0.46 * std::cos(2 * kPi * double(i) / double(n - 1)));
        sum += h[i];
    }
    const std::size_t pad = (total - n) / 2;
    for (std::size_t i = 0; i < n; ++i)
        taps_[pad + i] = float(h[i] / sum);
}

void FmDemodulator::filterStep(double& i, double& q) {
    // Each stage on the in-phase and quadrature parts (direct form II transposed).
    for (std::size_t s = 0; s < kStages; ++s) {
        const Biquad& f = stages_[s];
        auto& z = state_[s];
        const double yi = f.b0 * i + z[0];
        z[0] = f.b1 * i - f.a1 * yi + z[1];
        z[1] = f.b2 * i - f.a2 * yi;
        const double yq = f.b0 * q + z[2];
        z[2] = f.b1 * q - f.a1 * yq + z[3];
        z[3] = f.b2 * q - f.a2 * yq;
        i = yi;
        q = yq;
    }
}

std::complex<float> FmDemodulator::filtered() const {
    const std::size_t n = taps_.size();
    const std::complex<float>* latest = &ring_[written_ + ringSize_ + 1 - n];
    float re = 0.0f, im = 0.0f;
    for (std::size_t t = 0; t < n; ++t) {
        re += taps_[t] * latest[t].real();
        im += taps_[t] * latest[t].imag();
    }
    return {re, im};
}

void FmDemodulator::process(std::span<const float> input, std::vector<float>& out,
                            std::vector<float>& power) {
    const double toHz = workingRate() / (2.0 * kPi);
    for (const float sample : input) {
        const float x =
            std::isfinite(sample) ? std::clamp(sample, -kMostSample, kMostSample) : 0.0f;
        // The tiny constant keeps the filters out of subnormal numbers in silence.
        double i = x * oscillator_.real() + 1e-20;
        double q = x * oscillator_.imag() + 1e-20;
        oscillator_ *= step_;
        if (++renormalize_ == 1024) {
            renormalize_ = 0;
            oscillator_ /= std::abs(oscillator_);
        }
        filterStep(i, q);
        raw_[rawWritten_ = (rawWritten_ + 1) % raw_.size()] = x;
        if (++phaseCount_ < decimation_)
            continue;
        phaseCount_ = 0;

        written_ = (written_ + 1) % ringSize_;
        ring_[written_] = ring_[written_ + ringSize_] = std::complex<float>(float(i), float(q));
        const std::complex<float> z = filtered();
        power.push_back(std::norm(z));
        const std::complex<float> d = z * std::conj(previous_);
        previous_ = z;
        out.push_back(float(fastAtan2(d.imag(), d.real()) * toHz + centre_));
    }
}

double FmDemodulator::snrDb(const Moments& m, double halfWidthHz) {
    if (m.count < 16 || m.m2 <= 1e-12 * double(m.count))
        return -99.0;
    const double m2 = m.m2 / double(m.count);
    const double m4 = m.m4 / double(m.count);
    const double s = std::sqrt(std::max(0.0, 2.0 * m2 * m2 - m4));
    const double n = std::max(m2 - s, m2 * 1e-6);
    if (s <= 0.0)
        return -99.0;
    // The noise in the filter's band (noise bandwidth about 2 x half width) scaled to 3 kHz.
    return 10.0 * std::log10(s / n * (2.0 * halfWidthHz) / 3000.0);
}

StepResponse::StepResponse(double sampleRate, double halfWidthHz, double fromHz, double toHz) {
    // The one tone that steps to the other, through a demodulator as the receiver's.
    const double kLowHz = fromHz, kHighHz = toHz;
    constexpr double kStepMs = 30.0;
    FmDemodulator demod(sampleRate, 1700.0, halfWidthHz);
    std::vector<float> audio(std::size_t(2 * kStepMs * sampleRate / 1000.0));
    const auto stepAt = std::size_t(kStepMs * sampleRate / 1000.0);
    double phase = 0.0;
    for (std::size_t n = 0; n < audio.size(); ++n) {
        audio[n] = float(std::sin(phase));
        phase += 2.0 * kPi * (n < stepAt ? kLowHz : kHighHz) / sampleRate;
    }
    std::vector<float> hz, power;
    demod.process(audio, hz, power);
    std::vector<double> r(hz.size());
    for (std::size_t k = 0; k < hz.size(); ++k)
        r[k] = (hz[k] - kLowHz) / (kHighHz - kLowHz);
    // Time 0 where the area below the response before it equals the area above it after.
    const std::size_t from = hz.size() / 6, to = hz.size() - hz.size() / 12;
    double area = 0.0;
    for (std::size_t k = from; k < to; ++k)
        area += 1.0 - r[k];
    const double zero = double(from) + area;
    first_ = double(from) - zero;
    delay_ = zero - double(stepAt) / demod.decimation();
    values_.assign(r.begin() + std::ptrdiff_t(from), r.begin() + std::ptrdiff_t(to));
    reach_ = 0.0;
    for (std::size_t k = 0; k < values_.size(); ++k) {
        const double x = first_ + double(k);
        const double target = x < 0 ? 0.0 : 1.0;
        if (std::fabs(values_[k] - target) > 1e-3)
            reach_ = std::max(reach_, std::fabs(x) + 1.0);
    }
}

double StepResponse::at(double x) const {
    if (values_.empty())
        return x < 0 ? 0.0 : 1.0;
    const double i = x - first_;
    if (i <= 0)
        return values_.front();
    if (i >= double(values_.size() - 1))
        return values_.back();
    const auto k = std::size_t(i);
    const double f = i - double(k);
    return values_[k] * (1 - f) + values_[k + 1] * f;
}

} // namespace winorbis::sstv
