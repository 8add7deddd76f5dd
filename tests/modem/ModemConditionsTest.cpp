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

// Where the first bit of the VIS code starts.
constexpr double kFirstBitMs = 2 * kVisLeaderMs + kVisBreakMs + kVisBitMs;

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

// A mistuned sender, announced by its header or not: the mistuning measured and taken out, also
// from what was heard before it was known.
TEST(ModemConditions, MistuningIsMeasuredAndTakenOut) {
    for (const double offset : {150.0, -150.0, 100.0}) {
        const bool header = offset != 100.0;
        const QImage sent = testPicture(ModeId::Martin2);
        EncoderOptions options{kRate};
        options.offsetHz = offset;
        auto audio = SstvEncoder::encode(sent, ModeId::Martin2, options);
        if (!header)
            audio.erase(audio.begin(), audio.begin() + std::ptrdiff_t(samplesOf(kVisMs)));
        const Reception r = receive(audio, kRate);
        ASSERT_EQ(r.starts.size(), 1u) << offset;
        EXPECT_EQ(r.starts[0].fromVis, header);
        ASSERT_EQ(r.ends.size(), 1u);
        EXPECT_NEAR(r.ends[0].offsetHz, offset, 15.0);
        EXPECT_GT(psnr(sent, r.ends[0].picture), 24.0) << offset;
    }
}

// PD 120 at 0 dB SNR, with its header and without: its long syncs found through the clicks, and
// the picture followed to its end (noise of a few seeds on which it once broke off).
TEST(ModemConditions, AWeakPictureIsFollowedToItsEnd) {
    const ModeId id = ModeId::Pd120;
    const QImage sent = testPicture(id);
    for (const auto& [header, seed] : {std::pair{true, 36u}, {true, 37u}, {false, 31u}}) {
        auto audio = SstvEncoder::encode(sent, id, {kRate});
        if (!header)
            audio.erase(audio.begin(), audio.begin() + std::ptrdiff_t(samplesOf(kVisMs)));
        addNoise(audio, kRate, 0.0, seed);
        const Reception r = receive(audio, kRate);
        ASSERT_EQ(r.starts.size(), 1u) << seed;
        EXPECT_EQ(r.starts[0].mode, id);
        ASSERT_EQ(r.ends.size(), 1u);
        EXPECT_GE(r.ends[0].lines, mode(id).lines - 40) << seed;
        EXPECT_GT(psnr(sent, r.ends[0].picture, r.ends[0].lines), 13.0) << seed;
    }
}

// Robot 36 heard from the middle of a picture, without its header: its lines alternate between
// the two colour differences, and the first one found (here an odd one) must be taken as such.
TEST(ModemConditions, Robot36HeardFromAnOddLineKeepsItsColours) {
    const ModeId id = ModeId::Robot36;
    const QImage sent = testPicture(id);
    auto audio = SstvEncoder::encode(sent, id, {kRate});
    const double cut = kVisMs + 30.5 * mode(id).lineMs;
    audio.erase(audio.begin(), audio.begin() + std::ptrdiff_t(samplesOf(cut)));
    const Reception r = receive(audio, kRate);
    ASSERT_EQ(r.ends.size(), 1u);
    // Its rows are the sent rows from 30 on; the first, cut, is black.
    const int rows = r.ends[0].lines - 2;
    ASSERT_GT(rows, 150);
    EXPECT_GT(psnr(sent.copy(0, 32, 320, rows), r.ends[0].picture.copy(0, 2, 320, rows)), 24.0);
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
    overwrite(audio, kFirstBitMs + 7 * kVisBitMs, kFirstBitMs + 8 * kVisBitMs, kVisZeroHz);
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

// A header of no known mode, plain or extended, starts no picture: neither from itself nor from
// the line timing of what follows, which may be that of a known mode.
TEST(ModemConditions, AHeaderOfNoKnownModeStartsNothing) {
    struct Case {
        ModeId sent;
        int byte;  // which byte of the header is replaced: 0 the first, 1 MMSSTV's second
        int value; // by these eight bits, as sent
    };
    for (const Case& c : {Case{ModeId::Robot72, 0, 0x03}, Case{ModeId::Martin2, 0, 0x7e},
                          Case{ModeId::Mp73, 1, 0x7e}, Case{ModeId::Mr73, 1, 0x01}}) {
        auto audio = SstvEncoder::encode(testPicture(c.sent), c.sent, {kRate});
        for (int i = 0; i < 8; ++i) {
            const double at = kFirstBitMs + (8 * c.byte + i) * kVisBitMs;
            overwrite(audio, at, at + kVisBitMs, c.value >> i & 1 ? kVisOneHz : kVisZeroHz);
        }
        EXPECT_TRUE(receive(audio, kRate).starts.empty()) << mode(c.sent).name.toStdString();
    }
}

// The callsign that MMSSTV and qsstv send in FSK after a picture, read after the picture ends,
// also in noise; a callsign of signs that cannot be sent is not.
TEST(ModemConditions, TheCallsignAfterAPictureIsRead) {
    struct Case {
        const char* sent;
        const char* read; // nullptr: none
        double snrDb;
        double rate;
    };
    for (const Case& c :
         {Case{"DL1ABC/P", "DL1ABC/P", 99.0, kRate}, Case{"w1aw", "W1AW", 10.0, 48000.0},
          Case{"Ä1", nullptr, 99.0, kRate}, Case{"JA1XYZ", "JA1XYZ", 99.0, 8000.0}}) {
        EncoderOptions options{c.rate};
        options.fskId = QString::fromUtf8(c.sent);
        options.offsetHz = c.rate == 8000.0 ? 120.0 : 0.0; // a mistuned sender
        auto audio = SstvEncoder::encode(testPicture(ModeId::Martin2), ModeId::Martin2, options);
        EXPECT_NEAR(double(audio.size()),
                    SstvEncoder::durationMs(ModeId::Martin2, options) * c.rate / 1000.0, 1.0);
        if (c.snrDb < 99.0)
            addNoise(audio, c.rate, c.snrDb, 21);
        const Reception r = receive(audio, c.rate);
        ASSERT_EQ(r.ends.size(), 1u) << c.sent;
        if (c.read)
            EXPECT_EQ(r.callsigns, std::vector<QString>{QString::fromLatin1(c.read)}) << c.sent;
        else
            EXPECT_TRUE(r.callsigns.empty()) << c.sent;
    }
}

// A receiver for the converter box's modes alone hears PD 120 as a mode it does not know: no
// picture, neither from the header nor from the lines; a Martin 1 after it as ever.
TEST(ModemConditions, AReceiverOfSomeModesStartsNoOther) {
    auto audio = SstvEncoder::encode(testPicture(ModeId::Pd120), ModeId::Pd120, {kRate});
    audio.resize(audio.size() / 4);
    audio.resize(audio.size() + samplesOf(4000.0), 0.0f);
    const auto martin = SstvEncoder::encode(testPicture(ModeId::Martin1), ModeId::Martin1, {kRate});
    audio.insert(audio.end(), martin.begin(), martin.end());
    Reception r;
    Recorder recorder(r);
    SstvDecoder decoder(kRate);
    decoder.setModes(boxModes());
    decoder.setListener(&recorder);
    decoder.process(audio);
    decoder.finish();
    ASSERT_EQ(r.starts.size(), 1u);
    EXPECT_EQ(r.starts[0].mode, ModeId::Martin1);
    EXPECT_TRUE(r.starts[0].fromVis);
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
        for (const double rate : {8000.0, 12345.6}) {
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

// The table against the published mode tables: line time, VIS code and size of every mode,
// written out here once more; and the names the table is found by.
TEST(ModemModes, TableAgreesWithThePublishedTimings) {
    struct Published {
        ModeId id;
        double lineMs; // between syncs
        int vis;
        int pixels, lines;
    };
    const Published published[] = {
        {ModeId::Robot36, 150.0, 8, 320, 240},
        {ModeId::Robot72, 300.0, 12, 320, 240},
        {ModeId::Martin1, 446.446, 44, 320, 256},
        {ModeId::Martin2, 226.798, 40, 320, 256},
        {ModeId::Scottie1, 428.22, 60, 320, 256},
        {ModeId::Scottie2, 277.692, 56, 320, 256},
        {ModeId::ScottieDx, 1050.3, 76, 320, 256},
        {ModeId::Robot24, 200.0, 4, 320, 120},
        {ModeId::Bw8, 66.9, 2, 160, 120},
        {ModeId::Bw12, 100.0, 6, 160, 120},
        {ModeId::Bw24, 100.0, 10, 320, 240},
        {ModeId::Bw36, 150.0, 14, 320, 240},
        {ModeId::Wraase60, 240.3825, 59, 320, 256},
        {ModeId::Wraase120, 475.5225, 63, 320, 256},
        {ModeId::Wraase180, 711.0225, 55, 320, 256},
        {ModeId::Pasokon3, 409.375, 113, 640, 496},
        {ModeId::Pasokon5, 614.0625, 114, 640, 496},
        {ModeId::Pasokon7, 818.75, 115, 640, 496},
        {ModeId::Pd50, 388.16, 93, 320, 256},
        {ModeId::Pd90, 703.04, 99, 320, 256},
        {ModeId::Pd120, 508.48, 95, 640, 496},
        {ModeId::Pd160, 804.416, 98, 512, 400},
        {ModeId::Pd180, 754.24, 96, 640, 496},
        {ModeId::Pd240, 1000.0, 97, 640, 496},
        {ModeId::Pd290, 937.28, 94, 800, 616},
        {ModeId::Mp73, 570.0, 0x2325, 320, 256},
        {ModeId::Mp115, 902.0, 0x2329, 320, 256},
        {ModeId::Mp140, 1090.0, 0x232a, 320, 256},
        {ModeId::Mp175, 1370.0, 0x232c, 320, 256},
        {ModeId::Mr73, 286.3, 0x2345, 320, 256},
        {ModeId::Mr90, 352.3, 0x2346, 320, 256},
        {ModeId::Mr115, 450.3, 0x2349, 320, 256},
        {ModeId::Mr140, 548.3, 0x234a, 320, 256},
        {ModeId::Mr175, 684.3, 0x234c, 320, 256},
        {ModeId::Ml180, 363.3, 0x2385, 640, 496},
        {ModeId::Ml240, 483.3, 0x2386, 640, 496},
        {ModeId::Ml280, 565.3, 0x2389, 640, 496},
        {ModeId::Ml320, 645.3, 0x238a, 640, 496},
    };
    ASSERT_EQ(std::size(published), modes().size());
    for (const Published& p : published) {
        const Mode& m = mode(p.id);
        SCOPED_TRACE(m.name.toStdString());
        double line = 0.0;
        for (const Segment& s : m.evenLine)
            line += s.ms;
        EXPECT_NEAR(line, m.lineMs, 1e-9);
        EXPECT_NEAR(m.lineMs, p.lineMs, 1e-3);
        EXPECT_EQ(m.vis, p.vis);
        EXPECT_EQ(QSize(m.pixels, m.lines), QSize(p.pixels, p.lines));
        EXPECT_EQ(modeByVis(m.vis), m.id);
        EXPECT_EQ(modeByShortName(m.shortName.toLower()), m.id);
    }
    // The converter box's six keep their place and names.
    EXPECT_EQ(modeShortNames().mid(0, kBoxModeCount),
              (QStringList{"R36", "R72", "M1", "M2", "S1", "S2"}));
    EXPECT_EQ(visByte(8), 0x88);  // Robot 36: one bit set, parity one
    EXPECT_EQ(visByte(60), 0x3c); // Scottie 1: four bits set, parity zero
    EXPECT_EQ(visBytes(mode(ModeId::Mp73)), (std::vector<int>{0x23, 0x25}));
    // qsstv sends B/W 12's code with odd parity; other codes only with even.
    EXPECT_EQ(modeByVisByte(0x86), ModeId::Bw12);
    EXPECT_EQ(modeByVisByte(0x06), ModeId::Bw12);
    EXPECT_FALSE(modeByVisByte(0x2c).has_value()); // Martin 1 with its parity bit lost
    EXPECT_FALSE(modeByVis(0x7f).has_value());
}

} // namespace
