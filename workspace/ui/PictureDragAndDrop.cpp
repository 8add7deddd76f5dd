// SPDX-License-Identifier: GPL-3.0-or-later
#include "PictureDragAndDrop.h"

#include "SlotPanel.h"

#include "workspace/SlotController.h"

#include <QApplication>
#include <QDrag>
#include <QDragMoveEvent>
#include <QMimeData>
#include <QMouseEvent>

namespace winorbis {

namespace {

const QByteArray kImageSource = QByteArrayLiteral("image");
const QByteArray kPaintBoxSource = QByteArrayLiteral("paintbox");

bool farEnough(QPoint from, QPoint to) {
    return (to - from).manhattanLength() >= QApplication::startDragDistance();
}

} // namespace

PictureDragAndDrop::PictureDragAndDrop(SlotController& slotController, SlotPanel& panel,
                                       QWidget& txWindow, QWidget& rxWindow, QObject* parent)
    : QObject(parent)
    , controller_(slotController)
    , panel_(panel)
    , txWindow_(txWindow)
    , rxWindow_(rxWindow) {
    for (int n = 1; n <= 16; ++n) {
        panel_.thumbnail(n)->setAcceptDrops(true);
        panel_.thumbnail(n)->installEventFilter(this);
    }
    for (QWidget* target : {&txWindow_, &rxWindow_, static_cast<QWidget*>(panel_.trashCan())}) {
        target->setAcceptDrops(true);
        target->installEventFilter(this);
    }
}

QMimeData* PictureDragAndDrop::mimeFor(DragSource source) {
    auto* mime = new QMimeData;
    if (source == DragSource::Image)
        mime->setData(kPictureDragMime, kImageSource);
    else if (source == DragSource::PaintBox)
        mime->setData(kPictureDragMime, kPaintBoxSource);
    else
        mime->setText(QStringLiteral("text"));
    return mime;
}

DragSource PictureDragAndDrop::sourceOf(const QMimeData* mime) {
    if (!mime || !mime->hasFormat(kPictureDragMime))
        return DragSource::Other;
    const QByteArray data = mime->data(kPictureDragMime);
    if (data == kImageSource)
        return DragSource::Image;
    if (data == kPaintBoxSource)
        return DragSource::PaintBox;
    return DragSource::Other;
}

bool PictureDragAndDrop::isDragEvent(const QEvent* event) {
    return event->type() == QEvent::DragEnter || event->type() == QEvent::DragMove;
}

void PictureDragAndDrop::answer(QEvent* event, const std::function<bool(DragSource)>& accepts) {
    auto* drag = static_cast<QDragMoveEvent*>(event);
    if (accepts(sourceOf(drag->mimeData()))) {
        drag->setDropAction(Qt::CopyAction);
        drag->accept();
    } else {
        drag->ignore();
    }
}

void PictureDragAndDrop::runDrag(QWidget* from, DragSource source, const QImage& picture) {
    auto* drag = new QDrag(from);
    drag->setMimeData(mimeFor(source));
    if (!picture.isNull())
        drag->setPixmap(QPixmap::fromImage(picture.scaled(60, 46)));
    drag->exec(Qt::CopyAction);
}

bool PictureDragAndDrop::eventFilter(QObject* watched, QEvent* event) {
    if (const int n = panel_.slotOf(watched))
        return slotEvent(n, event);
    if (watched == &txWindow_)
        return txEvent(event);
    if (watched == &rxWindow_) {
        if (isDragEvent(event)) {
            answer(event, [this](DragSource s) { return controller_.rxAccepts(s); });
            return true;
        }
        if (event->type() == QEvent::Drop) {
            static_cast<QDropEvent*>(event)->acceptProposedAction();
            controller_.rxDragDrop();
            return true;
        }
    } else if (watched == panel_.trashCan()) {
        if (isDragEvent(event)) {
            answer(event, &SlotController::trashAccepts);
            return true;
        }
        if (event->type() == QEvent::Drop) {
            static_cast<QDropEvent*>(event)->acceptProposedAction();
            controller_.trashDragDrop();
            return true;
        }
    }
    return QObject::eventFilter(watched, event);
}

bool PictureDragAndDrop::slotEvent(int n, QEvent* event) {
    switch (event->type()) {
    case QEvent::MouseButtonPress: {
        auto* mouse = static_cast<QMouseEvent*>(event);
        controller_.slotMouseDown(n);
        if (mouse->button() == Qt::LeftButton)
            slotPress_ = mouse->position().toPoint();
        return false;
    }
    case QEvent::MouseMove: {
        auto* mouse = static_cast<QMouseEvent*>(event);
        if (!slotPress_ || !(mouse->buttons() & Qt::LeftButton) ||
            !farEnough(*slotPress_, mouse->position().toPoint()))
            return false;
        slotPress_.reset();
        controller_.slotStartDrag(n);
        runDrag(panel_.thumbnail(n), DragSource::Image, panel_.thumbnail(n)->picture());
        controller_.slotEndDrag(n);
        return true;
    }
    case QEvent::MouseButtonRelease:
        slotPress_.reset();
        return false;
    case QEvent::DragEnter:
    case QEvent::DragMove:
        answer(event, &SlotController::slotAccepts);
        return true;
    case QEvent::Drop:
        static_cast<QDropEvent*>(event)->acceptProposedAction();
        controller_.slotDragDrop(n);
        return true;
    default:
        return false;
    }
}

bool PictureDragAndDrop::txEvent(QEvent* event) {
    switch (event->type()) {
    case QEvent::MouseButtonPress: {
        auto* mouse = static_cast<QMouseEvent*>(event);
        if (mouse->button() != Qt::LeftButton)
            return false;
        controller_.txMouseDown();
        txPress_ = mouse->position().toPoint();
        return false;
    }
    case QEvent::MouseMove: {
        auto* mouse = static_cast<QMouseEvent*>(event);
        if (!txPress_ || !(mouse->buttons() & Qt::LeftButton))
            return false;
        const QPoint now = mouse->position().toPoint();
        if (!controller_.txDragMayStart(*txPress_, now))
            return false;
        // The drag state says "dragging" from the first such move; the drag itself begins
        // after the system's drag threshold.
        controller_.txStartDrag();
        if (!farEnough(*txPress_, now))
            return false;
        txPress_.reset();
        runDrag(&txWindow_, DragSource::PaintBox, {});
        return true;
    }
    case QEvent::MouseButtonRelease: {
        auto* mouse = static_cast<QMouseEvent*>(event);
        if (mouse->button() != Qt::LeftButton)
            return false;
        const bool plain = txPress_ && *txPress_ == mouse->position().toPoint();
        txPress_.reset();
        controller_.txMouseUp();
        if (plain && txClick_)
            txClick_();
        return false;
    }
    case QEvent::DragEnter:
    case QEvent::DragMove:
        answer(event, [this](DragSource s) { return controller_.txAccepts(s); });
        return true;
    case QEvent::Drop:
        static_cast<QDropEvent*>(event)->acceptProposedAction();
        controller_.txDragDrop();
        return true;
    default:
        return false;
    }
}

} // namespace winorbis
