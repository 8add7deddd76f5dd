// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QWidget>

#include <memory>

namespace Ui {
class TForm7;
}

namespace winorbis {

// The print preview window: the picture to be printed, scaled to fit.
class TForm7 : public QWidget {
    Q_OBJECT
public:
    explicit TForm7(QWidget* parent = nullptr);
    ~TForm7() override;

private:
    std::unique_ptr<Ui::TForm7> ui_;
};

} // namespace winorbis
