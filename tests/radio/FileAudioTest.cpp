// SPDX-License-Identifier: GPL-3.0-or-later
#include "radio/WavFileAudio.h"
#include "support/VirtualClock.h"

#include "modem/WavFile.h"

#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <vector>

namespace winorbis::radio::test {

TEST(WavFileSink, TheFileIsWholeAfterEveryPlay) {
    QTemporaryDir dir;
    const QString path = dir.filePath("out.wav");
    QString why;
    auto sink = WavFileSink::create(path, 44100, &why);
    ASSERT_TRUE(sink) << why.toStdString();
    EXPECT_EQ(sstv::readWav(path, &why)->samples.size(), 0u);
    const std::vector<float> ramp{-1.0f, -0.5f, 0.0f, 0.5f, 1.0f, 2.0f};
    std::size_t total = 0;
    for (int play = 0; play < 3; ++play) {
        ASSERT_TRUE(sink->play(ramp));
        total += ramp.size();
        // Read as another program would while the file is still open.
        const auto wav = sstv::readWav(path, &why);
        ASSERT_TRUE(wav) << why.toStdString();
        EXPECT_EQ(wav->sampleRate, 44100);
        ASSERT_EQ(wav->samples.size(), total);
        EXPECT_NEAR(wav->samples[total - 2], 1.0f, 1e-3);
        EXPECT_NEAR(wav->samples[total - 1], 1.0f, 1e-3); // clipped
        EXPECT_NEAR(wav->samples[total - 5], -0.5f, 1e-3);
    }
    sink->endTransmission();
    EXPECT_EQ(QFile(path).size(), qint64(44 + 2 * total));
}

TEST(WavFileSink, AFileThatCannotBeMadeSaysWhy) {
    QString why;
    EXPECT_FALSE(WavFileSink::create("/nonexistent/folder/out.wav", 48000, &why));
    EXPECT_TRUE(why.contains("/nonexistent/folder/out.wav"));
}

TEST(WavFileSource, ReleasesTheRecordingAsTimePasses) {
    QTemporaryDir dir;
    const QString path = dir.filePath("in.wav");
    std::vector<std::int16_t> samples(8000);
    for (std::size_t i = 0; i < samples.size(); ++i)
        samples[i] = std::int16_t(i);
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(sstv::wavBytes(samples, 8000));
    file.close();

    winorbis::test::VirtualClock clock;
    QString why;
    auto source = WavFileSource::open(path, clock, &why);
    ASSERT_TRUE(source) << why.toStdString();
    EXPECT_EQ(source->sampleRate(), 8000.0);
    std::vector<float> out(20000);
    EXPECT_EQ(source->read(out), 0u);
    clock.sleep(250);
    EXPECT_EQ(source->read(out), 2000u);
    EXPECT_NEAR(out[1999] * 32768.0f, 1999.0f, 1.0f);
    clock.sleep(250);
    EXPECT_EQ(source->read(std::span<float>(out).first(500)), 500u);
    EXPECT_EQ(source->read(out), 1500u);
    EXPECT_FALSE(source->atEnd());
    clock.sleep(5000);
    EXPECT_EQ(source->read(out), 4000u);
    EXPECT_TRUE(source->atEnd());
    EXPECT_EQ(source->read(out), 0u);

    EXPECT_FALSE(WavFileSource::open(dir.filePath("missing.wav"), clock, &why));
    EXPECT_FALSE(why.isEmpty());
}

} // namespace winorbis::radio::test
