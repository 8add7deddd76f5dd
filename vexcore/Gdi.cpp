// SPDX-License-Identifier: GPL-3.0-or-later
// Bitmaps and device contexts over Qt images and painters, and DrawBitmap.
#include "vexcore/Gdi.h"

#include <QTransform>

#include <cstring>
#include <limits>

namespace winorbis::vex {

HandleTable<Bitmap>& bitmaps() {
    static HandleTable<Bitmap> table;
    return table;
}

HandleTable<DeviceContext>& deviceContexts() {
    static HandleTable<DeviceContext> table;
    return table;
}

QColor toQColor(COLORREF colour) {
    return QColor(int(colour & 0xFF), int(colour >> 8 & 0xFF), int(colour >> 16 & 0xFF));
}

COLORREF fromQColor(const QColor& colour) {
    return COLORREF(colour.red()) | COLORREF(colour.green()) << 8 | COLORREF(colour.blue()) << 16;
}

ScopedPainterDC::ScopedPainterDC(QPainter* painter) {
    auto context = std::make_unique<DeviceContext>();
    context->painter = painter;
    context_ = context.get();
    handle_ = toHandle<HDC>(deviceContexts().add(std::move(context)));
}

ScopedPainterDC::~ScopedPainterDC() {
    deviceContexts().remove(handle_);
}

} // namespace winorbis::vex

using namespace winorbis::vex;

namespace {

// Largest side of a bitmap or image context, as the system's 16-bit drawing coordinates allow.
constexpr int kMaxSide = 32767;

bool validSize(int width, int height) {
    return width > 0 && height > 0 && width <= kMaxSide && height <= kMaxSide;
}

} // namespace

HBITMAP VexCreateBitmap(int width, int height, const COLORREF* pixels) {
    if (!validSize(width, height))
        return nullptr;
    auto bitmap = std::make_unique<Bitmap>();
    bitmap->image = QImage(width, height, QImage::Format_RGB32);
    if (bitmap->image.isNull())
        return nullptr;
    bitmap->image.fill(Qt::black);
    if (pixels != nullptr) {
        for (int y = 0; y < height; ++y) {
            auto* line = reinterpret_cast<QRgb*>(bitmap->image.scanLine(y));
            for (int x = 0; x < width; ++x) {
                const COLORREF c = pixels[std::size_t(y) * std::size_t(width) + std::size_t(x)];
                line[x] = qRgb(int(c & 0xFF), int(c >> 8 & 0xFF), int(c >> 16 & 0xFF));
            }
        }
    }
    return toHandle<HBITMAP>(bitmaps().add(std::move(bitmap)));
}

HBITMAP VexBitmapFromQImage(const void* qimage) {
    if (qimage == nullptr)
        return nullptr;
    const auto& source = *static_cast<const QImage*>(qimage);
    if (source.isNull() || !validSize(source.width(), source.height()))
        return nullptr;
    auto bitmap = std::make_unique<Bitmap>();
    bitmap->image = source.convertToFormat(QImage::Format_RGB32);
    if (bitmap->image.isNull())
        return nullptr;
    return toHandle<HBITMAP>(bitmaps().add(std::move(bitmap)));
}

BOOL VexDeleteObject(HGDIOBJ object) {
    if (palettes().remove(object))
        return 1;
    return bitmaps().remove(object) ? 1 : 0;
}

HDC VexCreateImageDC(int width, int height) {
    if (!validSize(width, height))
        return nullptr;
    auto context = std::make_unique<DeviceContext>();
    context->image = std::make_unique<QImage>(width, height, QImage::Format_RGB32);
    if (context->image->isNull())
        return nullptr;
    context->image->fill(Qt::white);
    context->ownPainter = std::make_unique<QPainter>(context->image.get());
    context->painter = context->ownPainter.get();
    return toHandle<HDC>(deviceContexts().add(std::move(context)));
}

HDC VexCreatePainterDC(void* qpainter) {
    auto* painter = static_cast<QPainter*>(qpainter);
    if (painter == nullptr || !painter->isActive())
        return nullptr;
    auto context = std::make_unique<DeviceContext>();
    context->painter = painter;
    return toHandle<HDC>(deviceContexts().add(std::move(context)));
}

COLORREF VexGetPixel(HDC dc, int x, int y) {
    COLORREF result = CLR_INVALID;
    deviceContexts().with(dc, [&](DeviceContext& context) {
        if (context.image && context.image->valid(x, y))
            result = fromQColor(QColor(context.image->pixel(x, y)));
    });
    return result;
}

COLORREF VexGetTextColor(HDC dc) {
    COLORREF result = CLR_INVALID;
    deviceContexts().with(dc, [&](DeviceContext& context) { result = context.textColor; });
    return result;
}

COLORREF VexGetBkColor(HDC dc) {
    COLORREF result = CLR_INVALID;
    deviceContexts().with(dc, [&](DeviceContext& context) { result = context.bkColor; });
    return result;
}

BOOL VexDeleteDC(HDC dc) {
    std::unique_ptr<DeviceContext> context = deviceContexts().remove(dc);
    if (!context)
        return 0;
    if (context->ownPainter)
        context->ownPainter->end();
    return 1;
}

void VEXAPI DrawBitmap(HDC dc, HBITMAP bitmapHandle, int x, int y) {
    if (bitmapHandle == nullptr)
        return;
    DeviceContext* context = deviceContexts().find(dc);
    Bitmap* bitmap = bitmaps().find(bitmapHandle);
    if (context == nullptr || bitmap == nullptr || context->painter == nullptr ||
        !context->painter->isActive())
        return;
    QPainter& painter = *context->painter;
    // The bitmap's size in device units becomes logical units of the target's mapping mode, so
    // the copy covers exactly the bitmap's pixels on the device.
    bool invertible = false;
    const QTransform toLogical = painter.worldTransform().inverted(&invertible);
    if (!invertible)
        return;
    const QPointF origin = toLogical.map(QPointF(0, 0));
    const QPointF corner = toLogical.map(QPointF(bitmap->image.width(), bitmap->image.height()));
    const QRectF target(static_cast<std::int16_t>(x), static_cast<std::int16_t>(y),
                        corner.x() - origin.x(), corner.y() - origin.y());
    const QPainter::CompositionMode mode = painter.compositionMode();
    painter.setCompositionMode(QPainter::CompositionMode_Source);
    painter.drawImage(target, bitmap->image);
    painter.setCompositionMode(mode);
}
