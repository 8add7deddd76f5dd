// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <array>
#include <complex>
#include <cstdint>
#include <span>
#include <vector>

namespace winorbis::sstv {

// Frequency demodulation through complex baseband: the audio is mixed down around a centre
// tone, low-passed and decimated to a working rate of 11025 Hz or a little more (a fourth-order
// Butterworth well above the band before the decimation, then a linear-phase low-pass of the
// width set, whose answer to a step of the tone neither rings nor overshoots to speak of), and
// the frequency read from the phase step between samples. Beside it the signal-to-noise ratio is
// estimated from the second and fourth moments of the baseband (a tone of constant envelope in
// Gaussian noise).
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
    // The filter before the decimation, one sample on.
    void filterStep(double& i, double& q);
    // The low-pass at the working rate over the latest samples.
    std::complex<float> filtered() const;

    static constexpr std::size_t kStages = 2;
    std::array<Biquad, kStages> stages_;
    // Per stage the state of the in-phase and quadrature filters (direct form II transposed).
    std::array<std::array<double, 4>, kStages> state_{};
    // The low-pass at the working rate: its taps, and the latest samples twice over in a ring
    // so that the newest ones always lie in one piece.
    std::vector<float> taps_;
    std::vector<std::complex<float>> ring_;
    std::size_t ringSize_ = 0;
    std::size_t written_ = 0;
    // The latest audio, for a new mixer tone.
    std::vector<float> raw_;
    std::size_t rawWritten_ = 0;
    int phaseCount_ = 0;
    int renormalize_ = 0;
    std::complex<float> previous_{1.0f, 0.0f};
};

// How the demodulated frequency follows a step of the tone: 0 before, 1 after, at the working
// rate, with time 0 where the area under the step puts it (as the receiver times its syncs).
// From it the receiver tells how much of a pixel's reading comes of the tones around it.
class StepResponse {
public:
    StepResponse() = default;
    // The step from one tone to another (the larger the step, the sooner it shows: the
    // demodulator follows the stronger of two tones).
    StepResponse(double sampleRate, double halfWidthHz, double fromHz = 1500.0,
                 double toHz = 1900.0);
    // The response x working samples after the step.
    double at(double x) const;
    // Beyond this many samples either side the response is 0 or 1 within a thousandth.
    double reach() const { return reach_; }
    // How far the frequency read lags the audio: a step of the tone at audio sample s (the
    // steps from sample s - 1 to s of the one tone, from s to s + 1 of the other) lies at working
    // time s / decimation + delay(), as the receiver times the step.
    double delay() const { return delay_; }

private:
    std::vector<double> values_; // at whole samples from first_ on
    double first_ = 0.0;
    double delay_ = 0.0;
    double reach_ = 0.0;
};

} // namespace winorbis::sstv
