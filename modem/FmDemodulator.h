// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <array>
#include <complex>
#include <cstdint>
#include <span>
#include <vector>

namespace winorbis::sstv {

// Frequency demodulation through complex baseband: the audio is mixed down around a centre
// tone, low-passed (fourth-order Butterworth, the width settable), decimated to a working rate
// near 8000 Hz, and the frequency read from the phase step between samples. Beside it the
// signal-to-noise ratio is estimated from the second and fourth moments of the baseband (a
// tone of constant envelope in Gaussian noise).
class FmDemodulator {
public:
    explicit FmDemodulator(double sampleRate, double centreHz = 1700.0,
                           double halfWidthHz = 1000.0);

    double sampleRate() const { return rate_; }
    int decimation() const { return decimation_; }
    // Samples per second of the frequency output.
    double workingRate() const { return rate_ / decimation_; }

    double centreHz() const { return centre_; }
    // Moves the mixer (to take out a mistuning); the phase runs on.
    void setCentre(double hz);
    double halfWidthHz() const { return halfWidth_; }
    void setHalfWidth(double hz);

    // The frequencies in Hz of the working-rate samples the input completes, appended to out,
    // and the power of the baseband at each to power. Samples that are no number are taken as
    // silence, samples beyond +-1e6 as that much.
    void process(std::span<const float> input, std::vector<float>& out, std::vector<float>& power);

    // Second and fourth moments of the baseband, and from them the signal-to-noise ratio in dB
    // within 3 kHz (-99 when too few samples have come or there is no signal at all).
    struct Moments {
        double m2 = 0.0, m4 = 0.0;
        std::int64_t count = 0;
        void add(double power) {
            m2 += power;
            m4 += power * power;
            ++count;
        }
    };
    static double snrDb(const Moments& m, double halfWidthHz);

private:
    struct Biquad {
        double b0 = 1, b1 = 0, b2 = 0, a1 = 0, a2 = 0;
    };
    void design();

    double rate_;
    int decimation_;
    double centre_;
    double halfWidth_;
    std::complex<double> oscillator_{1.0, 0.0};
    std::complex<double> step_{1.0, 0.0};
    std::array<Biquad, 2> stages_;
    // Per stage the state of the in-phase and quadrature filters (direct form II transposed).
    std::array<std::array<double, 4>, 2> state_{};
    int phaseCount_ = 0;
    int renormalize_ = 0;
    std::complex<float> previous_{1.0f, 0.0f};
};

} // namespace winorbis::sstv
