// SPDX-License-Identifier: GPL-3.0-or-later
// The sound card's bytes and the converter's samples: both sample formats a device may take,
// pieces of a sample split between two reads, clipping.
#include "radio/devices/qt/SoundCard.h"

#include <QtEndian>

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

using namespace winorbis::radio::qtsound;

namespace {

QAudioFormat monoFormat(QAudioFormat::SampleFormat kind) {
    QAudioFormat format;
    format.setChannelCount(1);
    format.setSampleRate(48000);
    format.setSampleFormat(kind);
    return format;
}

} // namespace

TEST(SampleFormat, BothFormatsGoThereAndBackWhateverTheReadsCutThem) {
    const std::vector<float> samples = {0.0f, 0.5f, -0.5f, 0.999f, -1.0f, 0.25f, -0.125f};
    for (const auto kind : {QAudioFormat::Int16, QAudioFormat::Float}) {
        const QAudioFormat format = monoFormat(kind);
        const QByteArray bytes = soundcard::bytesFromSamples(format, samples);
        ASSERT_EQ(bytes.size(), qsizetype(samples.size()) * format.bytesPerSample());
        // Pieces of 3 bytes: no read brings whole samples.
        QByteArray carry;
        std::vector<float> back(samples.size() + 4);
        std::size_t made = 0;
        for (qsizetype at = 0; at < bytes.size(); at += 3) {
            const qsizetype take = std::min<qsizetype>(3, bytes.size() - at);
            made += soundcard::samplesFromBytes(format, carry, bytes.constData() + at,
                                                std::size_t(take), back.data() + made);
        }
        ASSERT_EQ(made, samples.size()) << kind;
        EXPECT_TRUE(carry.isEmpty());
        for (std::size_t i = 0; i < samples.size(); ++i)
            EXPECT_NEAR(back[i], samples[i], 0.5 / 32768) << kind << " sample " << i;
    }
}

TEST(SampleFormat, OutOfRangeSamplesAreClippedAndNonNumbersSilenced) {
    const std::vector<float> samples = {1.7f, -3.0f, NAN, INFINITY};
    const QAudioFormat int16 = monoFormat(QAudioFormat::Int16);
    const QByteArray bytes = soundcard::bytesFromSamples(int16, samples);
    EXPECT_EQ(qFromUnaligned<std::int16_t>(bytes.constData()), 32767);
    EXPECT_EQ(qFromUnaligned<std::int16_t>(bytes.constData() + 2), -32768);
    EXPECT_EQ(qFromUnaligned<std::int16_t>(bytes.constData() + 4), 0);
    EXPECT_EQ(qFromUnaligned<std::int16_t>(bytes.constData() + 6), 0);
    const QByteArray floats = soundcard::bytesFromSamples(monoFormat(QAudioFormat::Float), samples);
    EXPECT_EQ(qFromUnaligned<float>(floats.constData()), 1.0f);
    EXPECT_EQ(qFromUnaligned<float>(floats.constData() + 4), -1.0f);
    EXPECT_EQ(qFromUnaligned<float>(floats.constData() + 8), 0.0f);
}
