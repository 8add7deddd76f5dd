// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QImage>
#include <QPointer>
#include <QWidget>

namespace winorbis {

// The rows of a picture that the built-in converter is receiving, drawn into the RX picture as
// they land and shown at once, so that the RX window grows line by line as the converter's
// screen does. Each row is placed as the fetch at the end places it, which then brings the same
// picture again.
class ReceivedRows {
public:
    // Where the rows go: the main window's RX picture and the window that shows it. Both must
    // outlive the calls to draw(); until then the rows are dropped.
    void showIn(QImage& picture, QWidget& window);
    // Row `row` of frame (the converter's 420 x 256 frame so far) into the picture, as the fetch
    // draws that line; the rows below stay what was shown.
    void draw(int row, const QImage& frame);

private:
    QImage* picture_ = nullptr;
    QPointer<QWidget> window_;
};

} // namespace winorbis
