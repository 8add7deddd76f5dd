// SPDX-License-Identifier: GPL-3.0-or-later
#include "WorkingPictures.h"

#include <QPainter>

namespace winorbis {

QImage WorkingPictures::defaultGradient() {
    // Made once; the copies share it until one of them is changed.
    static const QImage ramp = [] {
        QImage picture(410, 256, QImage::Format_RGB888);
        for (int y = 0; y < picture.height(); ++y) {
            uchar* line = picture.scanLine(y);
            for (int x = 0; x < picture.width(); ++x) {
                const auto grey = uchar(x * 255 / 419);
                line[3 * x] = line[3 * x + 1] = line[3 * x + 2] = grey;
            }
        }
        return picture;
    }();
    return ramp;
}

QImage WorkingPictures::scaledInto(const QImage& source, QSize size) {
    QImage target(size, QImage::Format_RGB888);
    target.fill(Qt::white);
    if (!source.isNull()) {
        QPainter painter(&target);
        painter.drawImage(QRect(QPoint(0, 0), size), source);
    }
    return target;
}

} // namespace winorbis
