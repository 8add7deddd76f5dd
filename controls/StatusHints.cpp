// SPDX-License-Identifier: GPL-3.0-or-later
#include "StatusHints.h"

#include <QEvent>
#include <QWidget>

namespace winorbis {

StatusHints::StatusHints(Sink sink, QObject* parent)
    : QObject(parent)
    , sink_(std::move(sink)) {}

void StatusHints::add(QWidget* control, const QString& text) {
    if (!texts_.contains(control)) {
        control->setMouseTracking(true);
        control->installEventFilter(this);
    }
    texts_.insert(control, text);
}

bool StatusHints::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::MouseMove && sink_) {
        const auto text = texts_.constFind(watched);
        if (text != texts_.cend())
            sink_(*text);
    }
    return QObject::eventFilter(watched, event);
}

} // namespace winorbis
