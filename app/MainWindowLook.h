// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

#include <functional>

class QWidget;

namespace Ui {
class TForm1;
}

namespace winorbis {

// The main window's TX and RX windows' fit and background, its tool buttons' icons and texts, and
// the status texts shown while the mouse moves over the controls (given to showStatus).
void dressMainWindow(Ui::TForm1& ui, QWidget* window,
                     const std::function<void(const QString&)>& showStatus);

} // namespace winorbis
