// SPDX-License-Identifier: GPL-3.0-or-later
#include "controls/ButtonPicture.h"

#include "controls/GdiShapes.h"

#include <QFontMetrics>
#include <QPainter>

namespace winorbis {

QFont CaptionFont(const QFont& font) {
    QFont caption(font.family());
    if (!font.families().isEmpty())
        caption.setFamilies(font.families());
    if (font.pointSizeF() > 0)
        caption.setPointSizeF(font.pointSizeF());
    else if (font.pixelSize() > 0)
        caption.setPixelSize(font.pixelSize());
    // Regular: what a fresh canvas font has, whatever the control's font says.
    caption.setWeight(QFont::Normal);
    caption.setItalic(false);
    caption.setUnderline(false);
    caption.setStrikeOut(false);
    return caption;
}

QPoint CentredTextPosition(QSize control, QSize text) {
    return {control.width() / 2 - text.width() / 2, control.height() / 2 - text.height() / 2};
}

QPoint DrawButtonPicture(QPainter& painter, QSize size, const ButtonLook& look) {
    const int w = size.width();
    const int h = size.height();
    painter.save();
    // 1. Clear the whole control to the window background.
    gdi::Rectangle(painter, 0, 0, w, h, look.background, look.background);
    int shift = -2;
    if (!look.down) {
        // 2. The drop shadow, 3. the face above it.
        gdi::RoundRect5(painter, 4, 4, w, h, look.shadow, look.shadow);
        gdi::RoundRect5(painter, 0, 0, w - 4, h - 4, look.outline, look.face);
    } else {
        // 2. The face in the shadow's place, no shadow.
        gdi::RoundRect5(painter, 4, 4, w, h, look.outline, look.face);
        shift = 2;
    }
    // Caption font and centring, measured with the canvas font.
    painter.setFont(look.font);
    const QFontMetrics metrics = painter.fontMetrics();
    const QSize text(metrics.horizontalAdvance(look.text), metrics.height());
    const QPoint centred = CentredTextPosition(size, text);
    if (!look.text.isEmpty()) {
        // Text out with the face colour as the opaque text background.
        const QPoint at = centred + QPoint(shift, shift);
        painter.fillRect(QRect(at, text), look.face);
        painter.setPen(look.textColour);
        painter.drawText(at + QPoint(0, metrics.ascent()), look.text);
    }
    painter.restore();
    return centred;
}

} // namespace winorbis
