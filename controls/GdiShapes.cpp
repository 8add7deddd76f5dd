// SPDX-License-Identifier: GPL-3.0-or-later
#include "controls/GdiShapes.h"

#include <QPainter>

namespace winorbis::gdi {

void Rectangle(QPainter& painter, int left, int top, int right, int bottom, const QColor& pen,
               const QColor& brush) {
    const int w = right - left;
    const int h = bottom - top;
    if (w <= 0 || h <= 0)
        return;
    painter.fillRect(QRect(left, top, w, h), pen);
    if (w > 2 && h > 2)
        painter.fillRect(QRect(left + 1, top + 1, w - 2, h - 2), brush);
}

void RoundRect5(QPainter& painter, int left, int top, int right, int bottom, const QColor& pen,
                const QColor& brush) {
    const int w = right - left;
    const int h = bottom - top;
    if (w <= 2 || h <= 2) {
        Rectangle(painter, left, top, right, bottom, pen, brush);
        return;
    }
    // Top and bottom rows without their corner pixels, the rows between them whole.
    painter.fillRect(QRect(left + 1, top, w - 2, 1), pen);
    painter.fillRect(QRect(left + 1, bottom - 1, w - 2, 1), pen);
    painter.fillRect(QRect(left, top + 1, 1, h - 2), pen);
    painter.fillRect(QRect(right - 1, top + 1, 1, h - 2), pen);
    painter.fillRect(QRect(left + 1, top + 1, w - 2, h - 2), brush);
}

void Edge(QPainter& painter, const QRect& rect, const QColor& topLeft, const QColor& bottomRight) {
    if (rect.isEmpty())
        return;
    painter.fillRect(QRect(rect.left(), rect.top(), 1, rect.height()), topLeft);
    painter.fillRect(QRect(rect.left(), rect.top(), rect.width(), 1), topLeft);
    painter.fillRect(QRect(rect.right(), rect.top(), 1, rect.height()), bottomRight);
    painter.fillRect(QRect(rect.left(), rect.bottom(), rect.width(), 1), bottomRight);
}

} // namespace winorbis::gdi
