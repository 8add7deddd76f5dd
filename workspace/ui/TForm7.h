// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QImage>
#include <QSize>
#include <QWidget>

#include <memory>

class QLabel;

namespace Ui {
class TForm7;
}

namespace winorbis {

// The print preview window: a fixed window whose picture control (Image1, a little larger than
// the client area) shows the picture to be printed, scaled to fit. What the client area shows
// is what goes on the page.
class TForm7 : public QWidget {
    Q_OBJECT
public:
    static constexpr QSize kClientSize{325, 257};

    explicit TForm7(QWidget* parent = nullptr);
    ~TForm7() override;

    // Puts the picture into the picture control, scaled to fit the control.
    void showPicture(const QImage& picture);
    // The picture the control holds (unscaled); null before the first one.
    QImage picture() const { return picture_; }
    // The client area as it is drawn on the screen (325 x 257).
    QImage clientImage();
    QLabel* pictureControl() const;

private:
    std::unique_ptr<Ui::TForm7> ui_;
    QImage picture_;
};

} // namespace winorbis
