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

QRect PaintBox::scaledPlace(QSize picture, QSize window) {
    if (picture == QSize(410, 256) || picture.isEmpty())
        return QRect(QPoint(0, 0), window);
    const QSize kept = picture.scaled(window, Qt::KeepAspectRatio);
    return QRect(QPoint((window.width() - kept.width()) / 2, (window.height() - kept.height()) / 2),
                 kept);
}

void PaintBox::paintOn(QPainter& painter) const {
    painter.fillRect(QRect(QPoint(0, 0), size()), background_);
    if (!picture_ || picture_->isNull() || !paints_)
        return;
    if (fit_ == Fit::Scaled) {
        // The memory picture as it always was; a received picture at its own size smoothly.
        painter.setRenderHint(QPainter::SmoothPixmapTransform, picture_->size() != QSize(410, 256));
        painter.drawImage(scaledPlace(picture_->size(), size()), *picture_);
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
