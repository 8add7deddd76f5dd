// SPDX-License-Identifier: GPL-3.0-or-later
#include "link/PictureTransfer.h"
#include "TransferFixture.h"
#include "converter/PixelCodec.h"
#include "link/ConverterLink.h"
#include "link/TRecThread.h"
#include "support/MemoryConverter.h"
#include "support/ScriptedDialogs.h"
#include "support/TestPictures.h"
#include "support/VirtualClock.h"

#include <QImage>
#include <QRandomGenerator>

#include <gtest/gtest.h>

using namespace winorbis;
using namespace winorbis::test;
namespace pc = winorbis::pixelcodec;

TEST_F(TransferFixture, AnUploadWritesTheHeaderAndRowsOneTo255EachInOneWrite) {
    const QImage picture = randomPicture(410, 256, 1);
    ASSERT_TRUE(transfer.UploadPicture(picture, noMonitor));
    QByteArray expected("\x01\x08", 2);
    expected += pc::headerLine();
    for (int row = 1; row < 256; ++row)
        expected += '\x08' + pc::encodeImageRow(picture, row);
    EXPECT_EQ(port->written(), expected);
    // Commands go alone, each line in one write: a network port sends a line in one segment.
    const QList<QByteArray> calls = port->writeCalls();
    ASSERT_EQ(calls.size(), 2 + 1 + 255 * 2);
    EXPECT_EQ(calls[2], pc::headerLine());
    EXPECT_EQ(calls[3], QByteArray(1, '\x08'));
    EXPECT_EQ(calls[4], pc::encodeImageRow(picture, 1));
    EXPECT_EQ(calls.back(), pc::encodeImageRow(picture, 255));
    EXPECT_EQ(converter->uploadedLines(), 256);
    EXPECT_EQ(converter->memory[0], pc::headerLine());
    // Columns 410 .. 419 of the 410-pixel picture went out white.
    EXPECT_EQ(converter->memory[9].mid(205 * 4, 4), QByteArray("\xD3\xFE\xD2\x00", 4));
    EXPECT_TRUE(dialogs.shown().isEmpty());
    ASSERT_EQ(progress.size(), 257u);
    EXPECT_EQ(progress.front(), std::make_pair(0, 280));
    EXPECT_EQ(progress[100], std::make_pair(100, 280));
    EXPECT_EQ(progress[255], std::make_pair(255, 280));
    EXPECT_EQ(progress.back(), std::make_pair(280, 280));
}

TEST_F(TransferFixture, AllBlackAndAllWhitePicturesUploadTheirReferenceBlocks) {
    QImage picture(420, 256, QImage::Format_RGB888);
    picture.fill(Qt::black);
    ASSERT_TRUE(transfer.UploadPicture(picture, noMonitor));
    EXPECT_EQ(converter->memory[1], QByteArray("\x3D\x00\x3C\x00", 4).repeated(210));
    picture.fill(Qt::white);
    ASSERT_TRUE(transfer.UploadPicture(picture, noMonitor));
    EXPECT_EQ(converter->memory[255], QByteArray("\xD3\xFE\xD2\x00", 4).repeated(210));
}

TEST_F(TransferFixture, AnUploadStopsAtTheFirstFailedExchange) {
    converter->ackBeginTransfer = false;
    EXPECT_FALSE(transfer.UploadPicture(randomPicture(410, 256, 2), noMonitor));
    EXPECT_EQ(port->written(), QByteArray("\x01", 1));
    EXPECT_EQ(dialogs.texts(), QStringList{"Communication error[com]"});
    EXPECT_EQ(progress.back().first, 0);
}

TEST_F(TransferFixture, AnUploadWithoutALineAcknowledgeStopsAtThatLine) {
    converter->noLineAckFrom = 3;
    EXPECT_FALSE(transfer.UploadPicture(randomPicture(410, 256, 3), noMonitor));
    EXPECT_EQ(converter->uploadedLines(), 4); // header and rows 1 .. 3; nothing after row 3
    EXPECT_EQ(port->written().size(), 2 + 840 + 3 * 841);
    EXPECT_EQ(dialogs.texts(), QStringList{"Communication error[ack]"});
    EXPECT_EQ(progress.back().first, 2);
}

TEST_F(TransferFixture, AnUploadWithoutALineFollowsAcknowledgeStopsBeforeTheLine) {
    converter->noLineFollowsAckFrom = 5;
    EXPECT_FALSE(transfer.UploadPicture(randomPicture(410, 256, 4), noMonitor));
    EXPECT_EQ(converter->uploadedLines(), 5);
    EXPECT_EQ(dialogs.texts(), QStringList{"Communication error[com]"});
}

TEST_F(TransferFixture, AFetchDecodesTheFrameFromConverterPixelTen) {
    const QImage frame = randomPicture(420, 256, 5);
    converter->fill(frame);
    QImage rx(410, 256, QImage::Format_RGB888);
    rx.fill(Qt::gray);
    std::vector<int> rows;
    ASSERT_TRUE(transfer.FetchPicture(rx, noMonitor, [&](int row) { rows.push_back(row); }));
    for (int row : {0, 1, 128, 255}) {
        const auto decoded = pc::decodeLine(
            reinterpret_cast<const std::uint8_t*>(converter->memory[std::size_t(row)].constData()));
        for (int x : {0, 1, 200, 409})
            EXPECT_EQ(rx.pixel(x, row), decoded[std::size_t(x + 10)] | 0xFF000000u)
                << row << "," << x;
    }
    EXPECT_EQ(rows.size(), 256u);
    EXPECT_EQ(rows.back(), 255);
    EXPECT_EQ(port->written(), QByteArray("\x01", 1) + QByteArray(256, '\x04'));
    ASSERT_EQ(progress.size(), 258u);
    EXPECT_EQ(progress[256], std::make_pair(256, 280));
    EXPECT_EQ(progress.back(), std::make_pair(280, 280));
}

TEST_F(TransferFixture, AFetchKeepsThePicturesSize) {
    converter->fill(randomPicture(420, 256, 6));
    QImage narrow(300, 100, QImage::Format_RGB32);
    ASSERT_TRUE(transfer.FetchPicture(narrow, noMonitor));
    EXPECT_EQ(narrow.size(), QSize(300, 100));
    QImage wide(500, 256, QImage::Format_RGB32);
    wide.fill(qRgb(1, 2, 3));
    ASSERT_TRUE(transfer.FetchPicture(wide, noMonitor));
    EXPECT_EQ(wide.pixel(409, 20) == qRgb(1, 2, 3), false);
    EXPECT_EQ(wide.pixel(410, 20), qRgb(1, 2, 3)); // beyond the converter's pixels: untouched
    EXPECT_EQ(wide.pixel(499, 255), qRgb(1, 2, 3));
}

TEST_F(TransferFixture, AMissingLineIsReplacedByThePreviousWhileTheConverterAnswers) {
    QImage frame(420, 256, QImage::Format_RGB888);
    for (int y = 0; y < 256; ++y)
        for (int x = 0; x < 420; ++x)
            frame.setPixel(x, y, qRgb(y, 255 - y, 128));
    converter->fill(frame);
    converter->droppedFetchLines = {1, 6};
    QImage rx(410, 256, QImage::Format_RGB888);
    ASSERT_TRUE(transfer.FetchPicture(rx, noMonitor));
    EXPECT_EQ(rx.pixel(5, 0), qRgb(0, 0, 0));  // line 1 missing: a black first row
    EXPECT_EQ(rx.pixel(5, 5), rx.pixel(5, 4)); // line 6 missing: row 5 repeats row 4
    EXPECT_NE(rx.pixel(5, 6), rx.pixel(5, 4));
    EXPECT_TRUE(dialogs.texts().isEmpty());
}

TEST_F(TransferFixture, AConverterThatFallsSilentEndsTheFetchWithADataError) {
    converter->fill(randomPicture(420, 256, 7));
    converter->silentFromFetchLine = 10;
    QImage rx(410, 256, QImage::Format_RGB888);
    rx.fill(Qt::white);
    EXPECT_FALSE(transfer.FetchPicture(rx, noMonitor));
    EXPECT_EQ(dialogs.texts(),
              QStringList({"No connection to Orbis 70p. Control please the interface (Setup) and "
                           "the jumper in the Orbis 70p.",
                           "Communication error[data]"}));
    EXPECT_NE(rx.pixel(100, 8), qRgb(255, 255, 255)); // what had arrived stays
    EXPECT_EQ(rx.pixel(100, 9), qRgb(255, 255, 255));
    EXPECT_EQ(progress.back().first, 9);
}

TEST_F(TransferFixture, TheProgramsEndStopsAFetchAtTheNextLineKeepingWhatHasArrived) {
    converter->fill(randomPicture(420, 256, 8));
    QImage rx(410, 256, QImage::Format_RGB888);
    rx.fill(Qt::white);
    EXPECT_FALSE(transfer.FetchPicture(rx, noMonitor, [&](int row) {
        if (row == 99)
            clock.endWaits();
    }));
    EXPECT_TRUE(dialogs.texts().isEmpty()); // the end of the program is no communication error
    EXPECT_EQ(port->written().count('\x04'), 100);
    EXPECT_NE(rx.pixel(100, 99), qRgb(255, 255, 255));
    EXPECT_EQ(rx.pixel(100, 100), qRgb(255, 255, 255));
}

TEST_F(TransferFixture, AFetchWithoutAcknowledgeStopsAtOnce) {
    converter->ackBeginTransfer = false;
    QImage rx(410, 256, QImage::Format_RGB888);
    EXPECT_FALSE(transfer.FetchPicture(rx, noMonitor));
    EXPECT_EQ(dialogs.texts(), QStringList{"Communication error[com]"});
    EXPECT_EQ(port->written(), QByteArray("\x01", 1));
}

TEST(PixelCodecSweep, DecodingWhatWasEncodedStaysClose) {
    // Over a grid of colours, the converter's round trip keeps every component within what its
    // 8-bit colour differences allow.
    int worst = 0;
    for (int r = 0; r < 256; r += 15)
        for (int g = 0; g < 256; g += 15)
            for (int b = 0; b < 256; b += 15) {
                const QRgb in = qRgb(r, g, b);
                const auto block = pc::encodePair(in, in);
                const QRgb out = pc::decodePair(block.data())[0];
                worst = std::max({worst, std::abs(qRed(out) - r), std::abs(qGreen(out) - g),
                                  std::abs(qBlue(out) - b)});
            }
    EXPECT_LE(worst, 40);
}
