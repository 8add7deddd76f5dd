// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QWidget>

#include <memory>

namespace Ui {
class Tunit8;
}

namespace winorbis {

// The spectrum analyzer window: the distribution of the audio input's frequency as a tuning aid.
class Tunit8 : public QWidget {
    Q_OBJECT
public:
    explicit Tunit8(QWidget* parent = nullptr);
    ~Tunit8() override;

private:
    std::unique_ptr<Ui::Tunit8> ui_;
};

} // namespace winorbis
