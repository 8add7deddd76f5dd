// SPDX-License-Identifier: GPL-3.0-or-later
// Fuzz target for the packed-DIB reader of the vexfile layer: random image blocks, decoded and
// checked against the block they came in.
#include "platform/vexfile/DibImage.h"

#include <cstdint>
#include <cstdlib>
#include <cstring>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    auto* block = static_cast<BYTE*>(std::malloc(size == 0 ? 1 : size));
    if (size > 0)
        std::memcpy(block, data, size);
    QString error;
    const auto layout = winorbis::vexfile::dibLayout(block, size, &error);
    if (layout && layout->totalSize > size)
        std::abort();
    const QImage image = winorbis::vexfile::dibToImage(block, size, &error);
    if (image.isNull() == layout.has_value())
        std::abort();
    std::free(block);
    return 0;
}
