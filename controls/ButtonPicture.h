// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QColor>
#include <QFont>
#include <QPoint>
#include <QSize>
#include <QString>

class QPainter;

namespace winorbis {

// Draws the flying button's up and down pictures with the colours already resolved,
// and works out where the caption goes. Free of any window, so the pictures can be checked pixel
// by pixel.
struct ButtonLook {
    QString text;
    QFont font;        // the caption font, see CaptionFont
    QColor background; // clBtnFace: the control's background
    QColor shadow;     // clBtnShadow: the drop shadow
    QColor face;       // FaceColor: the face and the caption's background
    QColor outline;    // black for btRahmen, the face colour for btOhneRahmen
    QColor textColour; // clWindowText: the canvas font's own colour
    bool down = false; // the down picture (stDown) instead of the up picture (stUp)
};

// The canvas font for the caption: the point size (or, for a font given in pixels, the pixel
// size) and the face name of the control's font; weight, slant, underline, strike-out and colour
// stay the canvas font's own (regular).
QFont CaptionFont(const QFont& font);

// The centred caption position (TextLeft, TextTop): W div 2 - tw div 2, H div 2 - th div 2, with
// div truncating toward zero.
QPoint CentredTextPosition(QSize control, QSize text);

// Draws the up or down picture over the rectangle (0, 0, size) and returns the centred caption
// position that the paint writes to TextLeft and TextTop. The caption is drawn at that position
// moved by -2 (up) or +2 (down) on an opaque background of the face colour, clipped by the
// painter's device.
QPoint DrawButtonPicture(QPainter& painter, QSize size, const ButtonLook& look);

} // namespace winorbis
