// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

namespace winorbis {

class TFlyingButton;
class TForm1;

// The row of the main window's general buttons below the RX window: "Exit", "Help", "Info",
// "Setup" and "Tune", silver flying buttons in "System" at 13 pixels. The button of an objectName
// (FlyingButton13, 14, 15, 16, 22), made at its place in the row the first time it is asked for;
// nullptr for any other name.
TFlyingButton* commandRowButton(TForm1& main, const QString& objectName);

} // namespace winorbis
