// SPDX-License-Identifier: GPL-3.0-or-later
#include "TMainForm.h"

#include "ui_TMainForm.h"

namespace winorbis {

TMainForm::TMainForm(QWidget* parent)
    : QMainWindow(parent)
    , ui_(std::make_unique<Ui::TMainForm>()) {
    ui_->setupUi(this);
    move(200, 99);
    // The table grid, its tool buttons and menu are set up here.
}

TMainForm::~TMainForm() = default;

} // namespace winorbis
