// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "ClickTracker.h"

#include "platform/Colour.h"

#include <QImage>
#include <QString>
#include <QWidget>

namespace winorbis {

// The flying button: the program's push button, a caption on a coloured face with
// rounded corners. Up, the face stands at the top left over a grey drop shadow; a press with any
// mouse button moves the face onto the shadow's place and the release moves it back. Every
// property setter paints at once; every paint centres the caption anew and writes the position to
// TextLeft and TextTop. The pictures are drawn into the control's canvas image, which stands in
// for the parent's surface of the windowless original, and reach the screen synchronously. A
// hidden button draws its picture when it is next asked for (the canvas, the text position, its
// first showing), so that a window full of buttons is not drawn over and over while it is built.
// A disabled button shows its picture under a grey veil, so that it is told apart at a glance.
class TFlyingButton : public QWidget {
    Q_OBJECT
    // Published properties in the order the layouts stream them.
    Q_PROPERTY(TButtonType Buttontype READ Buttontype WRITE setButtontype)
    Q_PROPERTY(int TextLeft READ TextLeft WRITE setTextLeft)
    Q_PROPERTY(int TextTop READ TextTop WRITE setTextTop)
    Q_PROPERTY(QString Text READ Text WRITE setText)
    Q_PROPERTY(TButtonState ButtonState READ ButtonState WRITE setButtonState)
    Q_PROPERTY(winorbis::TColor FaceColor READ FaceColor WRITE setFaceColor)
    Q_PROPERTY(QFont Font READ font WRITE setFont)

public:
    enum TButtonType { btRahmen = 0, btOhneRahmen = 1 };
    Q_ENUM(TButtonType)
    enum TButtonState { stUp = 0, stDown = 1 };
    Q_ENUM(TButtonState)

    static constexpr int kDefaultWidth = 75;
    static constexpr int kDefaultHeight = 33;

    // A new button: 75 x 33, FaceColor 255 (clRed), stUp, empty caption, btRahmen.
    explicit TFlyingButton(QWidget* parent = nullptr);
    // A framed button as the windows lay them out: its name, caption, place, face and font.
    static TFlyingButton* make(QWidget* parent, const QString& objectName, const QString& text,
                               const QRect& geometry, TColor face, const QFont& font);
    // The "System" face at a pixel height, bold or not, as most of the windows' buttons use it.
    static QFont systemFont(int pixels, bool bold);

    TButtonType Buttontype() const { return buttonType_; }
    int TextLeft() const {
        drawPending();
        return textLeft_;
    }
    int TextTop() const {
        drawPending();
        return textTop_;
    }
    QString Text() const { return text_; }
    TButtonState ButtonState() const { return buttonState_; }
    TColor FaceColor() const { return faceColor_; }

    // Each setter stores the value and paints at once, also when the value is unchanged.
    void setButtontype(TButtonType value);
    void setTextLeft(int value);
    void setTextTop(int value);
    void setText(const QString& value);
    void setButtonState(TButtonState value);
    void setFaceColor(TColor value);

    // The paint step: draws the up picture for stUp, the down picture for stDown and nothing for
    // any other state, and brings it to the screen at once when the button is shown.
    void Paint();

    // The picture as last painted (the control's surface).
    const QImage& canvas() const {
        drawPending();
        return canvas_;
    }

signals:
    // Raised with the mouse button, the modifier keys and the position in the control.
    void OnMouseDown(Qt::MouseButton button, Qt::KeyboardModifiers shift, int x, int y);
    void OnMouseUp(Qt::MouseButton button, Qt::KeyboardModifiers shift, int x, int y);
    // The left button released inside the control after a press on it; raised before the button
    // is drawn up again.
    void OnClick();
    void OnDblClick();

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    // Draws the picture of the current state into the canvas and centres the caption.
    void renderCanvas();
    // Draws the picture a paint of the hidden button asked for, if any.
    void drawPending() const;
    // The mouse-down handling: OnMouseDown, then stDown (which paints), then one more paint.
    void mouseDown(Qt::MouseButton button, Qt::KeyboardModifiers shift, QPoint at);

    QString text_;
    TColor faceColor_ = colours::clRed;
    TButtonState buttonState_ = stUp;
    int textLeft_ = 0;
    int textTop_ = 0;
    TButtonType buttonType_ = btRahmen;

    QImage canvas_;
    bool canvasFresh_ = false; // the canvas was just drawn for a synchronous repaint
    bool pending_ = false;     // a paint while hidden: the picture is drawn when needed
    ClickTracker clicks_;
};

} // namespace winorbis
