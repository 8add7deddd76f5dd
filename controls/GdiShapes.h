// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QColor>
#include <QRect>

class QPainter;

namespace winorbis::gdi {

// The few platform drawing calls the two controls use, drawn pixel by pixel as the platform's
// graphics device draws them, so that both controls look the same on every desktop. Rectangles
// are (left, top, right, bottom) with the right and bottom edge excluded, like the platform's.

// Rectangle(l, t, r, b) with a one-pixel pen and a solid brush: the edge pixels in the pen's
// colour, the inside in the brush's.
void Rectangle(QPainter& painter, int left, int top, int right, int bottom, const QColor& pen,
               const QColor& brush);

// RoundRect(l, t, r, b, 5, 5) with a one-pixel pen and a solid brush: a rectangle whose corners
// follow a 5 x 5 ellipse, which at this size takes off the four corner pixels; the outline in the
// pen's colour, the inside in the brush's. Shapes 2 pixels or thinner are plain rectangles.
void RoundRect5(QPainter& painter, int left, int top, int right, int bottom, const QColor& pen,
                const QColor& brush);

// DrawEdge with a single one-pixel border on all four sides: the left and top lines in
// topLeft, then the right and bottom lines in bottomRight (which so owns the top-right and
// bottom-left corner pixels).
void Edge(QPainter& painter, const QRect& rect, const QColor& topLeft, const QColor& bottomRight);

} // namespace winorbis::gdi
