// SPDX-License-Identifier: GPL-3.0-or-later
#include "CaptionRenderer.h"

#include "CaptionGeometry.h"

#include <QFontMetrics>
#include <QPainter>

namespace winorbis::captions {

namespace {

// Writes text with its top-left at the point, turned counter-clockwise about it.
void writeText(QPainter& painter, const QString& text, QPointF at, const QFont& font, double turn,
               TColor colour) {
    painter.save();
    painter.setFont(font);
    painter.setPen(colour.toQColor());
    painter.translate(at);
    painter.rotate(-turn);
    painter.drawText(QPointF(0, QFontMetrics(font).ascent()), text);
    painter.restore();
}

// The picture in a format that Qt paints on; the format is put back afterwards.
class PaintTarget {
public:
    explicit PaintTarget(QImage& picture)
        : picture_(picture)
        , format_(picture.format()) {
        if (format_ != QImage::Format_RGB32 && format_ != QImage::Format_ARGB32 &&
            format_ != QImage::Format_RGB888 && format_ != QImage::Format_ARGB32_Premultiplied)
            picture_ = picture_.convertToFormat(QImage::Format_RGB32);
    }
    ~PaintTarget() {
        if (picture_.format() != format_)
            picture_ = picture_.convertToFormat(format_);
    }
    PaintTarget(const PaintTarget&) = delete;
    PaintTarget& operator=(const PaintTarget&) = delete;

private:
    QImage& picture_;
    QImage::Format format_;
};

} // namespace

void renderCaption(QImage& picture, const QString& text, QPoint at, const CaptionStyle& style) {
    if (picture.isNull() || text.isEmpty())
        return;
    const PaintTarget target(picture);
    QPainter painter(&picture);
    const QFont font = style.font.toQFont();
    const double turn = style.font.turnDegrees();
    if (style.shadow) {
        const int offset = shadowOffset(style.font.height);
        writeText(painter, text, at + QPoint(offset, offset), font, turn, style.shadowColour);
    }
    writeText(painter, text, at, font, turn, style.textColour);
}

QImage fontExample(const CaptionStyle& style, int turnField) {
    QImage example(65, 56, QImage::Format_RGB32);
    example.fill(Qt::white);
    QPainter painter(&example);
    painter.setPen(Qt::black);
    painter.setBrush(QColor(128, 128, 128));
    painter.drawRect(0, 0, 63, 55); // the outline takes the pixels of (0,0)-(64,56) minus one
    const int h = style.font.height;
    const QPoint origin = fontExampleOrigin(h, turnField);
    const QFont font = style.font.toQFont();
    const double turn = style.font.turnDegrees();
    if (style.shadow) {
        const int offset = shadowOffset(h);
        writeText(painter, QStringLiteral("A"), origin + QPoint(offset, offset), font, turn,
                  style.shadowColour);
    }
    writeText(painter, QStringLiteral("A"), origin, font, turn, style.textColour);
    return example;
}

void pastePictureInPicture(QImage& tx, const QImage& rx, QRect source, QRect target, QSize window) {
    if (tx.isNull() || window.width() <= 0 || window.height() <= 0 || target.isEmpty())
        return;
    const QImage region = rx.copy(source); // outside the RX picture: black
    const PaintTarget paintable(tx);
    const QRect inPicture(target.x() * tx.width() / window.width(),
                          target.y() * tx.height() / window.height(),
                          target.width() * tx.width() / window.width(),
                          target.height() * tx.height() / window.height());
    // The window shows the TX picture 1:1; its region (0,0)-(351,239) with the window's paste is
    // what the TX picture holds there afterwards.
    const QRect windowRegion(0, 0, 352, 240);
    const QImage shown = tx.copy(windowRegion);
    QPainter painter(&tx);
    painter.setRenderHint(QPainter::SmoothPixmapTransform, false);
    painter.drawImage(inPicture, region);
    painter.setClipRect(windowRegion);
    painter.drawImage(QPoint(0, 0), shown);
    painter.drawImage(target, region);
}

void pasteCallsign(QImage& tx, const QImage& callsign) {
    if (tx.isNull() || callsign.isNull())
        return;
    // The corner of the 410 x 256 TX picture, at the same place in a picture of another size.
    const QPoint from(kCallsignCorner.x() * tx.width() / 410,
                      kCallsignCorner.y() * tx.height() / 256);
    const QRect corner(from, QPoint(tx.width() - 1, tx.height() - 1));
    if (corner.isEmpty())
        return;
    const PaintTarget paintable(tx);
    QPainter painter(&tx);
    painter.setRenderHint(QPainter::SmoothPixmapTransform, false);
    painter.drawImage(corner, callsign);
}

} // namespace winorbis::captions
