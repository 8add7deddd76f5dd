// SPDX-License-Identifier: GPL-3.0-or-later
// The transmitter's audio through the receiver, in every mode of the table: the picture at the
// usual rates and from a sender at another, a picture's first and last columns as sent, and the
// mode found from the line timing when the header was missed.
#include "ModemTestSupport.h"

#include <gtest/gtest.h>

using namespace winorbis::sstv;
using namespace winorbis::sstv::test;

namespace {

class EveryMode : public ::testing::TestWithParam<ModeId> {};

TEST_P(EveryMode, RoundTripsAndIsFoundWithoutItsHeader) {
    const Mode& m = mode(GetParam());
    const QImage sent = testPicture(m.id);
    // At the usual rates, and from a sender at 11025 Hz (MMSSTV's rate) heard at 48000 Hz, whose
    // tones change between the receiver's samples.
    for (const auto& [sender, rate] : {std::pair{11025, 11025}, {48000, 48000}, {11025, 48000}}) {
        SCOPED_TRACE(::testing::Message() << sender << " Hz heard at " << rate << " Hz");
        auto audio = SstvEncoder::encode(sent, m.id, {double(sender)});
        if (sender != rate)
            audio = resampled(audio, sender, rate);
        const Reception r = receive(audio, rate, 1000 + std::size_t(rate) % 777);
        ASSERT_EQ(r.starts.size(), 1u);
        EXPECT_TRUE(r.starts[0].fromVis);
        EXPECT_EQ(r.starts[0].mode, m.id);
        ASSERT_EQ(r.ends.size(), 1u);
        const PictureEnd& end = r.ends[0];
        EXPECT_TRUE(end.complete);
        EXPECT_EQ(end.lines, m.lines);
        EXPECT_EQ(r.lines, m.lines);
        EXPECT_EQ(end.picture.size(), QSize(m.pixels, m.lines));
        EXPECT_NEAR(end.clockPpm, 0.0, 30.0);
        EXPECT_NEAR(end.offsetHz, 0.0, 10.0);
        // Robot 36 sends its colour at half the detail of the picture's colour blocks.
        EXPECT_GT(psnr(sent, end.picture), m.colour == ColourModel::YuvPair ? 24.0 : 28.0);
    }

    // The first and last columns come back as sent, though they differ from their neighbours
    // and from the tones around a scan (a porch, the next sync), as plain as the middle.
    QImage edged(m.pixels, m.lines, QImage::Format_RGB32);
    edged.fill(qRgb(40, 90, 200));
    for (int y = 0; y < m.lines; ++y)
        for (const int x : {0, m.pixels - 1})
            edged.setPixel(x, y, qRgb(230, 200, 40));
    const QImage expected = asSent(edged, m.id);
    const Reception p = receive(SstvEncoder::encode(expected, m.id, {48000.0}), 48000.0);
    ASSERT_EQ(p.ends.size(), 1u);
    const QImage& got = p.ends[0].picture;
    const auto columnError = [&](int x) {
        double error = 0;
        for (int y = 2; y < got.height() - 2; ++y) {
            const QRgb a = got.pixel(x, y), b = expected.pixel(x, y);
            error += std::abs(qRed(a) - qRed(b)) + std::abs(qGreen(a) - qGreen(b)) +
                     std::abs(qBlue(a) - qBlue(b));
        }
        return error / (3.0 * (got.height() - 4));
    };
    const double middle = columnError(m.pixels / 2);
    for (const int x : {0, m.pixels - 1})
        EXPECT_LT(columnError(x), middle + 3.0) << "column " << x;

    // Without its header, found from its line timing within a few lines, and the lines before
    // still decoded from what was heard.
    constexpr double kRate = 11025.0;
    auto audio = SstvEncoder::encode(sent, m.id, {kRate});
    audio.erase(audio.begin(), audio.begin() + std::ptrdiff_t(visMs(m) * kRate / 1000.0));
    const Reception late = receive(audio, kRate);
    ASSERT_EQ(late.starts.size(), 1u);
    EXPECT_FALSE(late.starts[0].fromVis);
    EXPECT_EQ(late.starts[0].mode, m.id);
    ASSERT_EQ(late.ends.size(), 1u);
    EXPECT_GE(late.ends[0].lines, m.lines - 10);
    EXPECT_GT(psnr(sent, late.ends[0].picture, late.ends[0].lines), 24.0);
}

std::vector<ModeId> everyMode() {
    std::vector<ModeId> all;
    for (const Mode& m : modes())
        all.push_back(m.id);
    return all;
}

INSTANTIATE_TEST_SUITE_P(Modem, EveryMode, ::testing::ValuesIn(everyMode()), [](const auto& param) {
    QString name = mode(param.param).shortName;
    return name.replace('-', '_').toStdString();
});

} // namespace
