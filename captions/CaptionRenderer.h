// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "CaptionFont.h"

#include <QImage>
#include <QPoint>
#include <QRect>

namespace winorbis::captions {

// Burns a caption into a picture: with the shadow switch on, the text in the shadow colour at
// (x + h/16, y + h/16) first, then the text in the text colour with its top-left at (x, y), both
// turned by the font's escapement about (x, y). Text falling outside the picture is clipped.
void renderCaption(QImage& picture, const QString& text, QPoint at, const CaptionStyle& style);

// The font example: a 65 x 56 grey field in a 1-pixel outline with the letter "A" of the caption
// font (and its shadow) where fontExampleOrigin puts it for the turn field's value.
QImage fontExample(const CaptionStyle& style, int turnField);

// Picture in picture: the RX picture's source rectangle (counted from its top; what lies outside
// the picture is black) scaled into the target rectangle of the TX window, which shows the TX
// picture 1:1 from its top-left corner. The target is scaled into the TX picture in picture
// coordinates (x × picture width / window width, y likewise with the heights), and within the
// window's region (0,0)-(351,239) the TX picture takes the window's paste as it stands.
void pastePictureInPicture(QImage& tx, const QImage& rx, QRect source, QRect target, QSize window);

// The callsign picture scaled into the TX picture's corner from (300, 230) to its right and
// bottom edges (110 x 26 for a 410 x 256 picture).
void pasteCallsign(QImage& tx, const QImage& callsign);
inline const QPoint kCallsignCorner(300, 230);

} // namespace winorbis::captions
