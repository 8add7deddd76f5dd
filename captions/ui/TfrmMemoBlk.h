// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QWidget>

#include <memory>

namespace Ui {
class TfrmMemoBlk;
}

namespace winorbis {

// The standard-text window: the outline library of standard texts kept in a text file.
class TfrmMemoBlk : public QWidget {
    Q_OBJECT
public:
    explicit TfrmMemoBlk(QWidget* parent = nullptr);
    ~TfrmMemoBlk() override;

private:
    std::unique_ptr<Ui::TfrmMemoBlk> ui_;
};

} // namespace winorbis
