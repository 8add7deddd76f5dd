// SPDX-License-Identifier: GPL-3.0-or-later
#include "FmDemodulator.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace winorbis::sstv {

namespace {

constexpr double kPi = std::numbers::pi;
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
    , decimation_(std::max(1, int(sampleRate / 8000.0)))
    , centre_(centreHz)
    , halfWidth_(halfWidthHz) {
    setCentre(centreHz);
    design();
}

void FmDemodulator::setCentre(double hz) {
    centre_ = hz;
    step_ = std::polar(1.0, -2.0 * kPi * hz / rate_);
}

void FmDemodulator::setHalfWidth(double hz) {
    halfWidth_ = hz;
    design();
}

void FmDemodulator::design() {
    // Two biquads of a Butterworth low-pass by the bilinear transform; Q of the fourth order.
    const double k = std::tan(kPi * std::min(halfWidth_, rate_ * 0.45) / rate_);
    const std::array<double, 2> q{0.54119610, 1.3065630};
    for (std::size_t i = 0; i < 2; ++i) {
        const double norm = 1.0 / (1.0 + k / q[i] + k * k);
        Biquad& b = stages_[i];
        b.b0 = k * k * norm;
        b.b1 = 2.0 * b.b0;
        b.b2 = b.b0;
        b.a1 = 2.0 * (k * k - 1.0) * norm;
        b.a2 = (1.0 - k / q[i] + k * k) * norm;
    }
}

void FmDemodulator::process(std::span<const float> input, std::vector<float>& out,
                            std::vector<float>& power) {
    const double toHz = workingRate() / (2.0 * kPi);
    const Biquad s0 = stages_[0], s1 = stages_[1];
    auto& z0 = state_[0];
    auto& z1 = state_[1];
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
        // Stage one, in-phase and quadrature.
        double yi = s0.b0 * i + z0[0];
        z0[0] = s0.b1 * i - s0.a1 * yi + z0[1];
        z0[1] = s0.b2 * i - s0.a2 * yi;
        double yq = s0.b0 * q + z0[2];
        z0[2] = s0.b1 * q - s0.a1 * yq + z0[3];
        z0[3] = s0.b2 * q - s0.a2 * yq;
        // Stage two.
        i = yi;
        q = yq;
        yi = s1.b0 * i + z1[0];
        z1[0] = s1.b1 * i - s1.a1 * yi + z1[1];
        z1[1] = s1.b2 * i - s1.a2 * yi;
        yq = s1.b0 * q + z1[2];
        z1[2] = s1.b1 * q - s1.a1 * yq + z1[3];
        z1[3] = s1.b2 * q - s1.a2 * yq;

        if (++phaseCount_ < decimation_)
            continue;
        phaseCount_ = 0;
        const std::complex<float> z{float(yi), float(yq)};
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

} // namespace winorbis::sstv
