// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

namespace winorbis {

// The application object's title, also the title of every message box.
inline const QString kApplicationTitle = QStringLiteral("WinOrbis 70p Version 3.00e");
// The main window's caption.
inline const QString kMainCaption = QStringLiteral(" WinOrbis 70 p Version 3.00e");

} // namespace winorbis
