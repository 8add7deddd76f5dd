// SPDX-License-Identifier: GPL-3.0-or-later
#include "TForm5.h"

#include "ui_TForm5.h"

namespace winorbis {

TForm5::TForm5(QWidget* parent)
    : QDialog(parent)
    , ui_(std::make_unique<Ui::TForm5>()) {
    ui_->setupUi(this);
    setFixedSize(size());
    // The port, model and beacon controls are set up here.
}

TForm5::~TForm5() = default;

} // namespace winorbis
