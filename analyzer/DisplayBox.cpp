// SPDX-License-Identifier: GPL-3.0-or-later
#include "DisplayBox.h"

#include <QPaintEvent>
#include <QPainter>

namespace winorbis {

DisplayBox::DisplayBox(QWidget* parent)
    : QWidget(parent) {
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void DisplayBox::resizeCanvas(QSize size) {
    canvas_ = QImage(size, QImage::Format_RGB32);
    canvas_.fill(Qt::black);
    update();
}

void DisplayBox::paintEvent(QPaintEvent* event) {
    QPainter painter(this);
    painter.drawImage(event->rect(), canvas_, event->rect());
}

} // namespace winorbis
