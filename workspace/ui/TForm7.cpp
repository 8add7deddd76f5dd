// SPDX-License-Identifier: GPL-3.0-or-later
#include "TForm7.h"

#include "ui_TForm7.h"

namespace winorbis {

TForm7::TForm7(QWidget* parent)
    : QWidget(parent)
    , ui_(std::make_unique<Ui::TForm7>()) {
    ui_->setupUi(this);
    setFixedSize(size());
    // The preview picture is shown here.
}

TForm7::~TForm7() = default;

} // namespace winorbis
