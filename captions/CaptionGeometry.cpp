// SPDX-License-Identifier: GPL-3.0-or-later
#include "CaptionGeometry.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace winorbis::captions {

const std::array<std::int16_t, 181>& sineTable() {
    static const std::array<std::int16_t, 181> table = [] {
        std::array<std::int16_t, 181> t{};
        for (int k = 0; k <= 180; ++k) {
            // Rounded down, but a product that is exact (30°, 150°, 0°, 180°) stays exact.
            const long double v = 16384.0L * std::sin(k * std::numbers::pi_v<long double> / 180);
            const long double nearest = std::round(v);
            t[std::size_t(k)] =
                std::int16_t(std::fabs(v - nearest) < 1e-9L ? nearest : std::floor(v));
        }
        t[90] = 16383; // 16384 does not fit the signed 16 bits of the table
        return t;
    }();
    return table;
}

int sine(int degrees) {
    return sineTable()[std::size_t(std::clamp(degrees, 0, 180))];
}

int cosine(int degrees) {
    return sine(degrees + 90);
}

std::array<QPoint, 4> frameCorners(QPoint origin, int w, int h, int angle) {
    const int s = sine(angle);
    const int c = cosine(angle);
    const int x = origin.x();
    const int y = origin.y();
    const int wc = (w * c) >> 14;
    const int ws = (w * s) >> 14;
    const int hs = (h * s) >> 14;
    const int hc = (h * c) >> 14;
    return {QPoint(x, y), QPoint(x + wc, y - ws), QPoint(x + wc + hs, y - ws + hc),
            QPoint(x + hs, y + hc)};
}

QPoint fontExampleOrigin(int h, int angle) {
    // Every halving and quartering rounds down, also below zero: shifts, not divisions.
    const int m = (h >> 1) + (h >> 2);
    const int s = sine(angle);
    const int c = cosine(angle);
    const int left = ((60 - (h >> 1)) >> 1) - ((s * (m >> 1)) >> 14);
    const int top = m + ((57 - h) >> 1) - ((c * m) >> 14);
    return {left, top};
}

namespace {

void invertPixel(QImage& picture, int x, int y) {
    if (x < 0 || y < 0 || x >= picture.width() || y >= picture.height())
        return;
    picture.setPixel(x, y, picture.pixel(x, y) ^ 0x00FFFFFFu);
}

} // namespace

void invertLine(QImage& picture, QPoint a, QPoint b) {
    // Bresenham from a towards b; b itself is the next line's first pixel.
    int x = a.x();
    int y = a.y();
    const int dx = std::abs(b.x() - x);
    const int dy = -std::abs(b.y() - y);
    const int sx = x < b.x() ? 1 : -1;
    const int sy = y < b.y() ? 1 : -1;
    int error = dx + dy;
    while (x != b.x() || y != b.y()) {
        invertPixel(picture, x, y);
        const int e2 = 2 * error;
        if (e2 >= dy) {
            error += dy;
            x += sx;
        }
        if (e2 <= dx) {
            error += dx;
            y += sy;
        }
    }
}

void invertFrame(QImage& picture, const std::array<QPoint, 4>& corners) {
    for (int i = 0; i < 4; ++i)
        invertLine(picture, corners[std::size_t(i)], corners[std::size_t((i + 1) % 4)]);
}

} // namespace winorbis::captions
