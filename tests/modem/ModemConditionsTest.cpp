// SPDX-License-Identifier: GPL-3.0-or-later
// The receiver under the conditions of the air: clock errors, mistuning, a missed header, a cut
// picture, and noise and tones that must start nothing.
#include "ModemTestSupport.h"

#include <gtest/gtest.h>

#include <limits>
#include <numbers>

using namespace winorbis::sstv;
using namespace winorbis::sstv::test;

namespace {

constexpr double kRate = 11025.0;

std::size_t samplesOf(double ms, double rate = kRate) {
    return std::size_t(std::llround(ms * rate / 1000.0));
}

// A tone written over the audio from one time to another.
void overwrite(std::vector<float>& audio, double fromMs, double toMs, double hz) {
    for (std::size_t n = samplesOf(fromMs); n < samplesOf(toMs); ++n)
        audio[n] = float(0.7 * std::sin(2.0 * std::numbers::pi * hz * double(n) / kRate));
}

TEST(ModemConditions, SlantOfBothSignsIsCorrectedAndReported) {
    for (const ModeId id : {ModeId::Martin1, ModeId::Scottie2, ModeId::Robot36}) {
        for (const double ppm : {1500.0, -1500.0}) {
            const QImage sent = testPicture(id);
            // Sent by a card whose clock runs off: its lines take more or fewer samples here.
            const auto audio = SstvEncoder::encode(sent, id, {kRate * (1.0 + ppm * 1e-6)});
            const Reception r = receive(audio, kRate);
            ASSERT_EQ(r.ends.size(), 1u) << ppm;
            const PictureEnd& end = r.ends[0];
            EXPECT_TRUE(end.complete);
            EXPECT_NEAR(end.clockPpm, ppm, 30.0);
            // No drift: the bottom lines are as good as the top ones.
            const int lines = mode(id).lines;
            const QImage top = end.picture.copy(0, 0, 320, 40);
            const QImage bottom = end.picture.copy(0, lines - 40, 320, 40);
            EXPECT_GT(psnr(sent.copy(0, 0, 320, 40), top), 22.0) << ppm;
            EXPECT_GT(psnr(sent.copy(0, lines - 40, 320, 40), bottom), 22.0) << ppm;
        }
    }
}

TEST(ModemConditions, MistuningIsMeasuredAndTakenOut) {
    for (const double offset : {150.0, -150.0}) {
        const QImage sent = testPicture(ModeId::Martin2);
        EncoderOptions options{kRate};
        options.offsetHz = offset;
        const Reception r = receive(SstvEncoder::encode(sent, ModeId::Martin2, options), kRate);
        ASSERT_EQ(r.starts.size(), 1u);
        EXPECT_TRUE(r.starts[0].fromVis);
        ASSERT_EQ(r.ends.size(), 1u);
        EXPECT_NEAR(r.ends[0].offsetHz, offset, 15.0);
        EXPECT_GT(psnr(sent, r.ends[0].picture), 24.0);
    }
}

TEST(ModemConditions, APictureWithoutItsHeaderIsFoundFromItsLines) {
    for (const Mode& m : modes()) {
        const QImage sent = testPicture(m.id);
        auto audio = SstvEncoder::encode(sent, m.id, {kRate});
        audio.erase(audio.begin(), audio.begin() + std::ptrdiff_t(samplesOf(kVisMs)));
        const Reception r = receive(audio, kRate);
        ASSERT_EQ(r.starts.size(), 1u) << m.name.toStdString();
        EXPECT_FALSE(r.starts[0].fromVis);
        EXPECT_EQ(r.starts[0].mode, m.id) << m.name.toStdString();
        ASSERT_EQ(r.ends.size(), 1u);
        // Found within ten lines, and the lines before still decoded from what was heard.
        EXPECT_GE(r.ends[0].lines, m.lines - 10) << m.name.toStdString();
        EXPECT_GT(psnr(sent, r.ends[0].picture, r.ends[0].lines), 20.0) << m.name.toStdString();
    }
}

TEST(ModemConditions, ACutPictureEndsAndKeepsWhatCame) {
    const ModeId id = ModeId::Scottie1;
    const QImage sent = testPicture(id);
    auto audio = SstvEncoder::encode(sent, id, {kRate});
    audio.resize(samplesOf(kVisMs + mode(id).leadSyncMs + 100.5 * mode(id).lineMs));
    for (const bool noise : {false, true}) {
        auto tail = audio;
        std::vector<float> after(samplesOf(3000.0), 0.0f);
        if (noise)
            addHiss(after, 0.2, 7); // a receiver's hiss, with no signal
        tail.insert(tail.end(), after.begin(), after.end());
        const Reception r = receive(tail, kRate);
        ASSERT_EQ(r.ends.size(), 1u);
        EXPECT_FALSE(r.ends[0].complete);
        EXPECT_GE(r.ends[0].lines, 99);
        EXPECT_LE(r.ends[0].lines, 101);
        EXPECT_GT(psnr(sent, r.ends[0].picture, 99), 25.0);
        EXPECT_EQ(r.ends[0].picture.pixel(10, 200), qRgb(0, 0, 0));
    }
}

TEST(ModemConditions, NoiseAndASteadyToneStartNothing) {
    for (const double level : {0.02, 0.3}) {
        std::vector<float> noise(samplesOf(60000.0), 0.0f);
        addHiss(noise, level, 11);
        EXPECT_TRUE(receive(noise, kRate).starts.empty()) << level;
    }

    std::vector<float> tone(samplesOf(60000.0));
    for (std::size_t n = 0; n < tone.size(); ++n)
        tone[n] = float(0.5 * std::sin(2.0 * std::numbers::pi * 1900.0 * double(n) / kRate));
    addNoise(tone, kRate, 20.0, 12);
    EXPECT_TRUE(receive(tone, kRate).starts.empty());
}

TEST(ModemConditions, AHeaderWithTheWrongParityIsIgnored) {
    const ModeId id = ModeId::Martin1;
    auto audio = SstvEncoder::encode(testPicture(id), id, {kRate});
    // Martin 1 (44) has an odd number of ones: its parity bit is a one; send a zero.
    const double parityMs = 2 * kVisLeaderMs + kVisBreakMs + 8 * kVisBitMs;
    overwrite(audio, parityMs, parityMs + kVisBitMs, kVisZeroHz);
    Reception r;
    Recorder recorder(r);
    SstvDecoder decoder(kRate);
    decoder.setListener(&recorder);
    decoder.process(audio);
    EXPECT_GE(decoder.parityFailures(), 1);
    // The picture may still be found from its lines, but never from the broken header.
    for (const PictureStart& s : r.starts)
        EXPECT_FALSE(s.fromVis);
}

TEST(ModemConditions, BlockSizeDoesNotChangeThePicture) {
    const ModeId id = ModeId::Robot72;
    const auto audio = SstvEncoder::encode(testPicture(id), id, {8000.0});
    const Reception whole = receive(audio, 8000.0, audio.size());
    const Reception single = receive(audio, 8000.0, 1);
    ASSERT_EQ(whole.ends.size(), 1u);
    ASSERT_EQ(single.ends.size(), 1u);
    EXPECT_EQ(whole.ends[0].picture, single.ends[0].picture);
    EXPECT_EQ(whole.lines, single.lines);
}

TEST(ModemConditions, SamplesThatAreNoAudioDoNotDeafenTheReceiver) {
    // A glitch of the source before a picture: values that are no number, or far beyond full
    // scale.
    const ModeId id = ModeId::Robot36;
    const QImage sent = testPicture(id);
    const auto picture = SstvEncoder::encode(sent, id, {8000.0});
    for (const float glitch :
         {std::numeric_limits<float>::quiet_NaN(), std::numeric_limits<float>::infinity(),
          -std::numeric_limits<float>::max(), 3e20f}) {
        std::vector<float> audio(400, glitch);
        audio.resize(8000, 0.0f);
        audio.insert(audio.end(), picture.begin(), picture.end());
        const Reception r = receive(audio, 8000.0);
        ASSERT_EQ(r.ends.size(), 1u) << glitch;
        EXPECT_TRUE(r.starts[0].fromVis);
        EXPECT_TRUE(r.ends[0].complete);
        EXPECT_GT(psnr(sent, r.ends[0].picture), 25.0) << glitch;
    }
}

TEST(ModemEncoder, TimingIsSampleExactOverThePicture) {
    for (const Mode& m : modes())
        for (const double rate : {8000.0, 11025.0, 44100.0, 96000.0, 12345.6}) {
            EncoderOptions options{rate};
            options.vox = m.id == ModeId::Scottie1;
            const auto audio = SstvEncoder::encode(testPicture(m.id), m.id, options);
            const double ideal = SstvEncoder::durationMs(m.id, options.vox) * rate / 1000.0;
            EXPECT_LE(std::fabs(double(audio.size()) - ideal), 1.0)
                << m.name.toStdString() << " at " << rate;
        }
}

TEST(ModemEncoder, PhaseRunsOnAcrossToneChanges) {
    // Where the tone changes, a sample never jumps further than the highest tone can move.
    const double rate = 8000.0;
    const auto audio = SstvEncoder::encode(testPicture(ModeId::Martin2), ModeId::Martin2, {rate});
    const double largest = 0.7 * 2.0 * std::sin(std::numbers::pi * 2300.0 / rate) + 1e-3;
    double worst = 0.0;
    for (std::size_t n = 1; n < audio.size(); ++n)
        worst = std::max(worst, double(std::fabs(audio[n] - audio[n - 1])));
    EXPECT_LE(worst, largest);
}

TEST(ModemModes, TableAgreesWithThePublishedTimings) {
    for (const Mode& m : modes()) {
        double line = 0.0;
        for (const Segment& s : m.evenLine)
            line += s.ms;
        EXPECT_NEAR(line, m.lineMs, 1e-9) << m.name.toStdString();
        EXPECT_EQ(modeByVis(m.vis), m.id);
        EXPECT_EQ(modeByShortName(m.shortName.toLower()), m.id);
    }
    EXPECT_NEAR(mode(ModeId::Martin1).lineMs, 446.446, 1e-9);
    EXPECT_NEAR(mode(ModeId::Scottie2).lineMs, 277.692, 1e-9);
    EXPECT_EQ(visByte(8), 0x88);  // Robot 36: one bit set, parity one
    EXPECT_EQ(visByte(60), 0x3c); // Scottie 1: four bits set, parity zero
    EXPECT_FALSE(modeByVis(0x7f).has_value());
}

} // namespace
