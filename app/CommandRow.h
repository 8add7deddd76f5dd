// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <array>

class QWidget;

namespace winorbis {

class TFlyingButton;

// The row of the main window's general buttons below the RX window, in its order.
enum class RowCommand { Exit, Help, Info, Setup, Tune };
inline constexpr int kRowCommands = 5;

// Makes the row on the main window's client area: "Exit", "Help", "Info", "Setup" and "Tune",
// silver flying buttons in "System" at 13 pixels (FlyingButton13, 14, 15, 16, 22), indexed by
// RowCommand.
std::array<TFlyingButton*, kRowCommands> makeCommandRow(QWidget* clientArea);

} // namespace winorbis
