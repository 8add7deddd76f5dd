// SPDX-License-Identifier: GPL-3.0-or-later
#include "PictureTransfer.h"

#include "ConverterLink.h"
#include "LinkTexts.h"
#include "converter/Modes.h"
#include "converter/PixelCodec.h"

#include "platform/Clock.h"

#include <QImage>

#include <array>

namespace winorbis {

namespace pc = pixelcodec;

namespace {

// The converter's first 10 pixels of a line fall left of the picture.
constexpr int kFetchOffset = 10;

bool writeLine(ConverterLink& link, const QByteArray& line) {
    link.SendBytes(line);
    return link.AwaitLineAck();
}

// Draws a converter line block into a row of the picture.
void drawLine(QImage& picture, int row, const std::uint8_t* block) {
    if (row < 0 || row >= picture.height())
        return;
    const int width = std::min(picture.width(), pc::kFrameWidth - kFetchOffset);
    if (picture.format() == QImage::Format_RGB888) {
        pc::decodeLineRgb888(block, kFetchOffset, width, picture.scanLine(row));
        return;
    }
    const auto pixels = pc::decodeLine(block);
    for (int x = 0; x < width; ++x)
        picture.setPixel(x, row, pixels[std::size_t(x + kFetchOffset)]);
}

} // namespace

void PictureTransfer::setPosition(int position) {
    if (progress_)
        progress_(position, kProgressMaximum);
}

bool PictureTransfer::UploadPicture(const QImage& picture, const MonitorHold&) {
    link_.discardStaleInput();
    setPosition(0);
    if (!link_.SendCommandAwaitAck(command::kBeginTransfer) ||
        !link_.SendCommandAwaitAck(command::kLineFollows))
        return false;
    if (!writeLine(link_, pc::headerLine()) || !clock_.keepPainting())
        return false;
    // Row 0 is never sent: the converter's line 0 is the header line.
    for (int row = 1; row < pc::kFrameLines; ++row) {
        if (!link_.SendCommandAwaitAck(command::kLineFollows))
            return false;
        if (!writeLine(link_, pc::encodeImageRow(picture, row)))
            return false;
        setPosition(row);
        if (!clock_.keepPainting())
            return false;
    }
    setPosition(kProgressMaximum);
    return true;
}

bool PictureTransfer::FetchPicture(QImage& picture, const MonitorHold&, const RowDone& rowDone) {
    setPosition(0);
    link_.discardStaleInput();
    if (!link_.SendCommandAwaitAck(command::kBeginTransfer))
        return false;

    std::array<std::uint8_t, pc::kFetchLineBytes> line{};
    std::array<std::uint8_t, pc::kLineBytes> previous{}; // black before the first line
    for (int number = 1; number <= pc::kFrameLines; ++number) {
        link_.SendCommandByte(command::kNextLine);
        int got = 0;
        bool complete = true;
        while (got < pc::kFetchLineBytes) {
            const int n = link_.port().read(line.data() + got, pc::kFetchLineBytes - got);
            if (n > 0) {
                got += n;
                continue;
            }
            if (link_.IdentifyConverter() == 0) {
                link_.fail(linktext::kCommunicationData);
                return false;
            }
            complete = false; // the converter is there: take the previous line instead
            break;
        }
        if (complete)
            std::copy_n(line.begin(), pc::kLineBytes, previous.begin());
        drawLine(picture, number - 1, previous.data());
        if (rowDone)
            rowDone(number - 1);
        setPosition(number);
        if (!clock_.keepPainting())
            return false;
    }
    setPosition(kProgressMaximum);
    return true;
}

} // namespace winorbis
