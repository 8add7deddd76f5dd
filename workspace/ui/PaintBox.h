// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QImage>
#include <QWidget>

#include <functional>

namespace winorbis {

// A picture window of the main window: paints one of the working pictures on its background,
// either 1:1 from the top-left corner (the TX window, and only while it is enabled to paint) or
// scaled into the window (the RX window).
class PaintBox : public QWidget {
    Q_OBJECT
public:
    // Scaled: the converter's memory picture (410 x 256) fills the whole window as it always has;
    // a picture of any other size (one received at its mode's own size) keeps its aspect,
    // centred on the background.
    enum class Fit { OneToOne, Scaled };
    // Where a picture of the given size is painted in a window of the given size.
    static QRect scaledPlace(QSize picture, QSize window);

    explicit PaintBox(QWidget* parent = nullptr);

    // The picture to paint; it must outlive the window or be replaced before it goes.
    void setPicture(const QImage* picture) { picture_ = picture; }
    void setFit(Fit fit) { fit_ = fit; }
    // The TX window paints only while the current picture file is non-empty.
    void setPaintsPicture(bool paints) { paints_ = paints; }
    void setBackground(const QColor& colour);

    // Marks drawn over the picture on the screen only (the caption frames): they get a picture of
    // what the window shows and change its pixels. shownPicture() leaves them out.
    void setOverlay(std::function<void(QImage&)> overlay) {
        overlay_ = std::move(overlay);
        update();
    }

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
    std::function<void(QImage&)> overlay_;
};

} // namespace winorbis
