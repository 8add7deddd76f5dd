// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QDialog>

#include <memory>

namespace Ui {
class TForm5;
}

namespace winorbis {

// The setup window: COM port, converter model, catalog beacon, ACQ/TX beacon and repeater switch.
class TForm5 : public QDialog {
    Q_OBJECT
public:
    explicit TForm5(QWidget* parent = nullptr);
    ~TForm5() override;

private:
    std::unique_ptr<Ui::TForm5> ui_;
};

} // namespace winorbis
