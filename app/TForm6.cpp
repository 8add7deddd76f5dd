// SPDX-License-Identifier: GPL-3.0-or-later
#include "TForm6.h"

#include "ui_TForm6.h"

#include <QMouseEvent>

namespace winorbis {

TForm6::TForm6(QWidget* parent)
    : QDialog(parent)
    , ui_(std::make_unique<Ui::TForm6>()) {
    ui_->setupUi(this);
    setFixedSize(size());
    connect(ui_->OKBtn, &QPushButton::clicked, this, &QDialog::accept);
    // A click on the labels closes the window as well.
    ui_->Label1->installEventFilter(this);
    ui_->Label2->installEventFilter(this);
}

TForm6::~TForm6() = default;

void TForm6::mousePressEvent(QMouseEvent* event) {
    event->accept();
    accept();
}

bool TForm6::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::MouseButtonPress) {
        accept();
        return true;
    }
    return QDialog::eventFilter(watched, event);
}

} // namespace winorbis
