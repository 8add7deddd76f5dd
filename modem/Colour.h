// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <algorithm>
#include <cmath>

namespace winorbis::sstv {

// ITU-R BT.601 studio range: Y 16 .. 235, colour differences 16 .. 240 around 128.
struct Yuv {
    double y = 16.0, redDiff = 128.0, blueDiff = 128.0;
};

inline Yuv toYuv(double r, double g, double b) {
    return Yuv{16.0 + (65.481 * r + 128.553 * g + 24.966 * b) / 255.0,
               128.0 + (112.0 * r - 93.786 * g - 18.214 * b) / 255.0,
               128.0 + (-37.797 * r - 74.203 * g + 112.0 * b) / 255.0};
}

inline int clampByte(double v) {
    return int(std::clamp(std::lround(v), 0L, 255L));
}

// Red, green and blue 0 .. 255 of studio-range values.
inline void toRgb(const Yuv& c, int& r, int& g, int& b) {
    const double y = 1.164383 * (c.y - 16.0);
    r = clampByte(y + 1.596027 * (c.redDiff - 128.0));
    g = clampByte(y - 0.391762 * (c.blueDiff - 128.0) - 0.812968 * (c.redDiff - 128.0));
    b = clampByte(y + 2.017232 * (c.blueDiff - 128.0));
}

} // namespace winorbis::sstv
