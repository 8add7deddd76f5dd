// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

namespace winorbis {

class TForm1;
class Tunit8;

// The main window's way to the spectrum analyzer: the "Tune" button (FlyingButton22) in the
// bottom row, which shows the analyzer window without blocking or brings it to the front, and the
// program folder whose station options keep the analyzer's recording device.
void connectTuning(TForm1& form, Tunit8& unit8);

} // namespace winorbis
