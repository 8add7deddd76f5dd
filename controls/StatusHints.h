// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QHash>
#include <QObject>
#include <QString>

#include <functional>

class QWidget;

namespace winorbis {

// The status texts a window shows while the mouse moves over its controls: each control added
// gets mouse tracking, and every mouse move over it hands its text to the sink (the status bar).
class StatusHints : public QObject {
    Q_OBJECT
public:
    using Sink = std::function<void(const QString&)>;
    StatusHints(Sink sink, QObject* parent = nullptr);

    void add(QWidget* control, const QString& text);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    Sink sink_;
    QHash<QObject*, QString> texts_;
};

} // namespace winorbis
