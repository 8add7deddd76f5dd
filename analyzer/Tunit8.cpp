// SPDX-License-Identifier: GPL-3.0-or-later
#include "Tunit8.h"

#include "ui_Tunit8.h"

namespace winorbis {

Tunit8::Tunit8(QWidget* parent)
    : QWidget(parent)
    , ui_(std::make_unique<Ui::Tunit8>()) {
    ui_->setupUi(this);
    setFixedSize(size());
    // The display box, scale and buttons are set up here.
}

Tunit8::~Tunit8() = default;

} // namespace winorbis
