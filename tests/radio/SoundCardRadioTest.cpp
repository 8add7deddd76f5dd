// SPDX-License-Identifier: GPL-3.0-or-later
#include "RadioTestSupport.h"

#include "converter/Modes.h"
#include "modem/SstvDecoder.h"
#include "modem/SstvEncoder.h"

#include <QFile>
#include <QPainter>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace winorbis::radio::test {

namespace {

// The first picture the decoder finds in the audio, at the mode's size.
std::optional<sstv::PictureEnd> decode(const std::vector<float>& audio, double rate) {
    sstv::FirstPicture first;
    sstv::SstvDecoder decoder(rate);
    decoder.setListener(&first);
    decoder.process(audio);
    decoder.finish();
    return first.picture;
}

std::vector<float> silence(double ms) {
    return std::vector<float>(std::size_t(ms * 48.0), 0.0f);
}

} // namespace

TEST(SoundCardTransmit, SendsTheMemoryPictureWithThePttKeyedAroundIt) {
    RadioBench bench;
    bench.model.storePicture(1, framePicture());
    bench.model.feed(mode(ModeId::Robot36).box->txByte);
    ASSERT_TRUE(bench.pumpUntil(
        [&] { return !bench.radio.transmitting() && !bench.sink.samples().empty(); }, 45000));
    const double ms = sstv::SstvEncoder::durationMs(ModeId::Robot36, false);
    EXPECT_NEAR(double(bench.sink.samples().size()), ms * 48.0, 2.0);
    ASSERT_EQ(bench.ptt.changes.size(), 2u);
    EXPECT_TRUE(bench.ptt.changes[0].on);
    EXPECT_EQ(bench.ptt.changes[0].samplesBefore, 0u);
    EXPECT_FALSE(bench.ptt.changes[1].on);
    EXPECT_EQ(bench.ptt.changes[1].samplesBefore, bench.sink.samples().size());
    EXPECT_EQ(bench.sink.transmissionsEnded(), 1);
    EXPECT_TRUE(bench.events.contains("Transmitting Robot 36"));
    EXPECT_TRUE(bench.events.contains("Transmission ended"));

    const auto picture = decode(bench.sink.samples(), 48000);
    ASSERT_TRUE(picture);
    EXPECT_EQ(picture->mode, ModeId::Robot36);
    EXPECT_GE(psnr(framescaling::toMode(framePicture(), ModeId::Robot36), picture->picture), 30.0);
}

TEST(SoundCardTransmit, PlaysAtTheClocksPaceAndBeginsWithVoxTonesForVox) {
    RadioBench bench(true);
    bench.model.feed(mode(ModeId::Scottie2).box->txByte);
    bench.radio.pump();
    // Only the lead is given ahead of time.
    EXPECT_NEAR(double(bench.sink.samples().size()), SoundCardRadio::kLeadMs * 48.0, 48.0);
    bench.clock.sleep(1000);
    bench.radio.pump();
    EXPECT_NEAR(double(bench.sink.samples().size()), (1000 + SoundCardRadio::kLeadMs) * 48.0, 48.0);
    ASSERT_TRUE(bench.pumpUntil([&] { return !bench.radio.transmitting(); }, 80000, 500));
    EXPECT_NEAR(double(bench.sink.samples().size()),
                sstv::SstvEncoder::durationMs(ModeId::Scottie2, true) * 48.0, 2.0);
    EXPECT_FALSE(bench.ptt.keyed());
}

TEST(SoundCardTransmit, WatchdogAndFailedPlaysReleaseThePtt) {
    {
        RadioBench bench;
        bench.sink.setStalled(true); // the device takes samples and never plays them
        bench.model.feed(mode(ModeId::Robot36).box->txByte);
        const double limit =
            sstv::SstvEncoder::durationMs(ModeId::Robot36, false) + SoundCardRadio::kWatchdogMs;
        ASSERT_TRUE(
            bench.pumpUntil([&] { return !bench.radio.transmitting(); }, int(limit) + 1000, 100));
        EXPECT_GE(bench.clock.elapsedMs(), std::int64_t(limit));
        EXPECT_FALSE(bench.ptt.keyed());
        EXPECT_EQ(bench.sink.stops(), 1);
        EXPECT_TRUE(bench.events.last().startsWith("Transmission cut"));
    }
    {
        RadioBench bench;
        bench.sink.failAfter(48000 * 3);
        bench.model.feed(mode(ModeId::Martin2).box->txByte);
        ASSERT_TRUE(bench.pumpUntil([&] { return !bench.radio.transmitting(); }, 10000));
        EXPECT_FALSE(bench.ptt.keyed());
        EXPECT_TRUE(bench.events.last().startsWith("Transmission failed"));
        // The converter can send again afterwards.
        bench.sink.failAfter(0);
        bench.model.feed(mode(ModeId::Robot36).box->txByte);
        bench.radio.pump();
        EXPECT_TRUE(bench.radio.transmitting());
        EXPECT_TRUE(bench.ptt.keyed());
        bench.radio.shutdown();
        EXPECT_FALSE(bench.ptt.keyed());
    }
}

TEST(SoundCardTransmit, TheReceiveStopCutsATransmissionAndReleasesThePtt) {
    RadioBench bench;
    bench.model.feed(mode(ModeId::Martin1).box->txByte);
    bench.radio.pump();
    ASSERT_TRUE(bench.ptt.keyed());
    bench.clock.sleep(2000);
    bench.radio.pump();
    bench.model.feed(command::kBeginTransfer);
    bench.radio.pump();
    EXPECT_FALSE(bench.radio.transmitting());
    EXPECT_FALSE(bench.ptt.keyed());
    EXPECT_EQ(bench.sink.stops(), 1);
    EXPECT_EQ(bench.events.last(), "Transmission cut by the receive stop");
    // Nothing more is played.
    const std::size_t played = bench.sink.samples().size();
    bench.clock.sleep(1000);
    bench.radio.pump();
    EXPECT_EQ(bench.sink.samples().size(), played);
}

class SoundCardReception : public ::testing::TestWithParam<ModeId> {};

TEST_P(SoundCardReception, AnnouncesTheModeAndFillsTheActiveMemory) {
    const Mode& m = mode(GetParam());
    const auto id = *modeByShortName(m.shortName);
    RadioBench bench;
    bench.model.feed(command::kMemory2);
    std::vector<int> rows;
    bench.radio.setLineHandler([&](int row, const QImage&) { rows.push_back(row); });
    std::vector<double> clocks;
    bench.radio.setClockHandler([&](double ppm) { clocks.push_back(ppm); });
    const QImage frame = framePicture();
    bench.source.push(silence(500));
    bench.source.push(sstv::SstvEncoder::encode(framescaling::toMode(frame, id), id, {48000.0}));
    bench.source.push(silence(500));
    bench.source.close();
    bench.radio.pump();
    EXPECT_EQ(bench.sent, QByteArray(1, char(m.box->statusByte)));
    EXPECT_TRUE(bench.events.contains(QStringLiteral("Receiving %1 (VIS)").arg(m.name)));
    ASSERT_EQ(rows.size(), 256u);
    for (int i = 0; i < 256; ++i)
        ASSERT_EQ(rows[std::size_t(i)], i);
    EXPECT_GE(psnr(frame, bench.model.memoryPicture(2)), 30.0);
    EXPECT_NE(bench.model.memoryPicture(1), bench.model.memoryPicture(2));
    ASSERT_TRUE(bench.radio.lastClockErrorPpm());
    EXPECT_LT(std::abs(*bench.radio.lastClockErrorPpm()), 50.0);
    EXPECT_EQ(clocks, std::vector<double>{*bench.radio.lastClockErrorPpm()});
}

INSTANTIATE_TEST_SUITE_P(EveryMode, SoundCardReception,
                         ::testing::Values(ModeId::Robot36, ModeId::Robot72, ModeId::Martin1,
                                           ModeId::Martin2, ModeId::Scottie1, ModeId::Scottie2),
                         [](const auto& p) { return mode(p.param).shortName.toStdString(); });

TEST(SoundCardReception, FreeRunScottie2WithoutVis) {
    RadioBench bench;
    auto audio = sstv::SstvEncoder::encode(framescaling::toMode(framePicture(), ModeId::Scottie2),
                                           ModeId::Scottie2, {48000.0});
    audio.erase(audio.begin(), audio.begin() + std::ptrdiff_t(kVisMs * 48.0));
    bench.model.feed(mode(ModeId::Scottie2).box->freeRunByte);
    bench.radio.pump();
    EXPECT_TRUE(bench.events.contains("Free run Scottie 2"));
    bench.source.push(audio);
    bench.source.close();
    bench.radio.pump();
    EXPECT_EQ(bench.sent, QByteArray(1, char(mode(ModeId::Scottie2).box->statusByte)));
    EXPECT_TRUE(bench.events.contains("Receiving Scottie 2 (free run)"))
        << bench.events.join("|").toStdString();
    // The lines before the timing was found are taken from what was heard.
    EXPECT_GE(psnr(framePicture(), bench.model.memoryPicture(1)), 25.0);
}

TEST(SoundCardReception, TheReceiveStopCutsItAndTransmitsAreNotHeard) {
    RadioBench bench;
    const auto audio = sstv::SstvEncoder::encode(framePicture(), ModeId::Martin2, {48000.0});
    const std::size_t third = audio.size() / 3;
    bench.source.push(std::span<const float>(audio).first(third));
    bench.radio.pump();
    ASSERT_TRUE(bench.radio.receiving());
    bench.model.feed(command::kBeginTransfer);
    bench.radio.pump();
    EXPECT_FALSE(bench.radio.receiving());
    EXPECT_TRUE(bench.events.contains("Reception stopped"));
    EXPECT_TRUE(bench.events.contains("Received Martin 2: 83 lines, clock 0 ppm (cut short)") ||
                bench.events.filter("(cut short)").size() == 1);
    bench.source.push(std::span<const float>(audio).subspan(third));
    bench.radio.pump();
    EXPECT_FALSE(bench.radio.receiving());
    // One announcement only.
    EXPECT_EQ(bench.sent.size(), 1);

    // What the capture hears while the radio sends is dropped.
    bench.model.feed(mode(ModeId::Robot36).box->txByte);
    bench.radio.pump();
    ASSERT_TRUE(bench.radio.transmitting());
    bench.source.push(audio);
    bench.radio.pump();
    EXPECT_FALSE(bench.radio.receiving());
    EXPECT_EQ(bench.source.waiting(), 0u);
    bench.radio.shutdown();
}

TEST(SoundCardDigitize, TakesThePictureFileIntoTheActiveMemory) {
    RadioBench bench;
    const QImage before = bench.model.memoryPicture(1);
    bench.model.feed(command::kDigitize);
    bench.radio.pump();
    EXPECT_EQ(bench.model.memoryPicture(1), before);
    EXPECT_TRUE(bench.events.contains("No picture to digitize"));

    QTemporaryDir dir;
    const QString path = dir.filePath("camera.png");
    ASSERT_TRUE(framePicture().save(path));
    bench.radio.setDigitizePicture(path);
    bench.model.feed(command::kDigitize);
    EXPECT_GE(psnr(framePicture(), bench.model.memoryPicture(1)), 40.0);
}

// The camera's last frame comes first, scaled into the frame as a picture file is; without a
// frame the file is taken, and a file that cannot be read leaves the memory alone.
TEST(SoundCardDigitize, TakesTheCamerasLastFrameAndWithoutOneThePictureFile) {
    RadioBench bench;
    QTemporaryDir dir;
    const QString path = dir.filePath("shack.png");
    ASSERT_TRUE(framePicture().save(path));
    bench.radio.setDigitizePicture(path);
    QImage cameraFrame; // none has come yet
    bench.radio.setDigitizeCamera([&] { return cameraFrame; });
    bench.model.feed(command::kDigitize);
    bench.radio.pump();
    EXPECT_GE(psnr(framePicture(), bench.model.memoryPicture(1)), 40.0);
    EXPECT_TRUE(bench.events.contains("Digitized " + path));

    // A camera at 640 x 480: four coloured quarters land as the four quarters of the frame.
    cameraFrame = QImage(640, 480, QImage::Format_RGB888);
    cameraFrame.fill(Qt::red);
    QPainter(&cameraFrame).fillRect(320, 0, 320, 240, Qt::green);
    QPainter(&cameraFrame).fillRect(0, 240, 320, 240, Qt::blue);
    QPainter(&cameraFrame).fillRect(320, 240, 320, 240, Qt::white);
    bench.model.feed(command::kDigitize);
    bench.radio.pump();
    EXPECT_TRUE(bench.events.contains("Digitized the camera's frame"));
    const QImage memory = bench.model.memoryPicture(1);
    ASSERT_EQ(memory.size(), QSize(420, 256));
    const auto near = [](QRgb pixel, QColor colour) {
        return std::abs(qRed(pixel) - colour.red()) < 24 &&
               std::abs(qGreen(pixel) - colour.green()) < 24 &&
               std::abs(qBlue(pixel) - colour.blue()) < 24;
    };
    EXPECT_TRUE(near(memory.pixel(100, 60), Qt::red));
    EXPECT_TRUE(near(memory.pixel(320, 60), Qt::green));
    EXPECT_TRUE(near(memory.pixel(100, 200), Qt::blue));
    EXPECT_TRUE(near(memory.pixel(320, 200), Qt::white));

    // The camera gives no frame any more and the file is gone: the memory stays.
    cameraFrame = QImage();
    ASSERT_TRUE(QFile::remove(path));
    bench.model.feed(command::kDigitize);
    bench.radio.pump();
    EXPECT_EQ(bench.model.memoryPicture(1), memory);
    EXPECT_TRUE(bench.events.contains("Cannot read the picture " + path));
}

TEST(FrameScaling, AnyPictureFillsTheWholeFrame) {
    EXPECT_TRUE(framescaling::toFrame(QImage()).isNull());
    QImage tall(100, 400, QImage::Format_Indexed8);
    tall.setColorCount(1);
    tall.setColor(0, qRgb(10, 200, 30));
    tall.fill(0);
    const QImage frame = framescaling::toFrame(tall);
    EXPECT_EQ(frame.size(), QSize(420, 256));
    EXPECT_EQ(frame.format(), QImage::Format_RGB32);
    EXPECT_EQ(frame.pixel(0, 0), qRgb(10, 200, 30));
    EXPECT_EQ(frame.pixel(419, 255), qRgb(10, 200, 30));
}

} // namespace winorbis::radio::test
