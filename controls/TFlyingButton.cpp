// SPDX-License-Identifier: GPL-3.0-or-later
#include "controls/TFlyingButton.h"

#include "controls/ButtonPicture.h"
#include "controls/ColourProperty.h"

#include <QMouseEvent>
#include <QPainter>
#include <QScopedValueRollback>

namespace winorbis {

TFlyingButton* TFlyingButton::make(QWidget* parent, const QString& objectName, const QString& text,
                                   const QRect& geometry, TColor face, const QFont& font) {
    auto* button = new TFlyingButton(parent);
    button->setObjectName(objectName);
    button->setGeometry(geometry);
    button->setButtontype(btRahmen);
    button->setFaceColor(face);
    button->setFont(font);
    button->setText(text);
    return button;
}

QFont TFlyingButton::systemFont(int pixels, bool bold) {
    QFont font(QStringLiteral("System"));
    font.setPixelSize(pixels);
    font.setBold(bold);
    return font;
}

TFlyingButton::TFlyingButton(QWidget* parent)
    : QWidget(parent) {
    RegisterColourProperty();
    // The pictures cover the whole control, so Qt need not clear it first.
    setAttribute(Qt::WA_OpaquePaintEvent);
    resize(kDefaultWidth, kDefaultHeight);
}

void TFlyingButton::setButtontype(TButtonType value) {
    buttonType_ = value;
    Paint();
}

void TFlyingButton::setTextLeft(int value) {
    textLeft_ = value;
    Paint();
}

void TFlyingButton::setTextTop(int value) {
    textTop_ = value;
    Paint();
}

void TFlyingButton::setText(const QString& value) {
    text_ = value;
    Paint();
}

void TFlyingButton::setButtonState(TButtonState value) {
    // A state without a picture leaves the last one: the one asked for before is drawn first.
    if (value != stUp && value != stDown)
        drawPending();
    buttonState_ = value;
    Paint();
}

void TFlyingButton::setFaceColor(TColor value) {
    faceColor_ = value;
    Paint();
}

void TFlyingButton::renderCanvas() {
    pending_ = false;
    if (buttonState_ != stUp && buttonState_ != stDown)
        return; // no picture for an unknown state: the surface stays as it was
    const qreal ratio = devicePixelRatioF();
    const QSize pixels = (QSizeF(size()) * ratio).toSize();
    if (canvas_.size() != pixels || canvas_.devicePixelRatio() != ratio) {
        canvas_ = QImage(pixels, QImage::Format_RGB32);
        canvas_.setDevicePixelRatio(ratio);
    }
    if (canvas_.isNull()) {
        // No surface (an empty control): the caption is still centred.
        const QFontMetrics metrics(CaptionFont(font()));
        const QPoint centred =
            CentredTextPosition(size(), QSize(metrics.horizontalAdvance(text_), metrics.height()));
        textLeft_ = centred.x();
        textTop_ = centred.y();
        return;
    }
    ButtonLook look;
    look.text = text_;
    look.font = CaptionFont(font());
    look.background = colours::clBtnFace.toQColor();
    look.shadow = colours::clBtnShadow.toQColor();
    look.face = faceColor_.toQColor();
    look.outline = buttonType_ == btRahmen ? colours::clBlack.toQColor() : look.face;
    look.textColour = colours::clWindowText.toQColor();
    look.down = buttonState_ == stDown;
    QPainter painter(&canvas_);
    const QPoint centred = DrawButtonPicture(painter, size(), look);
    textLeft_ = centred.x();
    textTop_ = centred.y();
}

void TFlyingButton::drawPending() const {
    if (pending_)
        const_cast<TFlyingButton*>(this)->renderCanvas();
}

void TFlyingButton::Paint() {
    if (!isVisible()) {
        pending_ = true;
        return;
    }
    renderCanvas();
    // repaint() paints at once when the button is shown; the canvas is fresh, so the paint event
    // only copies it.
    const QScopedValueRollback fresh(canvasFresh_, true);
    repaint();
}

void TFlyingButton::paintEvent(QPaintEvent*) {
    if (!canvasFresh_)
        renderCanvas();
    QPainter painter(this);
    if (!canvas_.isNull())
        painter.drawImage(0, 0, canvas_);
    if (!isEnabled())
        painter.fillRect(rect(), QColor(160, 160, 160, 170));
}

void TFlyingButton::mouseDown(Qt::MouseButton button, Qt::KeyboardModifiers shift, QPoint at) {
    emit OnMouseDown(button, shift, at.x(), at.y());
    setButtonState(stDown);
    Paint();
}

void TFlyingButton::mousePressEvent(QMouseEvent* event) {
    clicks_.press(event->button());
    mouseDown(event->button(), event->modifiers(), event->position().toPoint());
}

void TFlyingButton::mouseReleaseEvent(QMouseEvent* event) {
    const QPoint at = event->position().toPoint();
    // The click comes first, while the button is still drawn down.
    if (clicks_.release(event->button(), rect().contains(at)))
        emit OnClick();
    emit OnMouseUp(event->button(), event->modifiers(), at.x(), at.y());
    setButtonState(stUp);
    Paint();
}

void TFlyingButton::mouseDoubleClickEvent(QMouseEvent* event) {
    const ClickTracker::DoubleClick twice = clicks_.doubleClick(event->button());
    if (twice.report)
        emit OnDblClick();
    if (!twice.press)
        return;
    mouseDown(event->button(), event->modifiers(), event->position().toPoint());
}

void TFlyingButton::changeEvent(QEvent* event) {
    // A new font, desktop palette or enabled state shows at the next paint.
    if (event->type() == QEvent::FontChange || event->type() == QEvent::PaletteChange ||
        event->type() == QEvent::EnabledChange)
        update();
    QWidget::changeEvent(event);
}

} // namespace winorbis
