// SPDX-License-Identifier: GPL-3.0-or-later
#include "support/MemoryConverter.h"

#include "link/PixelCodec.h"

namespace winorbis::test {

namespace pc = winorbis::pixelcodec;

MemoryConverter::MemoryConverter(MemoryPort& port)
    : memory(pc::kFrameLines, QByteArray(pc::kLineBytes, '\0')) {
    port.setResponder([this](std::uint8_t byte, MemoryPort& p) { onByte(byte, p); });
}

void MemoryConverter::fill(const QImage& picture) {
    for (int row = 0; row < pc::kFrameLines; ++row)
        memory[std::size_t(row)] = pc::encodeImageRow(picture, row);
}

void MemoryConverter::onByte(std::uint8_t byte, MemoryPort& port) {
    if (expectingData_ > 0) {
        lineData_.append(char(byte));
        if (--expectingData_ > 0)
            return;
        if (transferLine_ < pc::kFrameLines)
            memory[std::size_t(transferLine_)] = lineData_;
        const int line = transferLine_++;
        ++uploaded_;
        if (!silent && (noLineAckFrom < 0 || line < noLineAckFrom))
            port.arrive(QByteArray("\x80\x00", 2));
        return;
    }
    if (silent)
        return;
    switch (byte) {
    case 16:
        port.arrive(QByteArray(1, char(identifyAnswer)) + "ORB70");
        break;
    case 1:
        transferLine_ = 0;
        if (ackBeginTransfer)
            port.arrive(QByteArray(1, char(128)));
        break;
    case 8:
        if (noLineFollowsAckFrom >= 0 && transferLine_ >= noLineFollowsAckFrom)
            break;
        expectingData_ = pc::kLineBytes;
        lineData_.clear();
        port.arrive(QByteArray(1, char(128)));
        break;
    case 4: {
        const int number = ++transferLine_;
        if (silentFromFetchLine > 0 && number >= silentFromFetchLine) {
            silent = true;
            break;
        }
        if (droppedFetchLines.count(number))
            break;
        port.arrive(memory[std::size_t(number - 1)] + QByteArray(1, '\x5A'));
        break;
    }
    default:
        break;
    }
}

} // namespace winorbis::test
