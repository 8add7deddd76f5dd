// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QDialog>

#include <memory>

namespace Ui {
class TForm4;
}

namespace winorbis {

// The VC-H1 settings window: memory pages, texts, colours and function switches of the handheld.
class TForm4 : public QDialog {
    Q_OBJECT
public:
    explicit TForm4(QWidget* parent = nullptr);
    ~TForm4() override;

private:
    std::unique_ptr<Ui::TForm4> ui_;
};

} // namespace winorbis
