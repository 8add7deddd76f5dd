// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "FilterCoefficients.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <span>

namespace winorbis {

// One finished display period: the shown histogram bins and the recorded sync length.
struct AnalyzerPeriod {
    static constexpr int ShownBins = 256;
    // bins[i - 1] is histogram bin i (i = 1 ... 256), drawn in display column i - 1.
    std::array<std::int32_t, ShownBins> bins{};
    // Length in samples of the sync pulse recorded in this period; 0 when none was.
    std::int32_t syncLength = 0;
};

// Sync pulse detection on the frequency values: counts consecutive values below -150 and records
// the first run of 31 to 49 samples that ends in a period. Values from -150 to -110 neither
// lengthen nor end a run.
class SyncDetector {
public:
    void step(float frequency);
    // Starts a new period: no length recorded; the run goes on.
    void newPeriod();

    std::int32_t run() const { return run_; }
    std::int32_t length() const { return length_; }
    bool recorded() const { return recorded_; }

private:
    std::int32_t run_ = 0;
    std::int32_t length_ = 0;
    bool recorded_ = false;
};

// Cosine and sine of the reference phase n x omega.
struct ReferencePhasor {
    double cosine = 1.0;
    double sine = 0.0;
};
ReferencePhasor referencePhasor(std::int32_t n, float omega);

// The histogram bin (0 ... 300) of a frequency value: clamped to -300 ... 300, then F + 300 rounded
// to the nearest integer (halves to the even neighbour) and halved.
int histogramBin(float frequency);

// Row of the display curve for a bin count on a display H pixels high; rows above 0 lie outside.
inline int curveRow(std::int32_t count, int height) {
    return (height - 3) - count / 3;
}

// Column of the red sync marker for a recorded length, if one is drawn.
inline std::optional<int> syncMarkerColumn(std::int32_t syncLength) {
    if (syncLength > 30)
        return 80 - syncLength;
    return std::nullopt;
}

// The analysis of the tuning display, without window or audio: a quadrature frequency
// discriminator against a 1900 Hz reference, fed unsigned 8-bit samples at 8000 Hz. It keeps the
// frequency histogram of the current period and hands each finished period to the listener.
// All values of the analysis are single floats; only the reference phase n x omega (exact) and
// its cosine and sine are of higher precision.
class SpectrumAnalysis {
public:
    static constexpr int BufferSamples = 3572;
    static constexpr int HistogramBins = 301;
    using PeriodListener = std::function<void(const AnalyzerPeriod&)>;

    // The reference step: 2 pi x 1900 / 8000 as a single float.
    static float referenceStep();

    // The state of a freshly created window: everything zero, the filter from the coefficients.
    explicit SpectrumAnalysis(const FilterCoefficients& coefficients);

    // Called with each finished period, from within process().
    void setPeriodListener(PeriodListener listener);

    // Analyses the samples in order; any count, periods run across calls.
    void process(std::span<const std::uint8_t> samples);

    std::int32_t periodCounter() const { return periodCounter_; }
    std::int32_t phaseCounter() const { return phaseCounter_; }
    const SyncDetector& sync() const { return sync_; }
    const std::array<std::int32_t, HistogramBins>& histogram() const { return histogram_; }
    // The last frequency value, before clamping.
    float lastFrequency() const { return lastFrequency_; }

private:
    void mixAndFilter(std::span<const std::uint8_t> block);
    void analyse(std::size_t count);
    void finishPeriod();

    // Samples are mixed and filtered a block at a time, then analysed one by one.
    static constexpr int Block = 256;

    PeriodListener listener_;
    std::int32_t taps_ = 0; // N - 1: the filter sums line places 0 ... N - 2
    std::array<float, FilterCoefficients::MaxCount + 1> c_{};
    // The I and Q lines in time order: the taps - 1 samples before the block, then the block's
    // samples, and room for a block rounded up to whole groups of lanes.
    std::array<float, FilterCoefficients::MaxCount + Block> iLine_{};
    std::array<float, FilterCoefficients::MaxCount + Block> qLine_{};
    std::array<float, Block> fI_{};
    std::array<float, Block> fQ_{};
    float omega_;
    float previousI_ = 0.0f;
    float previousQ_ = 0.0f;
    float lastFrequency_ = 0.0f;
    std::int32_t periodCounter_ = 0;
    std::int32_t phaseCounter_ = 0;
    SyncDetector sync_;
    std::array<std::int32_t, HistogramBins> histogram_{};
};

} // namespace winorbis
