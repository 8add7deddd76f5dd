// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QIcon>
#include <QStyle>

namespace winorbis {

// Small pictures for tool buttons that the desktop style has none for, drawn at 16 x 16 and 32 x
// 32: the copy icon (two sheets, one over the other) and the paste icon (a sheet on a clipboard).
namespace ToolIcons {
QIcon copy();
QIcon paste();
// The application style's standard icon, made when it is first drawn or measured: the style reads
// every size of it from its images at once, which a window hidden at start need not pay for.
QIcon standard(QStyle::StandardPixmap which);
} // namespace ToolIcons

} // namespace winorbis
