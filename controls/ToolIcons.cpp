// SPDX-License-Identifier: GPL-3.0-or-later
#include "ToolIcons.h"

#include <QApplication>
#include <QIconEngine>
#include <QPainter>
#include <QPixmap>

#include <functional>

namespace winorbis::ToolIcons {

namespace {

// Stands for the style's icon until it is needed.
class DeferredStandardIcon final : public QIconEngine {
public:
    explicit DeferredStandardIcon(QStyle::StandardPixmap which)
        : which_(which) {}

    void paint(QPainter* painter, const QRect& rect, QIcon::Mode mode,
               QIcon::State state) override {
        icon().paint(painter, rect, Qt::AlignCenter, mode, state);
    }
    QPixmap pixmap(const QSize& size, QIcon::Mode mode, QIcon::State state) override {
        return icon().pixmap(size, mode, state);
    }
    QPixmap scaledPixmap(const QSize& size, QIcon::Mode mode, QIcon::State state,
                         qreal scale) override {
        return icon().pixmap(size, scale, mode, state);
    }
    QSize actualSize(const QSize& size, QIcon::Mode mode, QIcon::State state) override {
        return icon().actualSize(size, mode, state);
    }
    QList<QSize> availableSizes(QIcon::Mode mode, QIcon::State state) override {
        return icon().availableSizes(mode, state);
    }
    bool isNull() override { return false; }
    QString key() const override { return QStringLiteral("winorbis-deferred-standard"); }
    QIconEngine* clone() const override { return new DeferredStandardIcon(which_); }

private:
    const QIcon& icon() {
        if (icon_.isNull())
            icon_ = QApplication::style()->standardIcon(which_);
        return icon_;
    }

    QStyle::StandardPixmap which_;
    QIcon icon_;
};

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

QIcon standard(QStyle::StandardPixmap which) {
    return QIcon(new DeferredStandardIcon(which));
}

} // namespace winorbis::ToolIcons
