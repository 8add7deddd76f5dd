// SPDX-License-Identifier: GPL-3.0-or-later
// The receiver's blocks on their own: the demodulator's frequency and signal-to-noise ratio,
// the tone read from the audio itself, the line fit, and WAV files in their many sample formats.
#include "ModemTestSupport.h"
#include "modem/AudioHistory.h"
#include "modem/FmDemodulator.h"
#include "modem/HighBand.h"
#include "modem/LineTiming.h"
#include "modem/SstvEncoder.h"
#include "modem/WavFile.h"

#include <QtEndian>

#include <gtest/gtest.h>

#include <cstring>
#include <numbers>

using namespace winorbis::sstv;
using namespace winorbis::sstv::test;

namespace {

std::vector<float> tone(double hz, double rate, double seconds, double amplitude = 0.5) {
    std::vector<float> out(std::size_t(rate * seconds));
    for (std::size_t n = 0; n < out.size(); ++n)
        out[n] = float(amplitude * std::sin(2.0 * std::numbers::pi * hz * double(n) / rate));
    return out;
}

TEST(ModemBlocks, DemodulatorReadsTonesAcrossTheBandAtEveryRate) {
    for (const double rate : {8000.0, 11025.0, 22050.0, 44100.0, 48000.0, 96000.0}) {
        FmDemodulator demod(rate);
        EXPECT_GE(demod.workingRate(), 8000.0);
        EXPECT_LT(demod.workingRate(), 16000.0);
        for (const double hz : {1100.0, 1200.0, 1500.0, 1900.0, 2300.0}) {
            std::vector<float> out, power;
            demod.process(tone(hz, rate, 0.2), out, power);
            ASSERT_EQ(out.size(), power.size());
            // After the filter has settled, the mean of the last half.
            double sum = 0.0;
            for (std::size_t i = out.size() / 2; i < out.size(); ++i)
                sum += out[i];
            EXPECT_NEAR(sum / double(out.size() - out.size() / 2), hz, 1.0)
                << hz << " Hz at " << rate;
        }
    }
}

// The mixer moved to take out a mistuning while a tone goes on: the frequency read runs on
// without a jump, at every rate.
TEST(ModemBlocks, DemodulatorRetunedMidToneReadsItOn) {
    for (const double rate : {8000.0, 11025.0, 48000.0}) {
        FmDemodulator demod(rate);
        const auto audio = tone(1350.0, rate, 0.4);
        const auto half = std::span<const float>(audio).first(audio.size() / 2);
        std::vector<float> out, power;
        demod.process(half, out, power);
        const std::size_t before = out.size();
        demod.setCentre(1550.0);
        demod.process(std::span<const float>(audio).subspan(audio.size() / 2), out, power);
        double worst = 0.0;
        for (std::size_t i = before / 2; i < out.size(); ++i)
            worst = std::max(worst, std::fabs(out[i] - 1350.0));
        EXPECT_LT(worst, 5.0) << rate;
    }
}

TEST(ModemBlocks, SignalToNoiseRatioIsEstimatedInThreeKilohertz) {
    const double rate = 11025.0;
    for (const double snr : {0.0, 10.0, 20.0}) {
        auto audio = tone(1700.0, rate, 2.0);
        addNoise(audio, rate, snr, 5);
        FmDemodulator demod(rate);
        std::vector<float> out, power;
        demod.process(audio, out, power);
        FmDemodulator::Moments m;
        for (std::size_t i = power.size() / 4; i < power.size(); ++i)
            m.add(power[i]);
        EXPECT_NEAR(FmDemodulator::snrDb(m, demod.halfWidthHz()), snr, 2.0) << snr;
    }
    FmDemodulator::Moments silence;
    for (int i = 0; i < 100; ++i)
        silence.add(0.0);
    EXPECT_EQ(FmDemodulator::snrDb(silence, 1000.0), -99.0);
}

// Tones of any amplitude and phase that change between samples, written sample by sample from
// their phase (each step between samples of the tone under its middle), read back from the
// samples within each after the history has wrapped around; where a tone ends; and in noise, a
// spread that is the scatter the readings show.
TEST(ModemBlocks, AudioHistoryReadsTonesFromTheirOwnSamples) {
    std::mt19937 random(7);
    std::uniform_real_distribution<double> u(0.0, 1.0);
    // Samples of tones {hz, until} in a history, pushed in blocks of odd sizes.
    const auto write = [&](AudioHistory& audio, const std::vector<std::pair<double, double>>& tones,
                           double amplitude) {
        std::vector<float> samples;
        double phase = 6.28 * u(random);
        for (std::size_t n = 0, k = 0; k < tones.size(); ++n) {
            samples.push_back(float(amplitude * std::sin(phase)));
            while (k < tones.size() && tones[k].second <= double(n) + 0.5)
                ++k;
            if (k < tones.size())
                phase += 2.0 * std::numbers::pi * tones[k].first / audio.sampleRate();
        }
        for (std::size_t at = 0; at < samples.size(); at += 997)
            audio.push(std::span<const float>(samples).subspan(
                at, std::min<std::size_t>(997, samples.size() - at)));
    };
    for (const double rate : {11025.0, 48000.0}) {
        SCOPED_TRACE(rate);
        AudioHistory audio(rate, 12);
        // Tones 1.3 to 4.3 samples long at 11025 Hz, 5.7 to 19 at 48000 Hz.
        std::vector<std::pair<double, double>> tones;
        for (double t = 0.0; t < 3.0 * double(1 << 12);)
            tones.emplace_back(1200.0 + 1100.0 * u(random),
                               t += (1.3 + 3.0 * u(random)) * rate / 11025.0);
        write(audio, tones, 0.05 + 0.9 * u(random));
        int read = 0;
        for (std::size_t k = 1; k < tones.size(); ++k) {
            const double from = tones[k - 1].second, to = tones[k].second;
            const auto got = audio.tone(from, to);
            if (from < double(audio.oldest()) + 1.0 || to > double(audio.end()) - 2.0) {
                EXPECT_FALSE(got && from < double(audio.oldest()) - 1.0);
                continue;
            }
            if (to - from < 3.0)
                continue;
            ASSERT_TRUE(got) << from;
            EXPECT_NEAR(got->hz, tones[k].first, 1.0) << from;
            EXPECT_LT(got->spreadHz, 1.0) << from;
            ++read;
        }
        EXPECT_GT(read, 300);

        // Tones too short to be read on their own, read on from the tone before them: never
        // wrong when sure, and read in most of them.
        int beside = 0, shortOnes = 0;
        for (std::size_t k = 2; k < tones.size(); ++k) {
            const double from = tones[k - 1].second, to = tones[k].second;
            if (to - from >= 3.0 || tones[k - 2].second < double(audio.oldest()) + 2.0 ||
                to > double(audio.end()) - 2.0)
                continue;
            ++shortOnes;
            const AudioHistory::Stretch before{tones[k - 2].second, from, tones[k - 1].first};
            const auto got = audio.toneBeside(from, to, {&before, 1}, 1100.0, 2400.0);
            if (!got || got->spreadHz > 3.0)
                continue;
            EXPECT_NEAR(got->hz, tones[k].first, 3.0) << from;
            ++beside;
        }
        if (rate < 20000.0) {
            EXPECT_GT(beside, shortOnes / 2) << shortOnes;
        }

        // The sync tone for 100 samples and a bit, then black.
        AudioHistory step(rate, 12);
        const double end = 100.0 + u(random);
        write(step, {{1200.0, end}, {1500.0, 200.0}}, 0.5);
        const auto found = step.toneEnd(end - 12.0, end + 12.0, 1200.0);
        ASSERT_TRUE(found);
        EXPECT_EQ(*found, std::floor(end + 0.5));
    }

    // In noise the spread given is the scatter of the readings, within a third.
    AudioHistory noisy(48000.0, 16);
    std::vector<float> samples = tone(1900.0, 48000.0, 1.0);
    addHiss(samples, 0.003, 3);
    noisy.push(samples);
    double squares = 0.0, spreads = 0.0;
    int count = 0;
    for (double at = 100.0; at + 20.0 < double(noisy.end()); at += 20.0, ++count) {
        const auto got = noisy.tone(at, at + 16.0);
        ASSERT_TRUE(got);
        squares += (got->hz - 1900.0) * (got->hz - 1900.0);
        spreads += got->spreadHz * got->spreadHz;
    }
    EXPECT_NEAR(std::sqrt(spreads / count) / std::sqrt(squares / count), 1.0, 0.33);
}

TEST(ModemBlocks, HighBandTellsASenderAtALowRateFromItsAudio) {
    // Three seconds of a Martin 2 picture's lines as a sender at one rate makes them, heard at
    // another.
    const auto lines = [](int sender, int rate) {
        const auto all =
            SstvEncoder::encode(testPicture(ModeId::Martin2), ModeId::Martin2, {double(sender)});
        const auto from = std::size_t(1.0 * sender), count = std::size_t(3.0 * sender);
        const std::span<const float> part(all.data() + from, count);
        return sender == rate ? std::vector<float>(part.begin(), part.end())
                              : resampled(part, sender, rate);
    };
    std::vector<float> noise(48000, 0.0f);
    addHiss(noise, 0.1, 5);
    noise[1000] = std::numeric_limits<float>::quiet_NaN();
    noise[2000] = std::numeric_limits<float>::infinity();
    const struct {
        const char* what;
        std::vector<float> audio;
        double rate;
        bool narrow;
        double leastShare, mostShare;
    } cases[] = {
        {"48000 Hz sender", lines(48000, 48000), 48000, false, 1e-8, 1e-4},
        {"44100 Hz sender", lines(44100, 48000), 48000, false, 1e-8, 1e-4},
        {"22050 Hz sender", lines(22050, 48000), 48000, false, 1e-8, 1e-2},
        {"11025 Hz sender", lines(11025, 48000), 48000, true, 0.0, 1e-8},
        {"11025 Hz sender at 44100", lines(11025, 44100), 44100, true, 0.0, 1e-8},
        {"heard at 11025 Hz", lines(11025, 11025), 11025, false, 1.0, 1.0},
        {"too short to tell", resampled(tone(1900.0, 11025, 0.3), 11025, 48000), 48000, false, 1.0,
         1.0},
        // White noise: the share of a flat spectrum above the edge, 1 - 6250 / 24000.
        {"white noise", noise, 48000, false, 0.72, 0.9},
        {"a tone above the edge", tone(8000.0, 48000, 1.0), 48000, false, 0.98, 1.02},
        {"a tone below the sender's half rate", tone(5000.0, 48000, 1.0), 48000, true, 0.0, 1e-8},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        HighBand whole(c.rate);
        whole.process(c.audio);
        EXPECT_EQ(whole.narrow(), c.narrow) << whole.share();
        EXPECT_GE(whole.share(), c.leastShare);
        EXPECT_LE(whole.share(), c.mostShare);
        // Blocks of any size give the same.
        HighBand pieces(c.rate);
        for (std::size_t at = 0, size = 1; at < c.audio.size(); at += size, size = size * 3 % 1021)
            pieces.process(
                std::span<const float>(c.audio).subspan(at, std::min(size, c.audio.size() - at)));
        EXPECT_EQ(pieces.share(), whole.share());
    }
}

TEST(ModemBlocks, LineFitFollowsTheSyncsWithinTheClockErrorsThereAre) {
    LineFit fit(1000.0);
    fit.setAnchor(0, 50.0);
    EXPECT_DOUBLE_EQ(fit.predict(3), 3050.0);
    fit.add(0, 52.0);
    EXPECT_DOUBLE_EQ(fit.predict(3), 3052.0);
    for (int line = 1; line < 20; ++line)
        fit.add(line, 52.0 + line * 1001.5);
    EXPECT_NEAR(fit.period(), 1001.5, 1e-9);
    EXPECT_NEAR(fit.predict(100), 52.0 + 100 * 1001.5, 1e-6);
    // Syncs of noise that would make a slope no sound card has are held to the possible.
    LineFit wild(1000.0);
    wild.add(0, 0.0);
    wild.add(1, 1100.0);
    EXPECT_LE(wild.period(), 1004.0 + 1e-9);
}

// A WAV file of one format: the given bytes per sample for each frame of two channels.
QByteArray wavOf(std::uint16_t format, int bits, int channels, const QByteArray& data,
                 bool extensible = false, bool oddChunk = false) {
    QByteArray out("RIFF\0\0\0\0WAVE", 12);
    if (oddChunk)
        out.append(QByteArray("LIST\x03\0\0\0abc\0", 12));
    const int fmtSize = extensible ? 40 : 16;
    QByteArray fmt(8 + fmtSize, '\0');
    char* f = fmt.data();
    std::memcpy(f, "fmt ", 4);
    qToLittleEndian<std::uint32_t>(std::uint32_t(fmtSize), f + 4);
    qToLittleEndian<std::uint16_t>(extensible ? 0xfffe : format, f + 8);
    qToLittleEndian<std::uint16_t>(std::uint16_t(channels), f + 10);
    qToLittleEndian<std::uint32_t>(8000, f + 12);
    qToLittleEndian<std::uint32_t>(std::uint32_t(8000 * channels * bits / 8), f + 16);
    qToLittleEndian<std::uint16_t>(std::uint16_t(channels * bits / 8), f + 20);
    qToLittleEndian<std::uint16_t>(std::uint16_t(bits), f + 22);
    if (extensible)
        qToLittleEndian<std::uint16_t>(format, f + 32);
    out.append(fmt);
    out.append("data", 4);
    char size[4];
    qToLittleEndian<std::uint32_t>(std::uint32_t(data.size()), size);
    out.append(size, 4);
    out.append(data);
    return out;
}

TEST(ModemBlocks, WavFilesOfEverySampleFormatGiveTheFirstChannel) {
    struct Case {
        std::uint16_t format;
        int bits;
        QByteArray frames; // two frames of two channels: +half, -half on the first
        bool extensible = false, oddChunk = false;
    };
    auto le32 = [](std::uint32_t v) {
        char b[4];
        qToLittleEndian<std::uint32_t>(v, b);
        return QByteArray(b, 4);
    };
    float half = 0.5f, minusHalf = -0.5f;
    std::uint32_t h, m;
    std::memcpy(&h, &half, 4);
    std::memcpy(&m, &minusHalf, 4);
    const std::vector<Case> cases{
        {1, 8, QByteArray("\xc0\x80\x40\x80", 4)},
        {1, 16, QByteArray("\x00\x40\x00\x00\x00\xc0\x00\x00", 8)},
        {1, 24, QByteArray("\x00\x00\x40\x00\x00\x00\x00\x00\xc0\x00\x00\x00", 12), true},
        {1, 32, le32(0x40000000) + le32(0) + le32(0xc0000000) + le32(0), false, true},
        {3, 32, le32(h) + le32(0) + le32(m) + le32(0), true},
    };
    for (const Case& c : cases) {
        QString why;
        const auto audio =
            parseWav(wavOf(c.format, c.bits, 2, c.frames, c.extensible, c.oddChunk), &why);
        ASSERT_TRUE(audio) << c.bits << ": " << why.toStdString();
        EXPECT_EQ(audio->sampleRate, 8000);
        ASSERT_EQ(audio->samples.size(), 2u) << c.bits;
        EXPECT_NEAR(audio->samples[0], 0.5, 1e-6) << c.bits;
        EXPECT_NEAR(audio->samples[1], -0.5, 1e-6) << c.bits;
    }
    // Written and read back.
    const std::vector<std::int16_t> samples{0, 16384, -16384, 32767};
    QString why;
    const auto back = parseWav(wavBytes(samples, 11025), &why);
    ASSERT_TRUE(back);
    EXPECT_EQ(back->sampleRate, 11025);
    EXPECT_EQ(back->samples, (std::vector<float>{0.0f, 0.5f, -0.5f, 32767.0f / 32768.0f}));
}

TEST(ModemBlocks, BrokenWavFilesAreRefused) {
    QString why;
    EXPECT_FALSE(parseWav("RIFF", &why));
    EXPECT_TRUE(why.contains("not a WAV"));
    EXPECT_FALSE(parseWav(wavOf(2, 16, 1, QByteArray(4, '\0')), &why)); // ADPCM
    EXPECT_TRUE(why.contains("not PCM"));
    EXPECT_FALSE(parseWav(wavOf(1, 12, 1, QByteArray(4, '\0')), &why));
    EXPECT_TRUE(why.contains("12-bit"));
    EXPECT_FALSE(parseWav(wavOf(1, 16, 1, QByteArray()).left(30), &why));
    EXPECT_TRUE(why.contains("cut short"));
}

} // namespace
