// SPDX-License-Identifier: GPL-3.0-or-later
#include "TfrmMemoBlk.h"

#include "ui_TfrmMemoBlk.h"

namespace winorbis {

TfrmMemoBlk::TfrmMemoBlk(QWidget* parent)
    : QWidget(parent)
    , ui_(std::make_unique<Ui::TfrmMemoBlk>()) {
    ui_->setupUi(this);
    // The outline list and its buttons are set up here.
}

TfrmMemoBlk::~TfrmMemoBlk() = default;

} // namespace winorbis
