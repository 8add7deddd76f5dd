// SPDX-License-Identifier: GPL-3.0-or-later
#include "ReceivedRows.h"

#include <cstring>

namespace winorbis {

void ReceivedRows::showIn(QImage& picture, QWidget& window) {
    picture_ = &picture;
    window_ = &window;
}

void ReceivedRows::draw(int row, const QImage& frame) {
    if (!picture_ || !window_ || row < 0 || row >= frame.height())
        return;
    QImage& picture = *picture_;
    if (picture.isNull()) {
        picture = QImage(frame.size(), frame.format());
        picture.fill(Qt::black);
    } else if (picture.size() != frame.size() || picture.format() != frame.format()) {
        picture = picture.scaled(frame.size()).convertToFormat(frame.format());
    }
    std::memcpy(picture.scanLine(row), frame.constScanLine(row), std::size_t(frame.bytesPerLine()));
    window_->update();
}

} // namespace winorbis
