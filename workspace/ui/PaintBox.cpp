// SPDX-License-Identifier: GPL-3.0-or-later
#include "PaintBox.h"

#include <QPainter>

namespace winorbis {

PaintBox::PaintBox(QWidget* parent)
    : QWidget(parent) {
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void PaintBox::setBackground(const QColor& colour) {
    background_ = colour;
    update();
}

void PaintBox::paintOn(QPainter& painter) const {
    painter.fillRect(QRect(QPoint(0, 0), size()), background_);
    if (!picture_ || picture_->isNull() || !paints_)
        return;
    if (fit_ == Fit::Scaled) {
        painter.setRenderHint(QPainter::SmoothPixmapTransform, false);
        painter.drawImage(QRect(QPoint(0, 0), size()), *picture_);
    } else {
        painter.drawImage(QPoint(0, 0), *picture_);
    }
}

void PaintBox::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    if (!overlay_) {
        paintOn(painter);
        return;
    }
    QImage shown(size(), QImage::Format_RGB32);
    {
        QPainter onPicture(&shown);
        paintOn(onPicture);
    }
    overlay_(shown);
    painter.drawImage(QPoint(0, 0), shown);
}

QImage PaintBox::shownPicture() const {
    QImage shown(size(), QImage::Format_RGB888);
    QPainter painter(&shown);
    paintOn(painter);
    return shown;
}

} // namespace winorbis
