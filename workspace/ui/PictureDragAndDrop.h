// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "workspace/PictureDrag.h"

#include <QObject>
#include <QPoint>

#include <functional>
#include <optional>

class QDropEvent;
class QMimeData;
class QWidget;

namespace winorbis {

class SlotController;
class SlotPanel;

// The picture drags of the main window with Qt's own drag machinery: a slot picture or the TX
// window's picture is dragged as the program's own mime data naming its source, and each target
// (slot, TX window, RX window, trash can) accepts or refuses it as SlotController decides, so the
// refusal cursor shows where a drop would do nothing. It also tells a plain click on the TX window
// (press and release at one point) from a drag.
class PictureDragAndDrop : public QObject {
    Q_OBJECT
public:
    PictureDragAndDrop(SlotController& slotController, SlotPanel& panel, QWidget& txWindow,
                       QWidget& rxWindow, QObject* parent = nullptr);

    // Runs on a plain left click on the TX window.
    void setTxClickHandler(std::function<void()> handler) { txClick_ = std::move(handler); }

    // The mime data of a drag from the source; what a target sees.
    static QMimeData* mimeFor(DragSource source);
    static DragSource sourceOf(const QMimeData* mime);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    bool slotEvent(int n, QEvent* event);
    bool txEvent(QEvent* event);
    // Drag enter and move: accepted when the target takes the source.
    static void answer(QEvent* event, const std::function<bool(DragSource)>& accepts);
    static bool isDragEvent(const QEvent* event);
    // Runs the drag; returns when it has been dropped or given up.
    void runDrag(QWidget* from, DragSource source, const QImage& picture);

    SlotController& controller_;
    SlotPanel& panel_;
    QWidget& txWindow_;
    QWidget& rxWindow_;
    std::function<void()> txClick_;
    std::optional<QPoint> slotPress_;
    std::optional<QPoint> txPress_;
};

} // namespace winorbis
