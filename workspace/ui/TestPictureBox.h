// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QList>
#include <QScrollArea>

class QLabel;

namespace winorbis {

// The scroll box of the test pictures on the main window: five thumbnails, top to
// bottom Image20, Image14, Image21, Image22 and Image24, each standing for test picture 0 .. 4.
// A click with the left mouse button on a thumbnail reports its number.
class TestPictureBox : public QScrollArea {
    Q_OBJECT
public:
    static constexpr QSize kBoxSize{91, 163};

    explicit TestPictureBox(QWidget* parent = nullptr);

    QLabel* thumbnail(int index) const { return thumbnails_.value(index); }

signals:
    // Test picture index (0 .. 4) was clicked with the left mouse button.
    void testPictureClicked(int index);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QList<QLabel*> thumbnails_;
};

} // namespace winorbis
