// SPDX-License-Identifier: GPL-3.0-or-later
// The transmitter's audio through the receiver: every mode at the usual rates, clock errors,
// mistuning, a missed header, a cut picture, and what must start no picture.
#include "ModemTestSupport.h"

#include <gtest/gtest.h>

using namespace winorbis::sstv;
using namespace winorbis::sstv::test;

namespace {

struct RoundTrip {
    ModeId mode;
    double rate;
};

class EveryModeAndRate : public ::testing::TestWithParam<RoundTrip> {};

TEST_P(EveryModeAndRate, DecodesThePictureItWasSent) {
    const auto [id, rate] = GetParam();
    const QImage sent = testPicture(id);
    const auto audio = SstvEncoder::encode(sent, id, {rate});
    const Reception r = receive(audio, rate, 1000 + std::size_t(rate) % 777);
    ASSERT_EQ(r.starts.size(), 1u);
    EXPECT_TRUE(r.starts[0].fromVis);
    EXPECT_EQ(r.starts[0].mode, id);
    ASSERT_EQ(r.ends.size(), 1u);
    const PictureEnd& end = r.ends[0];
    EXPECT_TRUE(end.complete);
    EXPECT_EQ(end.lines, mode(id).lines);
    EXPECT_EQ(end.picture.size(), QSize(mode(id).pixels, mode(id).lines));
    EXPECT_NEAR(end.clockPpm, 0.0, 30.0);
    EXPECT_NEAR(end.offsetHz, 0.0, 10.0);
    // Robot 36 sends its colour at half the horizontal detail of the picture's blocks.
    const double least = id == ModeId::Robot36 ? 22.0 : 25.0;
    EXPECT_GT(psnr(sent, end.picture), least) << mode(id).name.toStdString() << " at " << rate;
}

// The tone after a segment (the next line's sync, a separator pulse) must not reach its last
// pixels: a plain picture comes back as plain at its right edge as in its middle, in every mode.
TEST(ModemLineEnds, TheLastPixelsOfALineKeepTheirColour) {
    const QRgb colour = qRgb(200, 170, 120);
    for (const Mode& m : modes()) {
        QImage sent(m.pixels, m.lines, QImage::Format_RGB32);
        sent.fill(colour);
        const Reception r = receive(SstvEncoder::encode(sent, m.id, {48000.0}), 48000.0, 4000);
        ASSERT_EQ(r.ends.size(), 1u) << m.name.toStdString();
        const QImage& got = r.ends[0].picture;
        const auto columnError = [&](int x) {
            double error = 0;
            for (int y = 2; y < got.height() - 2; ++y) {
                const QRgb p = got.pixel(x, y);
                error += std::abs(qRed(p) - qRed(colour)) + std::abs(qGreen(p) - qGreen(colour)) +
                         std::abs(qBlue(p) - qBlue(colour));
            }
            return error / (3.0 * (got.height() - 4));
        };
        const double middle = columnError(m.pixels / 2);
        for (int x : {m.pixels - 2, m.pixels - 1})
            EXPECT_LT(columnError(x), middle + 3.0) << m.name.toStdString() << ", column " << x;
    }
}

std::vector<RoundTrip> everyModeAndRate() {
    std::vector<RoundTrip> all;
    for (const Mode& m : modes())
        for (const double rate : {8000.0, 11025.0, 44100.0, 48000.0})
            all.push_back({m.id, rate});
    return all;
}

INSTANTIATE_TEST_SUITE_P(Modem, EveryModeAndRate, ::testing::ValuesIn(everyModeAndRate()),
                         [](const auto& param) {
                             QString name = mode(param.param.mode).shortName;
                             return name.replace('-', '_').toStdString() + "_" +
                                    std::to_string(int(param.param.rate));
                         });

} // namespace
