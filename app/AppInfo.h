// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "platform/Version.h"

#include <QString>

namespace winorbis {

// The application object's title, also the title of every message box.
inline const QString kApplicationTitle = kVersionLine;
// The main window's caption.
inline const QString kMainCaption = QStringLiteral(" WinOrbis 70 p Version %1").arg(kVersion);

} // namespace winorbis
