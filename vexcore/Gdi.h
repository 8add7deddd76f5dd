// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "vexcore/vexcore.h"

#include "vexcore/HandleTable.h"
#include "vexcore/Palette.h"

#include <QColor>
#include <QImage>
#include <QPainter>

#include <memory>
#include <vector>

namespace winorbis::vex {

// A device-dependent bitmap: pixels as a 32-bit RGB image.
struct Bitmap {
    QImage image;
};

// A device context: a painter (its transform is the mapping mode) with the text and background
// colours of text output. An image context owns its image and painter.
struct DeviceContext {
    QPainter* painter = nullptr;
    std::unique_ptr<QImage> image;
    std::unique_ptr<QPainter> ownPainter;
    COLORREF textColor = 0x000000;
    COLORREF bkColor = 0xFFFFFF;
};

HandleTable<Bitmap>& bitmaps();
HandleTable<DeviceContext>& deviceContexts();

QColor toQColor(COLORREF colour);
COLORREF fromQColor(const QColor& colour);

// A device context over a painter for the time of one paint: found by handle while it lives.
class ScopedPainterDC {
public:
    explicit ScopedPainterDC(QPainter* painter);
    ~ScopedPainterDC();
    ScopedPainterDC(const ScopedPainterDC&) = delete;
    ScopedPainterDC& operator=(const ScopedPainterDC&) = delete;

    HDC handle() const { return handle_; }
    DeviceContext& context() { return *context_; }

private:
    HDC handle_ = nullptr;
    DeviceContext* context_ = nullptr;
};

} // namespace winorbis::vex
