// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QImage>
#include <QWidget>

namespace winorbis {

// A picture window of the main window: paints one of the working pictures on its background,
// either 1:1 from the top-left corner (the TX window, and only while it is enabled to paint) or
// scaled into the whole window (the RX window).
class PaintBox : public QWidget {
    Q_OBJECT
public:
    enum class Fit { OneToOne, Scaled };

    explicit PaintBox(QWidget* parent = nullptr);

    // The picture to paint; it must outlive the window or be replaced before it goes.
    void setPicture(const QImage* picture) { picture_ = picture; }
    void setFit(Fit fit) { fit_ = fit; }
    // The TX window paints only while the current picture file is non-empty.
    void setPaintsPicture(bool paints) { paints_ = paints; }
    void setBackground(const QColor& colour);

    // The window as it is shown, as a picture of its own size.
    QImage shownPicture() const;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    void paintOn(QPainter& painter) const;

    const QImage* picture_ = nullptr;
    Fit fit_ = Fit::OneToOne;
    bool paints_ = true;
    QColor background_ = Qt::gray;
};

} // namespace winorbis
