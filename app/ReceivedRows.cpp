// SPDX-License-Identifier: GPL-3.0-or-later
#include "ReceivedRows.h"

#include "link/PixelCodec.h"

#include <algorithm>

namespace winorbis {

namespace pc = pixelcodec;

namespace {

// The converter's first 10 pixels of a line fall left of the picture, as in a fetch.
constexpr int kFetchOffset = 10;

} // namespace

void ReceivedRows::showIn(QImage& picture, QWidget& window) {
    picture_ = &picture;
    window_ = &window;
}

void ReceivedRows::draw(int row, const QImage& frame) {
    if (!picture_ || !window_)
        return;
    QImage& picture = *picture_;
    if (row < 0 || row >= picture.height() || row >= frame.height())
        return;
    if (picture.depth() < 24)
        picture = picture.convertToFormat(QImage::Format_RGB32);
    // Through the converter's line code, so that the row is the one the fetch will bring.
    const QByteArray block = pc::encodeImageRow(frame, row);
    const auto pixels = pc::decodeLine(reinterpret_cast<const std::uint8_t*>(block.constData()));
    const int width = std::min(picture.width(), pc::kFrameWidth - kFetchOffset);
    for (int x = 0; x < width; ++x)
        picture.setPixel(x, row, pixels[std::size_t(x + kFetchOffset)]);
    // Hidden until the first fetch; a picture coming in shows it as a fetch does.
    window_->setVisible(true);
    window_->update();
}

} // namespace winorbis
