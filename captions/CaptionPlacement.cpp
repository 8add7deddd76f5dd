// SPDX-License-Identifier: GPL-3.0-or-later
#include "CaptionPlacement.h"

#include "CaptionGeometry.h"
#include "CaptionRenderer.h"
#include "CaptionTexts.h"

#include "workspace/WorkingPictures.h"

#include <algorithm>

namespace winorbis {

CaptionPlacement::CaptionPlacement(WorkingPictures& pictures, CaptionPlacementHost& host)
    : pictures_(pictures)
    , host_(host) {}

void CaptionPlacement::changed() const {
    host_.framesChanged();
}

void CaptionPlacement::arm(const QString& text, const CaptionStyle& style, int angle) {
    frameShown_ = false;
    text_ = text.left(31);
    style_ = style;
    at_ = kArmedAt;
    h_ = style.font.height;
    w_ = captions::frameWidth(int(text_.size()), h_);
    angle_ = std::clamp(angle, 0, 90);
    frameShown_ = true;
    changed();
}

void CaptionPlacement::removeFrames() {
    const bool any = frameShown_ || pip_ != Pip::Off;
    if (frameShown_) {
        frameShown_ = false;
        at_ = {};
    }
    pip_ = Pip::Off;
    source_ = {};
    target_ = {};
    if (any)
        changed();
}

void CaptionPlacement::mouseMove(QPoint at) {
    if (frameShown_) {
        at_ = at;
        changed();
    } else if (pip_ == Pip::Placing) {
        target_.moveTopLeft(at);
        changed();
    } else if (pip_ == Pip::Sizing && at.x() > target_.x() + 20 && at.y() > target_.y() + 20) {
        target_.setSize({at.x() - target_.x(), at.y() - target_.y()});
        changed();
    }
}

bool CaptionPlacement::leftPress(QPoint at) {
    if (pip_ == Pip::Placing) {
        pip_ = Pip::Sizing; // the origin stays where it is
        return true;
    }
    if (pip_ == Pip::Sizing) {
        pasteTarget();
        return true;
    }
    // The drag state goes to "pressed" with the picture drags; the press point is the caption's.
    at_ = at;
    if (frameShown_)
        changed();
    return false;
}

bool CaptionPlacement::leftRelease(QPoint) {
    if (!frameShown_ || pip_ != Pip::Off)
        return pip_ != Pip::Off;
    if (host_.dragState() != DragState::TxPressed)
        return false;
    frameShown_ = false;
    captions::renderCaption(pictures_.tx, text_, at_, style_);
    at_ = {};
    host_.setDragState(DragState::Idle);
    // A captioned picture has no name.
    pictures_.txName = WorkingPictures::kNone;
    pictures_.draggedName = WorkingPictures::kNone;
    changed();
    host_.pictureChanged();
    return true;
}

void CaptionPlacement::pipButtonPress(QPoint inButton) {
    if (frameShown_) {
        frameShown_ = false;
        changed();
    }
    if (pip_ != Pip::Off)
        return;
    source_ = QRect(inButton, kSourceSize);
    pip_ = Pip::Placing;
    target_ = QRect(inButton, kTargetSize);
    changed();
    host_.showStatus(captiontext::kPictureInPictureStatus);
}

void CaptionPlacement::pipButtonRightPress() {
    const bool shown = pip_ != Pip::Off;
    pip_ = Pip::Off;
    source_ = {};
    target_ = {};
    if (shown)
        changed();
}

void CaptionPlacement::pasteTarget() {
    const QRect source = source_;
    const QRect target = target_;
    pip_ = Pip::Off;
    source_ = {};
    target_ = {};
    captions::pastePictureInPicture(pictures_.tx, pictures_.rx, source, target, window_);
    changed();
    host_.pictureChanged();
}

void CaptionPlacement::paintFrames(QImage& shown) const {
    if (frameShown_)
        captions::invertFrame(shown, captions::frameCorners(at_, w_, h_, angle_));
    if (pip_ != Pip::Off)
        captions::invertFrame(
            shown, captions::frameCorners(target_.topLeft(), target_.width(), target_.height(), 0));
}

} // namespace winorbis
