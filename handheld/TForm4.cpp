// SPDX-License-Identifier: GPL-3.0-or-later
#include "TForm4.h"

#include "ui_TForm4.h"

namespace winorbis {

TForm4::TForm4(QWidget* parent)
    : QDialog(parent)
    , ui_(std::make_unique<Ui::TForm4>()) {
    ui_->setupUi(this);
    setFixedSize(size());
    // The memory page, text and function controls are set up here.
}

TForm4::~TForm4() = default;

} // namespace winorbis
