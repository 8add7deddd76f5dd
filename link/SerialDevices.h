// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QStringList>

namespace winorbis {

// The serial devices present, as the setup window offers them: the stable names under
// /dev/serial/by-id first, then /dev/ttyUSB*, /dev/ttyACM* and /dev/ttyS* that exist. devRoot
// stands for "/dev" (tests give a folder of their own).
QStringList presentSerialDevices(const QString& devRoot = QStringLiteral("/dev"));

} // namespace winorbis
