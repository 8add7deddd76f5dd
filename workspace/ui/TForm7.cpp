// SPDX-License-Identifier: GPL-3.0-or-later
#include "TForm7.h"

#include "ui_TForm7.h"

#include <QPixmap>

namespace winorbis {

TForm7::TForm7(QWidget* parent)
    : QWidget(parent, Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint)
    , ui_(std::make_unique<Ui::TForm7>()) {
    ui_->setupUi(this);
    setFixedSize(kClientSize);
    // Closing the preview never ends the program.
    setAttribute(Qt::WA_QuitOnClose, false);
}

TForm7::~TForm7() = default;

QLabel* TForm7::pictureControl() const {
    return ui_->Image1;
}

void TForm7::showPicture(const QImage& picture) {
    picture_ = picture;
    ui_->Image1->setScaledContents(true);
    ui_->Image1->setPixmap(QPixmap::fromImage(picture));
}

QImage TForm7::clientImage() {
    QImage client(kClientSize, QImage::Format_RGB32);
    client.fill(palette().window().color());
    render(&client, QPoint(), QRegion(QRect(QPoint(0, 0), kClientSize)));
    return client;
}

} // namespace winorbis
