// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QImage>
#include <QWidget>

namespace winorbis {

// The display box of the analyzer window: a canvas the window draws on directly, shown as it was
// last drawn.
class DisplayBox : public QWidget {
    Q_OBJECT
public:
    explicit DisplayBox(QWidget* parent = nullptr);

    // Makes a black canvas of the given size.
    void resizeCanvas(QSize size);
    QImage& canvas() { return canvas_; }
    const QImage& canvas() const { return canvas_; }
    // Brings what was drawn on the canvas to the screen.
    void present() { update(); }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QImage canvas_;
};

} // namespace winorbis
