// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QStringList>

namespace winorbis {

// orbis-sim --handheld: the simulated VC-H1 handheld on a pseudo-terminal or a serial device,
// preset from a file and options, with preset and fault lines taken on standard input. Runs the
// application's event loop; returns the exit status.
int runHandheldSimulator(const QStringList& arguments);

} // namespace winorbis
