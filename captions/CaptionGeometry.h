// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QImage>
#include <QPoint>
#include <QSize>

#include <array>
#include <cstdint>

namespace winorbis::captions {

// The sine table of the frame and example arithmetic: entry k (0..180) is 16384 × sin(k°) rounded
// down, exact at 30° and 150° (8192) and held at 16383 at 90°. The cosine of k is entry k + 90.
const std::array<std::int16_t, 181>& sineTable();
int sine(int degrees);   // degrees 0..180; outside that range the nearest end
int cosine(int degrees); // degrees 0..90

// The four corners of a caption frame: the text's box of width w and height h turned
// counter-clockwise by a degrees (0..90) about its top-left corner (x, y), every product of the
// table shifted right by 14 bits. The frame runs from corner 0 through 1, 2 and 3 back to 0.
std::array<QPoint, 4> frameCorners(QPoint origin, int w, int h, int angle);

// The frame width of a caption: (number of characters × font height) / 2.
inline int frameWidth(int characters, int fontHeight) {
    return characters * fontHeight / 2;
}
// The shadow's offset right and down: the font height shifted right by 4 bits.
inline int shadowOffset(int fontHeight) {
    return fontHeight >> 4;
}
// Where the letter of the font example goes (its top-left), for font height h and turn a.
QPoint fontExampleOrigin(int h, int angle);

// Inverts the pixels of a line from a to b, the end point left out (as a line drawn in XOR mode
// to the next corner), so that drawing the same frame twice leaves the picture as it was.
void invertLine(QImage& picture, QPoint a, QPoint b);
// Inverts a whole frame (four lines, each corner once).
void invertFrame(QImage& picture, const std::array<QPoint, 4>& corners);

} // namespace winorbis::captions
