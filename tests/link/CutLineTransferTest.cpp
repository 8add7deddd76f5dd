// SPDX-License-Identifier: GPL-3.0-or-later
// A fetched line that stops halfway, through the real transfer code on virtual time.
#include "TransferFixture.h"
#include "converter/PixelCodec.h"
#include "link/ConverterLink.h"
#include "link/PictureTransfer.h"
#include "link/TRecThread.h"
#include "support/MemoryConverter.h"
#include "support/ScriptedDialogs.h"
#include "support/VirtualClock.h"

#include <QImage>

#include <gtest/gtest.h>

using namespace winorbis;
using namespace winorbis::test;
namespace pc = winorbis::pixelcodec;

namespace {

struct CutLineFixture : TransferFixture {
    QImage frame{420, 256, QImage::Format_RGB888};

    void SetUp() override {
        TransferFixture::SetUp();
        // Every row differs from its neighbours, and the left half of a row from its right half,
        // so a row put together from two lines shows.
        for (int y = 0; y < 256; ++y)
            for (int x = 0; x < 420; ++x)
                frame.setPixel(x, y, x < 210 ? qRgb(y, 255 - y, 40) : qRgb(255 - y, 80, y));
        converter->fill(frame);
    }

    // The fetched row as the converter's line decodes it, converter pixel k at column k - 10.
    QRgb expected(int row, int x) const {
        const auto pixels = pc::decodeLine(
            reinterpret_cast<const std::uint8_t*>(converter->memory[std::size_t(row)].constData()));
        return pixels[std::size_t(x + 10)] | 0xFF000000u;
    }
    static bool sameRow(const QImage& picture, int a, int b) {
        for (int x = 0; x < picture.width(); ++x)
            if (picture.pixel(x, a) != picture.pixel(x, b))
                return false;
        return true;
    }
    bool rowAsSent(const QImage& picture, int row) const {
        for (int x = 0; x < picture.width(); ++x)
            if (picture.pixel(x, row) != expected(row, x))
                return false;
        return true;
    }
};

} // namespace

TEST_F(CutLineFixture, ALineCutPartWayRepeatsThePreviousRowAndTheNextLineIsWhole) {
    // Cut after one byte, inside a pixel block, at half the line, and just before the dropped
    // last byte.
    converter->cutFetchLines = {{7, 1}, {51, 421}, {101, 420}, {201, 840}};
    QImage rx(410, 256, QImage::Format_RGB888);
    rx.fill(Qt::white);
    ASSERT_TRUE(transfer.FetchPicture(rx, noMonitor));
    for (int row : {6, 50, 100, 200}) {
        EXPECT_TRUE(sameRow(rx, row, row - 1)) << "row " << row << " is not the one before";
        EXPECT_TRUE(rowAsSent(rx, row - 1)) << row - 1;
        EXPECT_TRUE(rowAsSent(rx, row + 1)) << "the line after the cut at " << row;
    }
    for (int row : {0, 5, 99, 255})
        EXPECT_TRUE(rowAsSent(rx, row)) << row;
    EXPECT_TRUE(dialogs.shown().isEmpty());
    // One identify per cut line made sure the converter was still there.
    EXPECT_EQ(port->written().count('\x10'), 4);
    EXPECT_EQ(port->written().count('\x04'), 256);
    EXPECT_EQ(port->pending(), 0);
}

TEST_F(CutLineFixture, ACutFirstLineLeavesABlackFirstRow) {
    converter->cutFetchLines = {{1, 300}};
    QImage rx(410, 256, QImage::Format_RGB32);
    rx.fill(Qt::white);
    ASSERT_TRUE(transfer.FetchPicture(rx, noMonitor));
    for (int x = 0; x < rx.width(); ++x)
        ASSERT_EQ(rx.pixel(x, 0), qRgb(0, 0, 0)) << x;
    EXPECT_TRUE(rowAsSent(rx, 1));
}

TEST_F(CutLineFixture, ALineCutByTheLineClosingEndsWithADataError) {
    converter->cutFetchLines = {{30, 420}};
    converter->closeAfterLines = 30; // the identify after the cut goes unanswered as well
    QImage rx(410, 256, QImage::Format_RGB888);
    rx.fill(Qt::white);
    EXPECT_FALSE(transfer.FetchPicture(rx, noMonitor));
    EXPECT_EQ(dialogs.texts().back(), "Communication error[data]");
    EXPECT_TRUE(rowAsSent(rx, 28));
    for (int x = 0; x < rx.width(); ++x)
        ASSERT_EQ(rx.pixel(x, 29), qRgb(255, 255, 255)) << "torn row at column " << x;
}
