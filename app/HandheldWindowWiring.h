// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

namespace winorbis {

class Clock;
class Dialogs;
class TForm1;
class TForm4;

// Offers the VC-H1 settings window as "VC-H1 Setting..." in the main window's "&Special" menu; its
// exchanges speak to the operator through dialogs.
void connectHandheldWindow(TForm1& main, TForm4& window, Dialogs& dialogs, Clock& clock);

// Removes a pending caption or picture-in-picture frame, then opens the VC-H1 settings window
// while the link is idle, keeping the receive monitor off the port until it is closed; otherwise
// only says in the status bar that the converter is busy.
void Button5Click(TForm1& main, TForm4& window, Dialogs& dialogs, Clock& clock);

} // namespace winorbis
