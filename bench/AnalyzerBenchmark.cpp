// SPDX-License-Identifier: GPL-3.0-or-later
// Analysing one capture buffer of the tuning display (3572 samples, 446.5 ms of audio at
// 8000 Hz); the "realtime" counter says how many times faster than the audio arrives.
#include "analyzer/FilterCoefficients.h"
#include "analyzer/SpectrumAnalysis.h"

#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdint>
#include <numbers>
#include <vector>

using namespace winorbis;

namespace {

constexpr double BufferSeconds = SpectrumAnalysis::BufferSamples / 8000.0;

// A 1200 Hz sync burst every 3572 samples, the rest a sweep through the picture tones.
std::vector<std::uint8_t> captureBuffer() {
    std::vector<std::uint8_t> samples;
    double phase = 0.0;
    for (int i = 0; i < SpectrumAnalysis::BufferSamples; ++i) {
        const double hertz = i < 40 ? 1200.0 : 1500.0 + 800.0 * (i % 500) / 500.0;
        samples.push_back(std::uint8_t(std::lround(128.0 + 100.0 * std::sin(phase))));
        phase = std::fmod(phase + 2.0 * std::numbers::pi * hertz / 8000.0, 2.0 * std::numbers::pi);
    }
    return samples;
}

void AnalyseBuffer(benchmark::State& state) {
    const std::vector<std::uint8_t> buffer = captureBuffer();
    SpectrumAnalysis analysis(*readFilterCoefficients(filterDaten1Texts()));
    std::int64_t shown = 0;
    analysis.setPeriodListener([&shown](const AnalyzerPeriod& p) { shown += p.bins[38]; });
    for (auto _ : state) {
        analysis.process(buffer);
        benchmark::DoNotOptimize(shown);
    }
    state.SetItemsProcessed(state.iterations() * SpectrumAnalysis::BufferSamples);
    // Seconds of audio per second of processing.
    state.counters["realtime"] =
        benchmark::Counter(double(state.iterations()) * BufferSeconds, benchmark::Counter::kIsRate);
}
BENCHMARK(AnalyseBuffer)->Unit(benchmark::kMicrosecond);

} // namespace
