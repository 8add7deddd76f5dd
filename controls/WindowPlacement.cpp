// SPDX-License-Identifier: GPL-3.0-or-later
#include "WindowPlacement.h"

#include <QScreen>
#include <QWidget>
#include <QWindow>

#include <algorithm>

namespace winorbis {

QPoint centredPosition(QSize window, const QRect& over, const QRect& screen) {
    QPoint at(over.x() + (over.width() - window.width()) / 2,
              over.y() + (over.height() - window.height()) / 2);
    if (screen.isValid()) {
        // A window larger than the screen keeps its top-left corner on it.
        at.setX(std::max(screen.left(), std::min(at.x(), screen.right() + 1 - window.width())));
        at.setY(std::max(screen.top(), std::min(at.y(), screen.bottom() + 1 - window.height())));
    }
    return at;
}

void centreOver(QWidget& window, const QWidget* over) {
    if (!over)
        return;
    const QWidget* main = over->window();
    if (!main->isVisible())
        return;
    const QRect screen = main->screen() ? main->screen()->availableGeometry() : QRect();
    // A window shown before knows its frame; one never shown has only its client size.
    const QSize size =
        window.testAttribute(Qt::WA_WState_Created) ? window.frameGeometry().size() : window.size();
    window.move(centredPosition(size, main->frameGeometry(), screen));
    // Kept above the main window, as its dialogs are, rather than opening behind it.
    if (!window.parentWidget() && main->windowHandle()) {
        window.winId();
        if (QWindow* handle = window.windowHandle())
            handle->setTransientParent(main->windowHandle());
    }
}

} // namespace winorbis
