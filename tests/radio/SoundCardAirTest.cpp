// SPDX-License-Identifier: GPL-3.0-or-later
// The air's picture end, held for the callsign that MMSSTV and qsstv send in FSK after a picture:
// delivered with the callsign when it comes in time, without it once the wait has run out, at
// once when a new picture starts or the input ends.
#include "RadioTestSupport.h"

#include "modem/SstvEncoder.h"
#include "radio/SoundCardAir.h"
#include "support/QtPrinters.h"

#include <gtest/gtest.h>

namespace winorbis::radio::test {

namespace {

constexpr double kRate = 11025.0;

enum class Part { Picture, PictureAndId, IdOnly, Silence };
struct Piece {
    Part part;
    double ms = 0.0; // of silence
};

struct HeldEndCase {
    const char* name;
    std::vector<Piece> audio;
    bool closed; // the input ends after the audio
    QStringList events;
    // Where the first picture's end is delivered, in ms of audio after the picture.
    double leastMs, mostMs;
};

// What the air tells, each event with the audio heard by then.
struct Events : SoundCardAir::Listener {
    QStringList list;
    std::vector<std::size_t> heardAt;
    std::size_t heardSamples = 0;

    void add(const QString& text) {
        list << text;
        heardAt.push_back(heardSamples);
    }
    void heard(std::span<const float> samples) override { heardSamples += samples.size(); }
    void said(const QString& text) override {
        if (text.startsWith("FSK ID"))
            add(text);
    }
    void receptionStarted(const sstv::PictureStart& start) override {
        add("start " + sstv::mode(start.mode).name);
    }
    void receptionEnded(const sstv::PictureEnd& end) override {
        add(QStringLiteral("end %1 %2 %3")
                .arg(sstv::mode(end.mode).name)
                .arg(end.lines)
                .arg(end.fskId.isEmpty() ? QStringLiteral("-") : end.fskId));
    }
};

class HeldPictureEnd : public ::testing::TestWithParam<HeldEndCase> {};

} // namespace

TEST_P(HeldPictureEnd, CarriesTheFskIdThatCameInTime) {
    const HeldEndCase& c = GetParam();
    const QImage picture = framePicture();
    sstv::EncoderOptions options;
    options.sampleRate = kRate;
    const auto alone = sstv::SstvEncoder::encode(picture, sstv::ModeId::Bw8, options);
    options.fskId = QStringLiteral("DL1ABC");
    const auto withId = sstv::SstvEncoder::encode(picture, sstv::ModeId::Bw8, options);
    ASSERT_GT(withId.size(), alone.size());

    winorbis::test::VirtualClock clock;
    MemoryAudioSource source(kRate);
    for (const Piece& piece : c.audio) {
        const std::span<const float> id = std::span<const float>(withId).subspan(alone.size());
        switch (piece.part) {
        case Part::Picture:
            source.push(alone);
            break;
        case Part::PictureAndId:
            source.push(withId);
            break;
        case Part::IdOnly:
            source.push(id);
            break;
        case Part::Silence:
            source.push(std::vector<float>(std::size_t(piece.ms * kRate / 1000)));
            break;
        }
    }
    if (c.closed)
        source.close();
    SoundCardAir air(clock, &source, nullptr, nullptr);
    Events events;
    air.setListener(&events);
    for (int i = 0; i < 4; ++i) {
        air.pump();
        clock.sleep(20);
    }
    EXPECT_EQ(source.waiting(), 0u);
    EXPECT_EQ(events.list, c.events);

    const auto firstEnd = std::find_if(events.list.begin(), events.list.end(),
                                       [](const QString& e) { return e.startsWith("end"); });
    ASSERT_NE(firstEnd, events.list.end());
    const std::size_t at = events.heardAt[std::size_t(firstEnd - events.list.begin())];
    const double ms = (double(at) - double(alone.size())) * 1000.0 / kRate;
    EXPECT_GE(ms, c.leastMs);
    EXPECT_LE(ms, c.mostMs);
}

// A block the air reads is 4096 samples, 372 ms at this rate: the end may be given up to one
// block after its moment.
INSTANTIATE_TEST_SUITE_P(
    Cases, HeldPictureEnd,
    ::testing::Values(
        HeldEndCase{"TheIdWithinTheWait",
                    {{Part::PictureAndId}, {Part::Silence, 3000}},
                    false,
                    {"start B/W 8", "FSK ID DL1ABC", "end B/W 8 120 DL1ABC"},
                    sstv::fskid::durationMs("DL1ABC") - sstv::fskid::kTailMs,
                    SoundCardAir::kFskIdWaitMs},
        HeldEndCase{"AnIdTooLate",
                    {{Part::Picture}, {Part::Silence, 2500}, {Part::IdOnly}, {Part::Silence, 500}},
                    false,
                    {"start B/W 8", "end B/W 8 120 -", "FSK ID DL1ABC"},
                    SoundCardAir::kFskIdWaitMs,
                    SoundCardAir::kFskIdWaitMs + 2 * 372.0},
        HeldEndCase{"ANewPictureStarts",
                    {{Part::Picture}, {Part::Silence, 300}, {Part::Picture}, {Part::Silence, 500}},
                    true,
                    {"start B/W 8", "end B/W 8 120 -", "start B/W 8", "end B/W 8 120 -"},
                    300 + sstv::kVisMs,
                    SoundCardAir::kFskIdWaitMs - 372.0},
        HeldEndCase{"TheInputEnds",
                    {{Part::Picture}, {Part::Silence, 200}},
                    true,
                    {"start B/W 8", "end B/W 8 120 -"},
                    0.0,
                    200.0}),
    [](const auto& p) { return std::string(p.param.name); });

} // namespace winorbis::radio::test
