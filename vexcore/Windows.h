// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "vexcore/vexcore.h"

#include <QByteArray>
#include <QString>

class QWidget;

namespace winorbis::vex {

// A window that answers the library's messages (the progress dialog and its bar).
class MessageTarget {
public:
    virtual ~MessageTarget() = default;
    virtual LRESULT message(UINT message, WPARAM wParam, LPARAM lParam) = 0;
};

// True when this thread may make widgets: it runs the QApplication, or no application exists
// yet and one could be made (a display is reachable or a platform is named).
bool ensureWidgets();
// True on the thread of a running QApplication.
bool onWidgetThread();
// The live widget behind a window handle; null for anything else or off the widget thread.
QWidget* toWidget(HWND window);
HWND toWindow(QWidget* widget);

// 8-bit texts in the process's multibyte code page. Bytes that do not decode are taken as
// Latin-1; characters the code page lacks become '?'.
QString fromAnsi(LPCSTR text);
QByteArray toAnsi(const QString& text);

// The cursor the library has set: IDC_ARROW or IDC_WAIT. The hourglass overrides the
// application's cursors until the arrow is set again.
void setCursorShape(int id);
int cursorShape();

} // namespace winorbis::vex
