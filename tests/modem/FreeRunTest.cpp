// SPDX-License-Identifier: GPL-3.0-or-later
#include "ModemTestSupport.h"

#include <gtest/gtest.h>

namespace winorbis::sstv::test {

namespace {

// A transmission without its VIS header, as a receiver tuned in late hears it.
std::vector<float> withoutVis(ModeId id, double rate) {
    std::vector<float> audio = SstvEncoder::encode(testPicture(id), id, {rate});
    audio.erase(audio.begin(), audio.begin() + std::ptrdiff_t(kVisMs * rate / 1000.0));
    return audio;
}

Reception receiveOnly(std::span<const float> audio, double rate, std::optional<ModeId> only) {
    Reception r;
    Recorder recorder(r);
    SstvDecoder decoder(rate);
    decoder.setOnlyMode(only);
    decoder.setListener(&recorder);
    for (std::size_t at = 0; at < audio.size(); at += 4096)
        decoder.process(audio.subspan(at, std::min<std::size_t>(4096, audio.size() - at)));
    decoder.finish();
    return r;
}

} // namespace

TEST(FreeRun, DecodesTheGivenModeWithoutAHeader) {
    const double rate = 48000;
    const auto audio = withoutVis(ModeId::Scottie2, rate);
    const Reception r = receiveOnly(audio, rate, ModeId::Scottie2);
    ASSERT_EQ(r.starts.size(), 1u);
    EXPECT_FALSE(r.starts[0].fromVis);
    EXPECT_EQ(r.starts[0].mode, ModeId::Scottie2);
    ASSERT_EQ(r.ends.size(), 1u);
    // The first lines pass while the line timing is found; they are still decoded from history.
    EXPECT_GE(r.ends[0].lines, 240);
    EXPECT_GE(psnr(testPicture(ModeId::Scottie2), r.ends[0].picture, 240), 25.0);
}

TEST(FreeRun, IgnoresOtherModes) {
    const double rate = 12000;
    // A Robot 36 picture, header and all, heard while set to Martin 2.
    const auto audio = SstvEncoder::encode(testPicture(ModeId::Robot36), ModeId::Robot36, {rate});
    const Reception r = receiveOnly(audio, rate, ModeId::Martin2);
    EXPECT_TRUE(r.starts.empty());
}

TEST(FreeRun, CancelEndsThePictureAndItsRestIsNoNewOne) {
    const double rate = 12000;
    const auto audio = SstvEncoder::encode(testPicture(ModeId::Martin2), ModeId::Martin2, {rate});
    Reception r;
    Recorder recorder(r);
    SstvDecoder decoder(rate);
    decoder.setListener(&recorder);
    const std::size_t half = audio.size() / 2;
    decoder.process(std::span<const float>(audio).first(half));
    ASSERT_TRUE(decoder.receiving());
    decoder.cancel();
    EXPECT_FALSE(decoder.receiving());
    ASSERT_EQ(r.ends.size(), 1u);
    EXPECT_FALSE(r.ends[0].complete);
    decoder.process(std::span<const float>(audio).subspan(half));
    decoder.finish();
    EXPECT_EQ(r.starts.size(), 1u);
}

} // namespace winorbis::sstv::test
