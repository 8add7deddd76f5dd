// SPDX-License-Identifier: GPL-3.0-or-later
#include "SpectrumAnalysis.h"

#include <algorithm>
#include <cmath>
#include <utility>

namespace winorbis {

namespace {

// Counters wrap around like the 32-bit integers they are, instead of overflowing.
std::int32_t wrappingIncrement(std::int32_t value) {
    return static_cast<std::int32_t>(static_cast<std::uint32_t>(value) + 1u);
}

// 2 pi in three parts: the first two short enough that k times them is exact for |k| < 2^29.
constexpr long double TwoPi1 = 0x6487ed51p-28L;
constexpr long double TwoPi2 = 0x85a308d3p-63L;
constexpr long double TwoPi3 = 0x98cc51701b839a25p-130L;
constexpr long double InverseTwoPi = 0.159154943091895335768883763372514362L;

} // namespace

ReferencePhasor referencePhasor(std::int32_t n, float omega) {
    // n x omega has at most 31 + 24 significant bits: exact in extended precision. Its remainder
    // by 2 pi is taken with 2 pi to 127 bits, so that the cosine and sine, evaluated in double
    // precision, are those of the exact product.
    const long double phase = static_cast<long double>(n) * static_cast<long double>(omega);
    // Any whole number of turns near the phase will do.
    const long double k = static_cast<long double>(std::int64_t(phase * InverseTwoPi));
    const long double reduced = ((phase - k * TwoPi1) - k * TwoPi2) - k * TwoPi3;
    ReferencePhasor p;
    ::sincos(static_cast<double>(reduced), &p.sine, &p.cosine);
    return p;
}

void SyncDetector::step(float frequency) {
    if (frequency < -150.0f) {
        run_ = wrappingIncrement(run_);
        return;
    }
    if (run_ > 30 && run_ < 50 && !recorded_) {
        length_ = run_;
        recorded_ = true;
    }
    if (frequency > -110.0f)
        run_ = 0;
}

void SyncDetector::newPeriod() {
    length_ = 0;
    recorded_ = false;
}

int histogramBin(float frequency) {
    const float clamped = std::clamp(frequency, -300.0f, 300.0f);
    // The sum is exact in double precision, so it is rounded once, in the current (nearest,
    // halves to even) rounding mode.
    const double shifted = std::nearbyint(double(clamped) + 300.0);
    return int(shifted) / 2;
}

float SpectrumAnalysis::referenceStep() {
    return static_cast<float>(11938.052083641214306L / 8000.0L);
}

SpectrumAnalysis::SpectrumAnalysis(const FilterCoefficients& coefficients)
    : taps_(std::max(coefficients.count - 1, 0))
    , c_(coefficients.c)
    , omega_(referenceStep()) {
    c_[0] = 0.0f;
}

void SpectrumAnalysis::setPeriodListener(PeriodListener listener) {
    listener_ = std::move(listener);
}

void SpectrumAnalysis::process(std::span<const std::uint8_t> samples) {
    while (!samples.empty()) {
        const std::size_t count = std::min<std::size_t>(samples.size(), Block);
        mixAndFilter(samples.first(count));
        analyse(count);
        samples = samples.subspan(count);
    }
}

void SpectrumAnalysis::mixAndFilter(std::span<const std::uint8_t> block) {
    const std::size_t history = taps_ > 0 ? std::size_t(taps_ - 1) : 0;
    float* const iLine = iLine_.data();
    float* const qLine = qLine_.data();

    // Mixing against the reference.
    std::int32_t n = phaseCounter_;
    for (std::size_t t = 0; t < block.size(); ++t) {
        const int x = (127 - int(block[t])) * 64;
        const ReferencePhasor reference = referencePhasor(n, omega_);
        iLine[history + t] = static_cast<float>(x * reference.cosine);
        qLine[history + t] = static_cast<float>(x * reference.sine);
        n = wrappingIncrement(n);
    }

    // Filtering: for each sample, the sum over line places k = 0 ... taps - 1 in that order, where
    // place k is the sample k steps old. Eight samples are summed side by side; each sum keeps its
    // own order, so the result is that of one sample at a time.
    constexpr std::size_t Lanes = 8;
    const std::size_t groups = (block.size() + Lanes - 1) / Lanes * Lanes;
    for (std::size_t t = 0; t < groups; t += Lanes) {
        std::array<float, Lanes> sumI{};
        std::array<float, Lanes> sumQ{};
        const float* iPlace = iLine + history + t;
        const float* qPlace = qLine + history + t;
        for (std::int32_t k = 0; k < taps_; ++k, --iPlace, --qPlace) {
            const float ck = c_[std::size_t(k)];
            for (std::size_t j = 0; j < Lanes; ++j) {
                const float pi = ck * iPlace[j];
                const float pq = ck * qPlace[j];
                sumI[j] = sumI[j] + pi;
                sumQ[j] = sumQ[j] + pq;
            }
        }
        std::copy(sumI.begin(), sumI.end(), fI_.begin() + std::ptrdiff_t(t));
        std::copy(sumQ.begin(), sumQ.end(), fQ_.begin() + std::ptrdiff_t(t));
    }

    // The last samples stay as the history of the next block.
    std::copy_n(iLine + block.size(), history, iLine);
    std::copy_n(qLine + block.size(), history, qLine);
}

void SpectrumAnalysis::analyse(std::size_t count) {
    for (std::size_t t = 0; t < count; ++t) {
        const float fI = fI_[t];
        const float fQ = fQ_[t];
        const float fI2 = fI * fI;
        const float fQ2 = fQ * fQ;
        float m = std::sqrt(fI2 + fQ2);
        if (double(std::fabs(m)) < 1e-11)
            m = static_cast<float>(1e-11);
        const float r = 1.0f / m;
        const float nI = fI * r;
        const float nQ = fQ * r;

        const float a = previousI_ * nQ;
        const float b = previousQ_ * nI;
        const float d = a - b;
        const float frequency = -425.0f * d;
        previousI_ = nI;
        previousQ_ = nQ;
        lastFrequency_ = frequency;

        sync_.step(frequency);
        ++histogram_[std::size_t(histogramBin(frequency))];

        if (periodCounter_ == BufferSamples)
            finishPeriod();
        periodCounter_ = wrappingIncrement(periodCounter_);
        phaseCounter_ = wrappingIncrement(phaseCounter_);
    }
}

void SpectrumAnalysis::finishPeriod() {
    if (listener_) {
        AnalyzerPeriod period;
        std::copy_n(histogram_.begin() + 1, AnalyzerPeriod::ShownBins, period.bins.begin());
        period.syncLength = sync_.length();
        listener_(period);
    }
    sync_.newPeriod();
    periodCounter_ = 0;
    histogram_.fill(0);
}

} // namespace winorbis
