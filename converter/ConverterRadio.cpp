// SPDX-License-Identifier: GPL-3.0-or-later
#include "ConverterRadio.h"

#include "PixelCodec.h"

#include <QPainter>

namespace winorbis {

namespace pc = pixelcodec;

QImage SimulatedRadio::digitize() {
    return cameraPicture(++cameraFrame_);
}

QImage SimulatedRadio::cameraPicture(int frameNumber) {
    QImage picture(pc::kFrameWidth, pc::kFrameLines, QImage::Format_RGB32);
    QPainter painter(&picture);
    // Colour bars over the upper two thirds, a grey ramp below, a marker that moves per frame.
    const QColor bars[] = {Qt::white,   Qt::yellow, Qt::cyan, Qt::green,
                           Qt::magenta, Qt::red,    Qt::blue, Qt::black};
    const int barWidth = pc::kFrameWidth / 8;
    for (int i = 0; i < 8; ++i)
        painter.fillRect(i * barWidth, 0, i == 7 ? pc::kFrameWidth - 7 * barWidth : barWidth, 170,
                         bars[i]);
    for (int x = 0; x < pc::kFrameWidth; ++x) {
        const int grey = x * 255 / (pc::kFrameWidth - 1);
        painter.fillRect(x, 170, 1, 86, QColor(grey, grey, grey));
    }
    const int markerX = 10 + (frameNumber * 37) % (pc::kFrameWidth - 60);
    painter.fillRect(markerX, 190, 40, 40, QColor(255, 128, 0));
    painter.end();
    return picture;
}

} // namespace winorbis
