// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "CaptionFont.h"

#include "workspace/PictureDrag.h"

#include <QImage>
#include <QPoint>
#include <QRect>
#include <QString>

namespace winorbis {

struct WorkingPictures;

// The window around the placement: the picture drags' state shared with the TX window, the TX
// window's repaints, the TX picture shown again, and the status line. The caption workspace
// implements it.
class CaptionPlacementHost {
public:
    virtual ~CaptionPlacementHost() = default;
    virtual DragState dragState() const = 0;
    virtual void setDragState(DragState state) = 0;
    // The TX window repaints its frames.
    virtual void framesChanged() = 0;
    // The TX picture changed: show it.
    virtual void pictureChanged() = 0;
    virtual void showStatus(const QString& text) = 0;
};

// Where a caption goes on the TX window and when it is burnt in; also the picture-in-picture
// function, which uses the same rubber-band frames. The frames are shown on the TX window only
// (paintFrames inverts their pixels on what the window shows) and never reach the TX picture.
//
// A caption is armed with its text and style; its frame follows the mouse over the TX window and a
// left click burns it into the TX picture. Picture in picture: state 0 idle, 2 the target frame
// follows the mouse, 3 the frame's size follows it; the next click pastes the RX picture's source
// rectangle scaled into the frame.
class CaptionPlacement {
public:
    static constexpr QPoint kArmedAt{5, 220};
    static constexpr QSize kSourceSize{395, 240};
    static constexpr QSize kTargetSize{203, 126};

    CaptionPlacement(WorkingPictures& pictures, CaptionPlacementHost& host);

    // Arms a caption: a frame still shown goes, the frame of the text's size turned by angle
    // (the turn field's value, 0..90) stands at (5, 220).
    void arm(const QString& text, const CaptionStyle& style, int angle);
    // Erases every frame and drops the pending caption and the picture-in-picture state.
    void removeFrames();

    // The picture-in-picture placement: off, its frame following the mouse, its frame's size
    // following the mouse from a fixed corner.
    enum class Pip { Off, Placing, Sizing };
    bool frameShown() const { return frameShown_; }
    // True while a caption frame or a picture-in-picture frame is on the TX window.
    bool framesShown() const { return frameShown_ || pip_ != Pip::Off; }
    Pip pipState() const { return pip_; }
    QPoint position() const { return at_; }
    QSize frameSize() const { return {w_, h_}; }
    int frameAngle() const { return angle_; }
    const QString& pendingText() const { return text_; }
    const CaptionStyle& pendingStyle() const { return style_; }
    QRect targetFrame() const { return target_; }

    // The TX window's mouse. Each returns true when it took the event, so that no picture drag
    // or click-to-reload sees it.
    void mouseMove(QPoint at);
    bool leftPress(QPoint at);
    bool leftRelease(QPoint at);
    void rightPress() { removeFrames(); }

    // The picture-in-picture button: a left press at a point within the button starts it, a right
    // press cancels it. window: the TX window's size, for the paste into the TX picture.
    void pipButtonPress(QPoint inButton);
    void pipButtonRightPress();
    void setWindowSize(QSize window) { window_ = window; }

    // Inverts the shown frames' pixels on a picture of what the TX window shows.
    void paintFrames(QImage& shown) const;

private:
    void changed() const;
    void pasteTarget();

    WorkingPictures& pictures_;
    CaptionPlacementHost& host_;
    QString text_;
    CaptionStyle style_;
    QPoint at_;
    int w_ = 0;
    int h_ = 0;
    int angle_ = 0;
    bool frameShown_ = false;
    Pip pip_ = Pip::Off;
    QRect source_;
    QRect target_;
    QSize window_{411, 256};
};

} // namespace winorbis
