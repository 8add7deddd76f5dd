// SPDX-License-Identifier: GPL-3.0-or-later
// Recordings for the tuning display, and the display drawn from a period.
#include "analyzer/TuningRecording.h"
#include "analyzer/TuningDisplay.h"

#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace winorbis;

namespace {

QByteArray le(std::uint32_t value, int size) {
    QByteArray bytes;
    for (int i = 0; i < size; ++i)
        bytes.append(char(value >> (8 * i) & 0xFF));
    return bytes;
}

// A WAV file with the given format and data; extra chunks go before the data.
QByteArray wav(int channels, int rate, int bits, const QByteArray& data,
               const QByteArray& extra = {}, int format = 1) {
    QByteArray fmt = le(std::uint32_t(format), 2) + le(std::uint32_t(channels), 2) +
                     le(std::uint32_t(rate), 4) + le(std::uint32_t(rate * channels * bits / 8), 4) +
                     le(std::uint32_t(channels * bits / 8), 2) + le(std::uint32_t(bits), 2);
    QByteArray body = "WAVE" + QByteArray("fmt ") + le(16, 4) + fmt + extra + "data" +
                      le(std::uint32_t(data.size()), 4) + data;
    return "RIFF" + le(std::uint32_t(body.size()), 4) + body;
}

struct RecordingFixture : ::testing::Test {
    QTemporaryDir dir;
    QString write(const QByteArray& bytes) {
        const QString path = dir.filePath("r.wav");
        QFile file(path);
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(bytes);
        return path;
    }
};

} // namespace

TEST_F(RecordingFixture, EightAndSixteenBitSamplesComeBackAsTheDeviceGivesThem) {
    QString error;
    auto samples =
        readTuningRecording(write(wav(1, 8000, 8, QByteArray("\x00\x80\xff", 3))), &error);
    ASSERT_TRUE(samples) << error.toStdString();
    EXPECT_EQ(*samples, (std::vector<std::uint8_t>{0, 128, 255}));
    // 16 bits: -32768, 0, 32767 and -1 keep their upper byte, made unsigned.
    const QByteArray sixteen = le(0x8000, 2) + le(0, 2) + le(0x7FFF, 2) + le(0xFFFF, 2);
    samples = readTuningRecording(write(wav(1, 8000, 16, sixteen)), &error);
    ASSERT_TRUE(samples) << error.toStdString();
    EXPECT_EQ(*samples, (std::vector<std::uint8_t>{0, 128, 255, 127}));
}

TEST_F(RecordingFixture, OtherChunksAreSkippedWithTheirPaddingAndACutFileGivesWhatIsThere) {
    const QByteArray odd = "LIST" + le(3, 4) + "abc" + QByteArray(1, '\0');
    QString error;
    auto samples = readTuningRecording(write(wav(1, 8000, 8, "\x10\x20", odd)), &error);
    ASSERT_TRUE(samples) << error.toStdString();
    EXPECT_EQ(samples->size(), 2u);
    QByteArray cut = wav(1, 8000, 8, QByteArray(100, '\x40'));
    cut.chop(60);
    samples = readTuningRecording(write(cut), &error);
    ASSERT_TRUE(samples) << error.toStdString();
    EXPECT_EQ(samples->size(), 40u);
}

TEST_F(RecordingFixture, AnyOtherFileIsRefusedWithItsReason) {
    QString error;
    EXPECT_FALSE(readTuningRecording(write(wav(2, 8000, 8, "ab")), &error));
    EXPECT_TRUE(error.contains("2 channel(s)")) << error.toStdString();
    EXPECT_FALSE(readTuningRecording(write(wav(1, 44100, 16, "abcd")), &error));
    EXPECT_TRUE(error.contains("44100 Hz")) << error.toStdString();
    EXPECT_FALSE(readTuningRecording(write(wav(1, 8000, 24, "abc")), &error));
    EXPECT_FALSE(readTuningRecording(write(wav(1, 8000, 8, "ab", {}, 3)), &error));
    EXPECT_TRUE(error.contains("format 3")) << error.toStdString();
    EXPECT_FALSE(readTuningRecording(write(QByteArray("RIFF\x04\x00\x00\x00WAVE", 12)), &error));
    EXPECT_TRUE(error.contains("no format chunk")) << error.toStdString();
    EXPECT_FALSE(readTuningRecording(write("just text"), &error));
    EXPECT_TRUE(error.contains("no WAV file"));
    EXPECT_FALSE(readTuningRecording(dir.filePath("missing.wav"), &error));
}

TEST(TuningDisplay, TheSummaryTakesTheLowestHighestColumnAndTheCentreOfMass) {
    AnalyzerPeriod period;
    EXPECT_EQ(tuningdisplay::summarize(period).mean, 0.0);
    period.bins[10] = 5;
    period.bins[30] = 5;
    period.bins[20] = 2;
    period.syncLength = 44;
    const auto s = tuningdisplay::summarize(period);
    EXPECT_EQ(s.peak, 10);
    EXPECT_EQ(s.sync, 44);
    EXPECT_DOUBLE_EQ(s.mean, 20.0);
}

TEST(TuningDisplay, TheCurveTheSyncMarkerAndTheScaleAreWhereTheWindowDrawsThem) {
    AnalyzerPeriod period;
    period.bins[37] = 30; // column 37, ten rows above the rest line
    period.syncLength = 40;
    const QImage shown = tuningdisplay::picture(period);
    ASSERT_EQ(shown.size(), QSize(256, 75));
    const QRgb green = qRgb(0, 255, 0), red = qRgb(255, 0, 0), yellow = qRgb(255, 255, 0);
    EXPECT_EQ(shown.pixel(0, 57), green);
    EXPECT_EQ(shown.pixel(37, 47), green);
    EXPECT_EQ(shown.pixel(100, 57), green);
    EXPECT_EQ(shown.pixel(40, 5), red) << "the marker at 80 minus the sync length";
    EXPECT_EQ(shown.pixel(100, 10), qRgb(0, 0, 0));
    EXPECT_EQ(shown.pixel(200, 70), yellow);
    for (const int tick : {39, 85, 213})
        EXPECT_EQ(shown.pixel(tick, 61), qRgb(0, 0, 0)) << tick;
    period.syncLength = 30;
    EXPECT_NE(tuningdisplay::picture(period).pixel(50, 5), red) << "no marker up to 30";
}
