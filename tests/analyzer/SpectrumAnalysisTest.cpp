// SPDX-License-Identifier: GPL-3.0-or-later
// The analysis of the tuning display fed with generated 8-bit audio: silence, tones, sync bursts,
// and the rhythm of the display periods.
#include "analyzer/SpectrumAnalysis.h"
#include "analyzer/FilterCoefficients.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <numbers>
#include <numeric>
#include <vector>

using namespace winorbis;

namespace {

constexpr int Period = SpectrumAnalysis::BufferSamples;

// Unsigned 8-bit audio at 8000 Hz; tones follow each other without a phase jump.
class Audio {
public:
    Audio& tone(double hertz, int count, double amplitude = 100.0) {
        for (int i = 0; i < count; ++i) {
            const double v = std::round(128.0 + amplitude * std::sin(phase_));
            samples.push_back(std::uint8_t(std::clamp(v, 0.0, 255.0)));
            phase_ =
                std::fmod(phase_ + 2.0 * std::numbers::pi * hertz / 8000.0, 2.0 * std::numbers::pi);
        }
        return *this;
    }
    Audio& level(std::uint8_t value, int count) {
        samples.insert(samples.end(), std::size_t(count), value);
        return *this;
    }
    std::vector<std::uint8_t> samples;

private:
    double phase_ = 0.0;
};

// The analysis with the layout's filter, recording every period it hands over.
struct Analysis {
    Analysis()
        : block(*readFilterCoefficients(filterDaten1Texts())) {
        block.setPeriodListener([this](const AnalyzerPeriod& p) {
            periods.push_back(p);
            samplesAtPeriod.push_back(fed);
        });
    }
    // Feeds sample by sample so that the moment of each period is known.
    void feed(const std::vector<std::uint8_t>& samples) {
        for (const std::uint8_t s : samples) {
            ++fed;
            block.process(std::span(&s, 1));
        }
    }
    SpectrumAnalysis block;
    std::vector<AnalyzerPeriod> periods;
    std::vector<long> samplesAtPeriod;
    long fed = 0;
};

long total(const AnalyzerPeriod& p) {
    return std::accumulate(p.bins.begin(), p.bins.end(), 0L);
}

// Centre of mass of the shown curve, in display columns.
double centreColumn(const AnalyzerPeriod& p) {
    double sum = 0.0;
    for (int col = 0; col < AnalyzerPeriod::ShownBins; ++col)
        sum += double(col) * p.bins[std::size_t(col)];
    return sum / double(total(p));
}

int peakColumn(const AnalyzerPeriod& p) {
    return int(std::max_element(p.bins.begin(), p.bins.end()) - p.bins.begin());
}

} // namespace

TEST(SpectrumAnalysis, DigitalSilenceFallsIntoTheHiddenBinZero) {
    Analysis a;
    a.feed(Audio().level(128, 3 * Period + 1).samples);
    ASSERT_EQ(a.periods.size(), 3u);
    // While the filter fills, the phase step of its output still varies: a few values fall into
    // shown bins of the first period, too few to lift the line.
    EXPECT_LE(total(a.periods[0]), 36);
    for (std::size_t i = 0; i < a.periods.size(); ++i) {
        if (i > 0) {
            EXPECT_EQ(total(a.periods[i]), 0) << "period " << i;
        }
        for (const std::int32_t count : a.periods[i].bins)
            ASSERT_EQ(curveRow(count, 60), 57) << "period " << i;
    }
    EXPECT_LT(a.block.lastFrequency(), -420.0f);
    a.feed(Audio().level(128, 100).samples);
    EXPECT_EQ(a.block.histogram()[0], 100);
}

TEST(SpectrumAnalysis, AllSamples127GiveBin150) {
    Analysis a;
    a.feed(Audio().level(127, 2 * Period + 1).samples);
    ASSERT_EQ(a.periods.size(), 2u);
    EXPECT_EQ(a.periods[0].bins[149], Period + 1);
    EXPECT_EQ(a.periods[1].bins[149], Period);
    EXPECT_EQ(total(a.periods[1]), Period);
    EXPECT_LT(curveRow(a.periods[1].bins[149], 60), 0);
}

TEST(SpectrumAnalysis, CleanTonesLieAtTheirScaleColumns) {
    struct Case {
        double hertz;
        int column;
    };
    for (const Case c : {Case{1200, 38}, Case{1500, 83}, Case{1900, 149}, Case{2300, 214}}) {
        Analysis a;
        a.feed(Audio().tone(c.hertz, 3 * Period + 1).samples);
        ASSERT_EQ(a.periods.size(), 3u);
        for (std::size_t i = 1; i < 3; ++i) {
            const AnalyzerPeriod& p = a.periods[i];
            EXPECT_EQ(total(p), Period) << c.hertz << " Hz";
            EXPECT_NEAR(centreColumn(p), c.column, 0.5) << c.hertz << " Hz";
            EXPECT_NEAR(peakColumn(p), c.column, 4) << c.hertz << " Hz";
        }
    }
}

TEST(SpectrumAnalysis, ReferencePhaseStaysExactAfterAMillionSamples) {
    // n x omega beyond 2^20 samples needs more than single precision.
    Analysis a;
    a.feed(Audio().tone(1500, 300 * Period + 1).samples);
    ASSERT_EQ(a.periods.size(), 300u);
    EXPECT_EQ(a.block.phaseCounter(), 300 * Period + 1);
    EXPECT_NEAR(centreColumn(a.periods.back()), 83, 0.5);
}

TEST(SpectrumAnalysis, PeriodsEndAfter3573SamplesThenEvery3572) {
    Analysis a;
    a.feed(Audio().tone(1700, 4 * Period + 1).samples);
    EXPECT_EQ(a.samplesAtPeriod,
              (std::vector<long>{Period + 1, 2 * Period + 1, 3 * Period + 1, 4 * Period + 1}));
    EXPECT_EQ(a.block.periodCounter(), 1);
    EXPECT_EQ(a.block.phaseCounter(), 4 * Period + 1);
    // The sample at which a period ends is counted in it.
    const auto& h = a.block.histogram();
    EXPECT_EQ(std::accumulate(h.begin(), h.end(), 0L), 0);
}

TEST(SpectrumAnalysis, SteadySyncToneRecordsNoSync) {
    Analysis a;
    a.feed(Audio().tone(1200, 5 * Period).samples);
    ASSERT_EQ(a.periods.size(), 4u);
    for (const AnalyzerPeriod& p : a.periods) {
        EXPECT_EQ(p.syncLength, 0);
        EXPECT_FALSE(syncMarkerColumn(p.syncLength));
    }
    EXPECT_GT(a.block.sync().run(), 5 * Period - 50);
}

TEST(SpectrumAnalysis, SyncBurstIsRecordedOncePerPeriod) {
    // The filter rounds the edges of a burst, and the threshold lies nearer to 1200 Hz than to
    // 1900 Hz: a burst of L samples stays below -150 for L - 1 frequency values.
    for (const double amplitude : {40.0, 100.0, 127.0}) {
        for (int length = 30; length <= 51; ++length) {
            Analysis a;
            a.feed(Audio()
                       .tone(1900, 1000, amplitude)
                       .tone(1200, length, amplitude)
                       .tone(1900, Period, amplitude)
                       .tone(1200, length, amplitude)
                       .tone(1900, 3000, amplitude)
                       .samples);
            ASSERT_EQ(a.periods.size(), 2u);
            const int expected = length >= 32 && length <= 50 ? length - 1 : 0;
            EXPECT_EQ(a.periods[0].syncLength, expected) << length << " at " << amplitude;
            EXPECT_EQ(a.periods[1].syncLength, expected) << length << " at " << amplitude;
        }
    }
    // A second burst in the same period is not recorded.
    Analysis a;
    a.feed(Audio()
               .tone(1900, 1000)
               .tone(1200, 40)
               .tone(1900, 1000)
               .tone(1200, 46)
               .tone(1900, 1600)
               .samples);
    ASSERT_EQ(a.periods.size(), 1u);
    EXPECT_EQ(a.periods[0].syncLength, 39);
    EXPECT_EQ(syncMarkerColumn(a.periods[0].syncLength), 41);
}

TEST(SpectrumAnalysis, BurstsOutsideTheSyncLengthsAreNotRecorded) {
    for (const int length : {20, 55, 200}) {
        Analysis a;
        a.feed(Audio().tone(1900, 1000).tone(1200, length).tone(1900, Period).samples);
        ASSERT_EQ(a.periods.size(), 1u);
        EXPECT_EQ(a.periods[0].syncLength, 0) << length;
    }
}

TEST(SpectrumAnalysis, SyncRunContinuesThroughTheBandBelowBlack) {
    // 1480 Hz lies between -150 and -110; 1900 Hz above it ends the run.
    for (const double middle : {1480.0, 1900.0}) {
        Analysis a;
        a.feed(Audio()
                   .tone(1900, 1000)
                   .tone(1200, 20)
                   .tone(middle, 15)
                   .tone(1200, 20)
                   .tone(1900, Period)
                   .samples);
        ASSERT_EQ(a.periods.size(), 1u);
        if (middle < 1500)
            EXPECT_NEAR(a.periods[0].syncLength, 42, 4);
        else
            EXPECT_EQ(a.periods[0].syncLength, 0);
    }
}

TEST(SyncDetector, RunsThresholdsAndTheRecordedMark) {
    SyncDetector s;
    for (int i = 0; i < 20; ++i)
        s.step(-200.0f);
    s.step(-150.0f); // neither grows nor resets
    s.step(-110.0f);
    s.step(-130.0f);
    EXPECT_EQ(s.run(), 20);
    EXPECT_FALSE(s.recorded());
    for (int i = 0; i < 15; ++i)
        s.step(-151.0f);
    EXPECT_EQ(s.run(), 35);
    s.step(-120.0f); // the run ends in the band: recorded, but it goes on
    EXPECT_EQ(s.length(), 35);
    EXPECT_TRUE(s.recorded());
    for (int i = 0; i < 5; ++i)
        s.step(-300.0f);
    s.step(-109.0f);
    EXPECT_EQ(s.run(), 0);
    EXPECT_EQ(s.length(), 35); // one length per period
    s.newPeriod();
    EXPECT_EQ(s.length(), 0);
    EXPECT_FALSE(s.recorded());

    for (const int run : {30, 31, 49, 50}) {
        SyncDetector d;
        for (int i = 0; i < run; ++i)
            d.step(-222.0f);
        d.step(0.0f);
        EXPECT_EQ(d.recorded(), run > 30 && run < 50) << run;
        EXPECT_EQ(d.run(), 0);
    }
}

TEST(SpectrumAnalysis, HistogramBinsRoundHalvesToEven) {
    EXPECT_EQ(histogramBin(-1000.0f), 0);
    EXPECT_EQ(histogramBin(-298.6f), 0);
    EXPECT_EQ(histogramBin(-298.5f), 1); // 1.5 -> 2
    EXPECT_EQ(histogramBin(-297.5f), 1); // 2.5 -> 2
    EXPECT_EQ(histogramBin(-296.5f), 2); // 3.5 -> 4
    EXPECT_EQ(histogramBin(0.0f), 150);
    EXPECT_EQ(histogramBin(0.5f), 150);                       // 300.5 -> 300
    EXPECT_EQ(histogramBin(std::nextafter(1.5f, 0.0f)), 150); // F + 300 is not rounded to 301.5
    EXPECT_EQ(histogramBin(1.5f), 151);
    EXPECT_EQ(histogramBin(-222.0f), 39);
    EXPECT_EQ(histogramBin(299.0f), 299);
    EXPECT_EQ(histogramBin(1000.0f), 300);
}

TEST(SpectrumAnalysis, DisplayGeometry) {
    EXPECT_EQ(curveRow(0, 60), 57);
    EXPECT_EQ(curveRow(170, 60), 1);
    EXPECT_EQ(curveRow(171, 60), 0);
    EXPECT_EQ(curveRow(174, 60), -1);
    EXPECT_EQ(syncMarkerColumn(31), 49);
    EXPECT_EQ(syncMarkerColumn(49), 31);
    EXPECT_FALSE(syncMarkerColumn(30));
    EXPECT_FALSE(syncMarkerColumn(0));
}

TEST(SpectrumAnalysis, ReferenceStepIs1900HzAt8000Samples) {
    EXPECT_EQ(SpectrumAnalysis::referenceStep(), 1.4922565f);
    EXPECT_FLOAT_EQ(SpectrumAnalysis::referenceStep(),
                    float(2.0 * std::numbers::pi * 1900.0 / 8000.0));
}

TEST(SpectrumAnalysis, ReferencePhasorIsThatOfTheExactPhase) {
    const float omega = SpectrumAnalysis::referenceStep();
    for (const std::int32_t n :
         {0, 1, 2, 3571, 3572, 1 << 20, 123456789, 1 << 30, 2147483647, -1, -2147483647 - 1}) {
        const long double phase = static_cast<long double>(n) * omega;
        long double sine = 0.0L;
        long double cosine = 0.0L;
        ::sincosl(phase, &sine, &cosine);
        const ReferencePhasor p = referencePhasor(n, omega);
        EXPECT_NEAR(p.cosine, double(cosine), 4e-16) << n;
        EXPECT_NEAR(p.sine, double(sine), 4e-16) << n;
    }
}

namespace {

// The analysis written out one sample at a time with shifting lines, as a check of the block's
// batched mixing and filtering.
std::vector<AnalyzerPeriod> referenceAnalysis(const FilterCoefficients& f,
                                              const std::vector<std::uint8_t>& samples) {
    std::vector<AnalyzerPeriod> periods;
    const int n = f.count;
    std::vector<float> iLine(std::size_t(std::max(n, 1))), qLine(iLine.size());
    std::array<std::int32_t, 301> bins{};
    std::int32_t periodCounter = 0;
    std::int32_t phaseCounter = 0;
    float pI = 0.0f;
    float pQ = 0.0f;
    SyncDetector sync;
    for (const std::uint8_t s : samples) {
        const int x = (127 - s) * 64;
        long double sine = 0.0L;
        long double cosine = 0.0L;
        ::sincosl(static_cast<long double>(phaseCounter) * SpectrumAnalysis::referenceStep(), &sine,
                  &cosine);
        iLine[0] = static_cast<float>(x * cosine);
        qLine[0] = static_cast<float>(x * sine);
        float fI = 0.0f;
        float fQ = 0.0f;
        for (int k = 0; k <= n - 2; ++k) {
            const float ci = (k == 0 ? 0.0f : f.c[std::size_t(k)]) * iLine[std::size_t(k)];
            const float cq = (k == 0 ? 0.0f : f.c[std::size_t(k)]) * qLine[std::size_t(k)];
            fI = fI + ci;
            fQ = fQ + cq;
        }
        for (int k = n - 1; k >= 1; --k) {
            iLine[std::size_t(k)] = iLine[std::size_t(k - 1)];
            qLine[std::size_t(k)] = qLine[std::size_t(k - 1)];
        }
        const float sI = fI * fI;
        const float sQ = fQ * fQ;
        float m = std::sqrt(sI + sQ);
        if (std::fabs(m) < 1e-11)
            m = 1e-11f;
        const float r = 1.0f / m;
        const float nI = fI * r;
        const float nQ = fQ * r;
        const float a = pI * nQ;
        const float b = pQ * nI;
        const float d = a - b;
        const float freq = -425.0f * d;
        pI = nI;
        pQ = nQ;
        sync.step(freq);
        ++bins[std::size_t(histogramBin(freq))];
        if (periodCounter == Period) {
            AnalyzerPeriod p;
            std::copy_n(bins.begin() + 1, 256, p.bins.begin());
            p.syncLength = sync.length();
            periods.push_back(p);
            sync.newPeriod();
            periodCounter = 0;
            bins.fill(0);
        }
        ++periodCounter;
        ++phaseCounter;
    }
    return periods;
}

} // namespace

TEST(SpectrumAnalysis, BatchedFilteringMatchesTheSampleBySampleAnalysis) {
    Audio audio;
    audio.level(128, 100).tone(1200, 500).tone(1500, 700).tone(1200, 40).tone(2300, 2000);
    for (int i = 0; i < 3000; ++i) // a sweep
        audio.tone(1100.0 + 1500.0 * i / 3000.0, 1);
    audio.tone(1900, 4000, 127.0).level(127, 300).tone(1200, 45).tone(1800, 3000);
    const std::vector<std::uint8_t>& samples = audio.samples;

    FilterCoefficients shortFilter;
    shortFilter.count = 3;
    shortFilter.c[1] = 0.5f;
    shortFilter.c[2] = 0.5f;
    FilterCoefficients oneTap;
    oneTap.count = 1;
    oneTap.c[1] = 1.0f;
    FilterCoefficients longFilter;
    longFilter.count = FilterCoefficients::MaxCount;
    for (int k = 1; k <= longFilter.count; ++k)
        longFilter.c[std::size_t(k)] = 1.0f / float(k);
    for (const FilterCoefficients& f :
         {*readFilterCoefficients(filterDaten1Texts()), shortFilter, oneTap, longFilter}) {
        SpectrumAnalysis block(f);
        std::vector<AnalyzerPeriod> periods;
        block.setPeriodListener([&](const AnalyzerPeriod& p) { periods.push_back(p); });
        // Buffers of uneven lengths, some shorter and some longer than the block's batches.
        const std::span<const std::uint8_t> all(samples);
        std::size_t at = 0;
        for (std::size_t length = 1; at < all.size(); length = length * 3 % 1000 + 1) {
            const std::size_t count = std::min(length, all.size() - at);
            block.process(all.subspan(at, count));
            at += count;
        }
        const std::vector<AnalyzerPeriod> expected = referenceAnalysis(f, samples);
        ASSERT_EQ(periods.size(), expected.size()) << f.count << " taps";
        ASSERT_EQ(periods.size(), 3u);
        for (std::size_t i = 0; i < periods.size(); ++i) {
            EXPECT_EQ(periods[i].bins, expected[i].bins) << f.count << " taps, period " << i;
            EXPECT_EQ(periods[i].syncLength, expected[i].syncLength) << f.count << " taps";
        }
    }
}
