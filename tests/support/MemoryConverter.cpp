// SPDX-License-Identifier: GPL-3.0-or-later
#include "support/MemoryConverter.h"

#include "converter/PixelCodec.h"

namespace winorbis::test {

namespace pc = winorbis::pixelcodec;

MemoryConverter::MemoryConverter(MemoryPort& port) {
    for (int memory = 1; memory <= 2; ++memory)
        for (int line = 0; line < pc::kFrameLines; ++line)
            model_.setMemoryLine(memory, line, QByteArray(pc::kLineBytes, '\0'));
    port.setResponder([this](std::uint8_t byte, MemoryPort& p) {
        const ConverterModel::Output out = faults_.feed(model_, byte);
        events_ += out.events;
        p.arrive(out.bytes);
        if (out.closeLine)
            p.setWritable(false);
    });
}

void MemoryConverter::fill(const QImage& picture) {
    for (int row = 0; row < pc::kFrameLines; ++row)
        model_.setMemoryLine(model_.activeMemory(), row, pc::encodeImageRow(picture, row));
}

} // namespace winorbis::test
