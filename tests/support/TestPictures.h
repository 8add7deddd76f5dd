// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QImage>
#include <QRandomGenerator>

namespace winorbis::test {

// A 24-bit picture of random pixels, the same for the same seed.
inline QImage randomPicture(int width, int height, quint32 seed) {
    QRandomGenerator rng(seed);
    QImage picture(width, height, QImage::Format_RGB888);
    for (int y = 0; y < height; ++y) {
        uchar* line = picture.scanLine(y);
        for (int x = 0; x < 3 * width; ++x)
            line[x] = uchar(rng.bounded(256));
    }
    return picture;
}

} // namespace winorbis::test
