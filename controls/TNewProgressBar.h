// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "ClickTracker.h"

#include "platform/Colour.h"

#include <QImage>
#include <QPixmap>
#include <QWidget>

namespace winorbis {

// The segmented progress bar: blocks with 2-pixel gaps, drawn as filled rectangles in
// up to three colour zones or as copies of a block picture, lying horizontally or vertically and
// filling from either end; the places not yet reached can show a disabled colour or picture. The
// blocks are drawn into the off-screen bitmap (the bar's inner area) and reach the screen in one
// copy. Position, Min and Max draw the blocks at once; the other properties invalidate the
// control, which then paints its frame and blocks at the next paint.
class TNewProgressBar : public QWidget {
    Q_OBJECT
    // Published properties in the order the layouts stream them.
    Q_PROPERTY(bool AutoSize READ AutoSize WRITE setAutoSize)
    Q_PROPERTY(QPixmap BlockBitmap READ BlockBitmap WRITE setBlockBitmap)
    Q_PROPERTY(QPixmap DisableBlockBitmap READ DisableBlockBitmap WRITE setDisableBlockBitmap)
    Q_PROPERTY(TPBStyle Style READ Style WRITE setStyle)
    Q_PROPERTY(winorbis::TColor Color READ Color WRITE setColor)
    Q_PROPERTY(winorbis::TColor StartColor READ StartColor WRITE setStartColor)
    Q_PROPERTY(winorbis::TColor MiddleColor READ MiddleColor WRITE setMiddleColor)
    Q_PROPERTY(winorbis::TColor EndColor READ EndColor WRITE setEndColor)
    Q_PROPERTY(winorbis::TColor DisableColor READ DisableColor WRITE setDisableColor)
    Q_PROPERTY(TPBColorStyle ColorStyle READ ColorStyle WRITE setColorStyle)
    Q_PROPERTY(bool Frame READ Frame WRITE setFrame)
    Q_PROPERTY(TPBFrameStyle FrameStyle READ FrameStyle WRITE setFrameStyle)
    Q_PROPERTY(bool ShowDisableBlocks READ ShowDisableBlocks WRITE setShowDisableBlocks)
    Q_PROPERTY(TPBOrientation Orientation READ Orientation WRITE setOrientation)
    Q_PROPERTY(TPBDirection Direction READ Direction WRITE setDirection)
    Q_PROPERTY(bool SquareBlocks READ SquareBlocks WRITE setSquareBlocks)
    Q_PROPERTY(int BlockWide READ BlockWide WRITE setBlockWide)
    Q_PROPERTY(int Position READ Position WRITE setPosition)
    Q_PROPERTY(int Max READ Max WRITE setMax)
    Q_PROPERTY(int Min READ Min WRITE setMin)

public:
    enum TPBStyle { pbBitmap = 0, pbRectangle = 1 };
    Q_ENUM(TPBStyle)
    enum TPBColorStyle { csOne = 0, csTwo = 1, csThree = 2 };
    Q_ENUM(TPBColorStyle)
    enum TPBFrameStyle { fsSunken = 0, fsRaised = 1 };
    Q_ENUM(TPBFrameStyle)
    enum TPBOrientation { otHorizontal = 0, otVertical = 1 };
    Q_ENUM(TPBOrientation)
    enum TPBDirection { dtNormal = 0, dtInvert = 1 };
    Q_ENUM(TPBDirection)

    static constexpr int kDefaultWidth = 100;
    static constexpr int kDefaultHeight = 17;

    // A new bar: 100 x 17 with its initial values and three empty bitmaps.
    explicit TNewProgressBar(QWidget* parent = nullptr);

    bool AutoSize() const { return autoSize_; }
    QPixmap BlockBitmap() const { return blockBitmap_; }
    QPixmap DisableBlockBitmap() const { return disableBlockBitmap_; }
    TPBStyle Style() const { return style_; }
    TColor Color() const { return color_; }
    TColor StartColor() const { return startColor_; }
    TColor MiddleColor() const { return middleColor_; }
    TColor EndColor() const { return endColor_; }
    TColor DisableColor() const { return disableColor_; }
    TPBColorStyle ColorStyle() const { return colorStyle_; }
    bool Frame() const { return frame_; }
    TPBFrameStyle FrameStyle() const { return frameStyle_; }
    bool ShowDisableBlocks() const { return showDisableBlocks_; }
    TPBOrientation Orientation() const { return orientation_; }
    TPBDirection Direction() const { return direction_; }
    bool SquareBlocks() const { return squareBlocks_; }
    int BlockWide() const { return blockWide_; }
    int Position() const { return position_; }
    int Max() const { return max_; }
    int Min() const { return min_; }

    // Switching on fits the control to whole blocks at once (FitToBlocks); switching off and
    // on again fits it again.
    void setAutoSize(bool value);
    // Copies the picture; an empty picture ends pbBitmap (pbRectangle takes over).
    void setBlockBitmap(const QPixmap& value);
    // Copies the picture; an empty picture ends ShowDisableBlocks while pbBitmap is in force.
    void setDisableBlockBitmap(const QPixmap& value);
    // pbBitmap is refused while BlockBitmap is empty.
    void setStyle(TPBStyle value);
    using QWidget::setStyle; // the widget's QStyle setter stays reachable
    void setColor(TColor value);
    void setStartColor(TColor value);
    void setMiddleColor(TColor value);
    void setEndColor(TColor value);
    void setDisableColor(TColor value);
    void setColorStyle(TPBColorStyle value);
    void setFrame(bool value);
    void setFrameStyle(TPBFrameStyle value);
    // Switching on is refused while pbBitmap is in force and DisableBlockBitmap is empty.
    void setShowDisableBlocks(bool value);
    void setOrientation(TPBOrientation value);
    void setDirection(TPBDirection value);
    void setSquareBlocks(bool value);
    // Values below 1 are refused (the system ignores 0; negative lengths have no meaning).
    void setBlockWide(int value);
    // Position, Max and Min draw the blocks at once when the value changes.
    void setPosition(int value);
    void setMax(int value);
    void setMin(int value);

    // The length of one block along the bar, in pixels.
    int BlockLength() const;
    // The number of block places along the off-screen bitmap.
    int BlockCount() const;
    // Resizes the control to a whole number of blocks, judged by the off-screen bitmap of the
    // last block paint; paints frame and blocks when it set a size. True when it set a size.
    bool FitToBlocks();
    // Draws the blocks into the off-screen bitmap (resized to the inner area first) and copies
    // it to the screen at once when the bar is shown. An inner area without pixels (a control
    // smaller than 5 pixels) gets no blocks.
    void PaintBlocks();

    // The off-screen bitmap's size: (Width - 4) x (Height - 4) of the last block paint, held at
    // 0; 0 x 0 before the first.
    QSize OffscreenSize() const { return offscreenSize_; }
    // The off-screen bitmap as last drawn (null while it has no pixels).
    const QImage& Offscreen() const { return offscreen_; }

public slots:
    // The block pictures' change notification: invalidates the control.
    void Changed();

signals:
    void OnClick();
    void OnDblClick();
    void OnMouseDown(Qt::MouseButton button, Qt::KeyboardModifiers shift, int x, int y);
    void OnMouseMove(Qt::KeyboardModifiers shift, int x, int y);
    void OnMouseUp(Qt::MouseButton button, Qt::KeyboardModifiers shift, int x, int y);

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;

private:
    // PaintFrame: the background in Color and the one-pixel edge.
    void paintFrame(QPainter& painter) const;
    // The block drawing of PaintBlocks, into the off-screen bitmap only.
    void drawBlocks();
    // Copies the inner area (fresh blocks) or the whole control to the screen at once.
    void pushToScreen(bool whole);

    bool autoSize_ = false;
    QImage offscreen_;
    QSize offscreenSize_{0, 0};
    QPixmap blockBitmap_;
    QPixmap disableBlockBitmap_;
    TPBStyle style_ = pbRectangle;
    TColor color_ = colours::clBtnFace;
    TColor startColor_ = colours::clWhite;
    TColor middleColor_ = colours::clYellow;
    TColor endColor_ = colours::clRed;
    TColor disableColor_ = colours::clGray;
    TPBColorStyle colorStyle_ = csThree;
    bool frame_ = true;
    TPBFrameStyle frameStyle_ = fsSunken;
    bool showDisableBlocks_ = false;
    TPBOrientation orientation_ = otHorizontal;
    TPBDirection direction_ = dtNormal;
    bool squareBlocks_ = true;
    int blockWide_ = 5;
    int position_ = 0;
    int min_ = 0;
    int max_ = 10;

    bool blocksFresh_ = false; // the blocks were just drawn for a synchronous repaint
    ClickTracker clicks_;
};

} // namespace winorbis
