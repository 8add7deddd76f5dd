// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QDialog>

#include <memory>

namespace Ui {
class TForm3;
}

namespace winorbis {

// The catalog window: the RX catalog, the TX catalog and 18 pages of 25 general pictures.
class TForm3 : public QDialog {
    Q_OBJECT
public:
    explicit TForm3(QWidget* parent = nullptr);
    ~TForm3() override;

private:
    std::unique_ptr<Ui::TForm3> ui_;
};

} // namespace winorbis
