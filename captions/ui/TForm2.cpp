// SPDX-License-Identifier: GPL-3.0-or-later
#include "TForm2.h"

#include "ui_TForm2.h"

namespace winorbis {

TForm2::TForm2(QWidget* parent)
    : QDialog(parent)
    , ui_(std::make_unique<Ui::TForm2>()) {
    ui_->setupUi(this);
    setFixedSize(size());
    // The font list and its buttons are set up here.
}

TForm2::~TForm2() = default;

} // namespace winorbis
