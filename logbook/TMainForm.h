// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QMainWindow>

#include <memory>

namespace Ui {
class TMainForm;
}

namespace winorbis {

// The log book window: a QSO table opened, browsed and edited in a grid.
class TMainForm : public QMainWindow {
    Q_OBJECT
public:
    explicit TMainForm(QWidget* parent = nullptr);
    ~TMainForm() override;

private:
    std::unique_ptr<Ui::TMainForm> ui_;
};

} // namespace winorbis
