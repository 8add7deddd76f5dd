// SPDX-License-Identifier: GPL-3.0-or-later
#include "TForm3.h"

#include "ui_TForm3.h"

namespace winorbis {

TForm3::TForm3(QWidget* parent)
    : QDialog(parent)
    , ui_(std::make_unique<Ui::TForm3>()) {
    ui_->setupUi(this);
    setFixedSize(size());
    // The three catalog panels are set up here.
}

TForm3::~TForm3() = default;

} // namespace winorbis
