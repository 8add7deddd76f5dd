// SPDX-License-Identifier: GPL-3.0-or-later
#include "controls/TNewProgressBar.h"

#include "controls/BlockGeometry.h"
#include "controls/ColourProperty.h"
#include "controls/GdiShapes.h"

#include <QMouseEvent>
#include <QPainter>
#include <QScopedValueRollback>

#include <algorithm>

namespace winorbis {

namespace {

// The inner border: the off-screen bitmap sits at (2, 2) and is 4 pixels smaller than the control.
constexpr int kBorder = 2;

// Stores a value that differs from the field's; true when it did.
template <typename T> bool assign(T& field, T value) {
    if (field == value)
        return false;
    field = value;
    return true;
}

int heldSize(std::int64_t value) {
    return int(std::clamp<std::int64_t>(value, 0, QWIDGETSIZE_MAX));
}

} // namespace

TNewProgressBar::TNewProgressBar(QWidget* parent)
    : QWidget(parent) {
    RegisterColourProperty();
    // Frame and blocks cover the whole control, so Qt need not clear it first.
    setAttribute(Qt::WA_OpaquePaintEvent);
    // The mouse-move event comes without a pressed button as well.
    setMouseTracking(true);
    resize(kDefaultWidth, kDefaultHeight);
}

void TNewProgressBar::Changed() {
    update();
}

// The invalidating setters: a different value is stored and the control invalidated.
void TNewProgressBar::setColor(TColor value) {
    if (assign(color_, value))
        update();
}

void TNewProgressBar::setStartColor(TColor value) {
    if (assign(startColor_, value))
        update();
}

void TNewProgressBar::setMiddleColor(TColor value) {
    if (assign(middleColor_, value))
        update();
}

void TNewProgressBar::setEndColor(TColor value) {
    if (assign(endColor_, value))
        update();
}

void TNewProgressBar::setDisableColor(TColor value) {
    if (assign(disableColor_, value))
        update();
}

void TNewProgressBar::setColorStyle(TPBColorStyle value) {
    if (assign(colorStyle_, value))
        update();
}

void TNewProgressBar::setFrame(bool value) {
    if (assign(frame_, value))
        update();
}

void TNewProgressBar::setFrameStyle(TPBFrameStyle value) {
    if (assign(frameStyle_, value))
        update();
}

void TNewProgressBar::setOrientation(TPBOrientation value) {
    if (assign(orientation_, value))
        update();
}

void TNewProgressBar::setDirection(TPBDirection value) {
    if (assign(direction_, value))
        update();
}

void TNewProgressBar::setSquareBlocks(bool value) {
    if (assign(squareBlocks_, value))
        update();
}

void TNewProgressBar::setBlockWide(int value) {
    if (value == blockWide_ || value < 1)
        return;
    blockWide_ = value;
    update();
}

void TNewProgressBar::setStyle(TPBStyle value) {
    if (value == style_)
        return;
    if (value == pbBitmap && blockBitmap_.isNull())
        return;
    style_ = value;
    update();
}

void TNewProgressBar::setShowDisableBlocks(bool value) {
    if (value == showDisableBlocks_)
        return;
    if (value && style_ == pbBitmap && disableBlockBitmap_.isNull())
        return;
    showDisableBlocks_ = value;
    update();
}

void TNewProgressBar::setBlockBitmap(const QPixmap& value) {
    blockBitmap_ = value;
    Changed();
    if (style_ == pbBitmap && blockBitmap_.isNull())
        setStyle(pbRectangle);
}

void TNewProgressBar::setDisableBlockBitmap(const QPixmap& value) {
    disableBlockBitmap_ = value;
    Changed();
    if (showDisableBlocks_ && style_ == pbBitmap && disableBlockBitmap_.isNull())
        setShowDisableBlocks(false);
}

void TNewProgressBar::setPosition(int value) {
    if (value == position_)
        return;
    position_ = value;
    PaintBlocks();
}

void TNewProgressBar::setMax(int value) {
    if (value == max_)
        return;
    max_ = value;
    PaintBlocks();
}

void TNewProgressBar::setMin(int value) {
    if (value == min_)
        return;
    min_ = value;
    PaintBlocks();
}

void TNewProgressBar::setAutoSize(bool value) {
    if (value == autoSize_)
        return;
    autoSize_ = value;
    if (autoSize_)
        FitToBlocks();
}

int TNewProgressBar::BlockLength() const {
    const bool vertical = orientation_ == otVertical;
    if (!squareBlocks_)
        return blockWide_;
    if (style_ == pbRectangle)
        return vertical ? offscreenSize_.width() : offscreenSize_.height();
    return vertical ? blockBitmap_.height() : blockBitmap_.width();
}

int TNewProgressBar::BlockCount() const {
    const int length =
        orientation_ == otVertical ? offscreenSize_.height() : offscreenSize_.width();
    return blocks::BlockCount(length, BlockLength());
}

bool TNewProgressBar::FitToBlocks() {
    const int len = BlockLength();
    const int n = BlockCount();
    const std::int64_t needed = blocks::NeededLength(len, n);
    const int outer = heldSize(needed + 2 * kBorder);
    bool changed = false;
    if (orientation_ == otHorizontal) {
        if (offscreenSize_.width() != needed) {
            resize(outer, height());
            changed = true;
        }
        if (style_ == pbBitmap && offscreenSize_.height() != blockBitmap_.height()) {
            resize(width(), heldSize(std::int64_t(blockBitmap_.height()) + 2 * kBorder));
            changed = true;
        }
    } else {
        if (style_ == pbBitmap && offscreenSize_.width() != blockBitmap_.width()) {
            resize(heldSize(std::int64_t(blockBitmap_.width()) + 2 * kBorder), height());
            changed = true;
        }
        if (offscreenSize_.height() != needed) {
            resize(width(), outer);
            changed = true;
        }
    }
    if (changed) {
        // PaintFrame, then PaintBlocks, at once.
        drawBlocks();
        pushToScreen(true);
    }
    return changed;
}

void TNewProgressBar::drawBlocks() {
    // 1. The off-screen bitmap takes the inner area's size.
    offscreenSize_ = QSize(std::max(0, width() - 2 * kBorder), std::max(0, height() - 2 * kBorder));
    if (offscreenSize_.isEmpty()) {
        offscreen_ = QImage();
        return; // no inner area: no blocks
    }
    if (offscreen_.size() != offscreenSize_)
        offscreen_ = QImage(offscreenSize_, QImage::Format_RGB32);

    // 2. The background.
    QPainter painter(&offscreen_);
    painter.fillRect(offscreen_.rect(), color_.toQColor());

    // 3. to 5. The block places.
    const int len = BlockLength();
    const int n = BlockCount();
    const std::int64_t lit = blocks::ReachedBlocks(position_, min_, max_, n);
    const bool vertical = orientation_ == otVertical;
    const bool invert = direction_ == dtInvert;
    const QColor disabled = disableColor_.toQColor();
    const QColor zoneColours[] = {startColor_.toQColor(), middleColor_.toQColor(),
                                  endColor_.toQColor()};
    // A same-sized copy of the picture's top-left part; an empty or smaller picture copies only
    // the pixels it has.
    const auto copyPicture = [&painter](const QRect& block, const QPixmap& picture) {
        const QRect source = QRect(QPoint(0, 0), block.size()) & picture.rect();
        if (!source.isEmpty())
            painter.drawPixmap(block.topLeft(), picture, source);
    };
    for (int i = 1; i <= n; ++i) {
        const QRect block = blocks::BlockRect(vertical, invert, offscreenSize_, len, i);
        const bool notReached = showDisableBlocks_ && lit < i;
        if (style_ == pbBitmap) {
            if (notReached)
                copyPicture(block, disableBlockBitmap_);
            else if (lit > 0)
                copyPicture(block, blockBitmap_);
        } else {
            if (notReached) {
                painter.fillRect(block, disabled);
            } else if (lit > 0) {
                const auto zone = blocks::BlockZone(int(colorStyle_), i, n);
                painter.fillRect(block, zoneColours[int(zone)]);
            }
        }
        if (!showDisableBlocks_ && lit == i)
            break;
    }
}

void TNewProgressBar::PaintBlocks() {
    drawBlocks();
    // 6. One copy of the off-screen bitmap to the screen.
    pushToScreen(false);
}

void TNewProgressBar::pushToScreen(bool whole) {
    const QScopedValueRollback fresh(blocksFresh_, true);
    if (whole)
        repaint();
    else if (!offscreenSize_.isEmpty())
        repaint(QRect(QPoint(kBorder, kBorder), offscreenSize_));
}

void TNewProgressBar::paintFrame(QPainter& painter) const {
    painter.fillRect(rect(), color_.toQColor());
    if (!frame_)
        return;
    const QColor shadow = colours::clBtnShadow.toQColor();
    const QColor highlight = colours::clBtnHighlight.toQColor();
    if (frameStyle_ == fsSunken)
        gdi::Edge(painter, rect(), shadow, highlight); // sunken outer
    else
        gdi::Edge(painter, rect(), highlight, shadow); // raised inner
}

void TNewProgressBar::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    paintFrame(painter);
    if (!blocksFresh_)
        drawBlocks();
    if (!offscreen_.isNull())
        painter.drawImage(kBorder, kBorder, offscreen_);
}

void TNewProgressBar::mousePressEvent(QMouseEvent* event) {
    clicks_.press(event->button());
    const QPoint at = event->position().toPoint();
    emit OnMouseDown(event->button(), event->modifiers(), at.x(), at.y());
}

void TNewProgressBar::mouseMoveEvent(QMouseEvent* event) {
    const QPoint at = event->position().toPoint();
    emit OnMouseMove(event->modifiers(), at.x(), at.y());
}

void TNewProgressBar::mouseReleaseEvent(QMouseEvent* event) {
    const QPoint at = event->position().toPoint();
    if (clicks_.release(event->button(), rect().contains(at)))
        emit OnClick();
    emit OnMouseUp(event->button(), event->modifiers(), at.x(), at.y());
}

void TNewProgressBar::mouseDoubleClickEvent(QMouseEvent* event) {
    const ClickTracker::DoubleClick twice = clicks_.doubleClick(event->button());
    if (twice.report)
        emit OnDblClick();
    if (!twice.press)
        return;
    const QPoint at = event->position().toPoint();
    emit OnMouseDown(event->button(), event->modifiers(), at.x(), at.y());
}

} // namespace winorbis
