// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QPoint>
#include <QRect>
#include <QSize>

class QWidget;

namespace winorbis {

// Where a window opens: centred on another window (the main window), as dialogs open, and kept
// within the screen's free area.
QPoint centredPosition(QSize window, const QRect& over, const QRect& screen);

// Moves window so that it opens centred on over's window and keeps it above that window;
// nothing when over is null or not shown.
void centreOver(QWidget& window, const QWidget* over);

} // namespace winorbis
