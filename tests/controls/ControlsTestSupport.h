// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "platform/Colour.h"

#include <QEvent>
#include <QImage>
#include <QObject>
#include <QPaintEvent>
#include <QRect>
#include <QWidget>

#include <gtest/gtest.h>

namespace winorbis::test {

// Helpers for the pictures of the two controls: grabbing a widget into an image, reading
// pixels as the program's colour values, and counting the paints a widget receives.

// The widget as its paint event draws it, one image pixel per widget pixel.
inline QImage Grab(QWidget& widget) {
    return widget.grab().toImage().convertToFormat(QImage::Format_RGB32);
}

// The colour at (x, y) as an RGB value 0x00BBGGRR.
inline TColor At(const QImage& image, int x, int y) {
    return TColor::fromQColor(image.pixelColor(x, y));
}

// The RGB value of a colour as it shows (system colours resolved through the palette).
inline TColor Shown(TColor colour) {
    return TColor::fromQColor(colour.toQColor());
}

// True when every pixel of the rectangle has the colour.
inline ::testing::AssertionResult Filled(const QImage& image, const QRect& rect, TColor colour) {
    const TColor want = Shown(colour);
    for (int y = rect.top(); y <= rect.bottom(); ++y)
        for (int x = rect.left(); x <= rect.right(); ++x)
            if (At(image, x, y) != want)
                return ::testing::AssertionFailure()
                       << "pixel (" << x << ", " << y << ") is 0x" << std::hex
                       << At(image, x, y).value() << ", not 0x" << want.value();
    return ::testing::AssertionSuccess();
}

// How many pixels of the rectangle have the colour.
inline int Count(const QImage& image, const QRect& rect, TColor colour) {
    const TColor want = Shown(colour);
    int count = 0;
    for (int y = rect.top(); y <= rect.bottom(); ++y)
        for (int x = rect.left(); x <= rect.right(); ++x)
            if (At(image, x, y) == want)
                ++count;
    return count;
}

// Counts the paint events a widget receives and keeps the region of the last one.
class PaintCounter : public QObject {
public:
    explicit PaintCounter(QWidget& widget) { widget.installEventFilter(this); }
    int count = 0;
    QRegion lastRegion;

protected:
    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() == QEvent::Paint) {
            ++count;
            lastRegion = static_cast<QPaintEvent*>(event)->region();
        }
        return false;
    }
};

} // namespace winorbis::test
