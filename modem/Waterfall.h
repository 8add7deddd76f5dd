// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>

#include <complex>
#include <cstddef>
#include <span>
#include <vector>

namespace winorbis::modem {

// The capture's spectrum as the rows of a waterfall: every rowMs the magnitudes of the band the
// SSTV tones lie in (kLowHz .. kHighHz) in kBins columns, low to high, each 0 (quiet) .. 255 (full
// scale), from a Hann-windowed transform of the latest samples. Samples come at any rate, in
// blocks of any size; no thread, no device.
class Waterfall {
public:
    static constexpr int kBins = 256;
    static constexpr double kLowHz = 300.0;
    static constexpr double kHighHz = 2700.0;
    // The level shown as 0; full scale is 255.
    static constexpr double kFloorDb = -90.0;

    explicit Waterfall(double sampleRate, int rowMs = 250);

    // Takes samples; the rows they finished, oldest first.
    std::vector<QByteArray> process(std::span<const float> samples);
    double sampleRate() const { return rate_; }
    // The transform's length in samples.
    std::size_t windowSamples() const { return window_.size(); }

    // An in-place radix-2 transform of a power-of-two length, for the rows and their tests.
    static void transform(std::vector<std::complex<double>>& data);

private:
    QByteArray row() const;

    double rate_;
    std::size_t rowSamples_;
    std::vector<double> window_; // the Hann weights
    std::vector<float> history_; // the latest samples, a ring of window_.size()
    std::size_t written_ = 0;    // samples taken in all
    std::size_t sinceRow_ = 0;
};

} // namespace winorbis::modem
