// SPDX-License-Identifier: GPL-3.0-or-later
#include "ToolIcons.h"

#include <QPainter>
#include <QPixmap>

#include <functional>

namespace winorbis::ToolIcons {

namespace {

const QColor kOutline(60, 60, 60);
const QColor kSheet(255, 255, 255);
const QColor kBoard(176, 128, 64);
const QColor kClip(150, 150, 150);

// One drawing in 16 x 16 units, made at both sizes.
QIcon drawn(const std::function<void(QPainter&)>& draw) {
    QIcon icon;
    for (const int size : {16, 32}) {
        QPixmap pixmap(size, size);
        pixmap.fill(Qt::transparent);
        QPainter painter(&pixmap);
        painter.setRenderHint(QPainter::Antialiasing);
        painter.scale(size / 16.0, size / 16.0);
        painter.setPen(QPen(kOutline, 1));
        draw(painter);
        painter.end();
        icon.addPixmap(pixmap);
    }
    return icon;
}

void sheet(QPainter& painter, const QRectF& r) {
    painter.setBrush(kSheet);
    painter.drawRect(r);
    for (double y = r.top() + 3; y < r.bottom() - 1; y += 2.5)
        painter.drawLine(QPointF(r.left() + 2, y), QPointF(r.right() - 2, y));
}

} // namespace

QIcon copy() {
    return drawn([](QPainter& painter) {
        sheet(painter, QRectF(1.5, 1.5, 8, 10));
        sheet(painter, QRectF(6.5, 4.5, 8, 10));
    });
}

QIcon paste() {
    return drawn([](QPainter& painter) {
        painter.setBrush(kBoard);
        painter.drawRect(QRectF(1.5, 2.5, 10, 12));
        painter.setBrush(kClip);
        painter.drawRect(QRectF(4.5, 1.5, 4, 2.5));
        sheet(painter, QRectF(6.5, 6.5, 8, 8.5));
    });
}

} // namespace winorbis::ToolIcons
