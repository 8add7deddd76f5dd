// SPDX-License-Identifier: GPL-3.0-or-later
#include "CatalogDrags.h"

#include "workspace/PictureDrag.h"
#include "workspace/ui/PictureDragAndDrop.h"

#include <QApplication>
#include <QDrag>
#include <QDragMoveEvent>
#include <QLineEdit>
#include <QMimeData>
#include <QMouseEvent>

namespace winorbis {

namespace {

// The text field's drags: a mime type of their own beside the text itself.
const QString kTextFieldMime = QStringLiteral("application/x-winorbis-catalog-text");

bool farEnough(QPoint from, QPoint to) {
    return (to - from).manhattanLength() >= QApplication::startDragDistance();
}

} // namespace

CatalogPicture::CatalogPicture(QWidget* parent)
    : SlotThumbnail(parent) {
    setMinimumSize(0, 0);
    setMaximumSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX);
}

CatalogDrags::CatalogDrags(CatalogController& controller, QObject* parent)
    : QObject(parent)
    , controller_(controller) {}

void CatalogDrags::addPicture(CatalogPicture* picture, const CatalogPosition& position) {
    targets_.insert(picture, {Target::Role::Picture, position});
    picture->setAcceptDrops(position.kind != CatalogPosition::Kind::Rx);
    picture->installEventFilter(this);
}

void CatalogDrags::addNameLabel(QWidget* label, const CatalogPosition& position) {
    targets_.insert(label, {Target::Role::NameLabel, position});
    label->setAcceptDrops(true);
    label->installEventFilter(this);
}

void CatalogDrags::addPageButton(QWidget* button, int page) {
    targets_.insert(button, {Target::Role::PageButton, {}, page});
    button->setAcceptDrops(true);
    button->installEventFilter(this);
}

void CatalogDrags::setTrashCan(QWidget* trashCan) {
    targets_.insert(trashCan, {Target::Role::Trash, {}});
    trashCan->setAcceptDrops(true);
    trashCan->installEventFilter(this);
}

void CatalogDrags::setTextField(QLineEdit* field) {
    textField_ = field;
    targets_.insert(field, {Target::Role::TextField, {}});
    field->setDragEnabled(false);
    field->installEventFilter(this);
}

QMimeData* CatalogDrags::mimeFor(CatalogSource source, const QString& text) {
    if (source == CatalogSource::Picture)
        return PictureDragAndDrop::mimeFor(DragSource::Image);
    auto* mime = new QMimeData;
    mime->setText(text);
    if (source == CatalogSource::TextField)
        mime->setData(kTextFieldMime, text.toUtf8());
    return mime;
}

CatalogSource CatalogDrags::sourceOf(const QMimeData* mime) {
    if (mime == nullptr)
        return CatalogSource::Other;
    if (mime->hasFormat(kTextFieldMime))
        return CatalogSource::TextField;
    if (PictureDragAndDrop::sourceOf(mime) == DragSource::Image)
        return CatalogSource::Picture;
    return CatalogSource::Other;
}

CatalogPosition CatalogDrags::current(const CatalogPosition& position) const {
    if (position.kind != CatalogPosition::Kind::General)
        return position;
    return CatalogPosition::general(controller_.page(), position.number);
}

void CatalogDrags::runDrag(QWidget* from, CatalogSource source, const QImage& picture,
                           const QString& text) {
    auto* drag = new QDrag(from);
    drag->setMimeData(mimeFor(source, text));
    if (!picture.isNull())
        drag->setPixmap(QPixmap::fromImage(picture.scaled(60, 46)));
    drag->exec(Qt::CopyAction);
}

bool CatalogDrags::eventFilter(QObject* watched, QEvent* event) {
    const auto found = targets_.constFind(watched);
    if (found == targets_.constEnd())
        return QObject::eventFilter(watched, event);
    const Target target = *found;
    switch (target.role) {
    case Target::Role::Picture:
        return pictureEvent(watched, current(target.position), event);
    case Target::Role::TextField:
        return textEvent(event);
    default:
        return dropEvent(target, event);
    }
}

bool CatalogDrags::pictureEvent(QObject* watched, const CatalogPosition& position, QEvent* event) {
    auto* picture = static_cast<CatalogPicture*>(watched);
    switch (event->type()) {
    case QEvent::MouseButtonPress: {
        auto* mouse = static_cast<QMouseEvent*>(event);
        leftPress_ = mouse->button() == Qt::LeftButton;
        armed_ = controller_.pictureMouseDown(position, leftPress_);
        press_ = mouse->position().toPoint();
        return true;
    }
    case QEvent::MouseMove: {
        auto* mouse = static_cast<QMouseEvent*>(event);
        if (!press_ || !armed_ || !(mouse->buttons() & Qt::LeftButton) ||
            !farEnough(*press_, mouse->position().toPoint()))
            return true;
        press_.reset();
        armed_ = false;
        runDrag(picture, CatalogSource::Picture, picture->picture(), {});
        controller_.pictureEndDrag(position);
        return true;
    }
    case QEvent::MouseButtonRelease: {
        auto* mouse = static_cast<QMouseEvent*>(event);
        if (!press_)
            return true;
        const bool still = !farEnough(*press_, mouse->position().toPoint());
        const bool click = leftPress_ && still && mouse->button() == Qt::LeftButton &&
                           picture->rect().contains(mouse->position().toPoint());
        press_.reset();
        armed_ = false;
        if (click && position.kind != CatalogPosition::Kind::Rx &&
            controller_.pictureClick(position))
            return true;
        controller_.pictureMouseUp(position);
        return true;
    }
    case QEvent::DragEnter:
    case QEvent::DragMove:
    case QEvent::Drop:
        if (position.kind == CatalogPosition::Kind::Rx)
            return false;
        return dropEvent({Target::Role::Picture, position}, event);
    default:
        return false;
    }
}

bool CatalogDrags::textEvent(QEvent* event) {
    switch (event->type()) {
    case QEvent::MouseButtonPress: {
        auto* mouse = static_cast<QMouseEvent*>(event);
        if (mouse->button() == Qt::LeftButton)
            press_ = mouse->position().toPoint();
        return false;
    }
    case QEvent::MouseMove: {
        auto* mouse = static_cast<QMouseEvent*>(event);
        if (!press_ || !(mouse->buttons() & Qt::LeftButton) ||
            !farEnough(*press_, mouse->position().toPoint()))
            return false;
        press_.reset();
        const QString text = textField_->text();
        controller_.textStartDrag(text);
        runDrag(textField_, CatalogSource::TextField, {}, text);
        controller_.textEndDrag();
        return true;
    }
    case QEvent::MouseButtonRelease:
        if (press_)
            controller_.textEndDrag();
        press_.reset();
        return false;
    default:
        return false;
    }
}

bool CatalogDrags::dropEvent(const Target& target, QEvent* event) {
    const bool over = event->type() == QEvent::DragEnter || event->type() == QEvent::DragMove;
    if (!over && event->type() != QEvent::Drop)
        return false;
    auto* drag = static_cast<QDropEvent*>(event);
    const CatalogSource source = sourceOf(drag->mimeData());
    bool accepts = false;
    switch (target.role) {
    case Target::Role::Picture:
        accepts = CatalogController::pictureAccepts(source);
        break;
    case Target::Role::NameLabel:
        accepts = CatalogController::nameLabelAccepts(source);
        break;
    case Target::Role::PageButton:
        accepts = CatalogController::pageButtonAccepts(source);
        break;
    case Target::Role::Trash:
        accepts = CatalogController::trashAccepts(source);
        break;
    case Target::Role::TextField:
        break;
    }
    if (!accepts) {
        drag->ignore();
        return true;
    }
    drag->setDropAction(Qt::CopyAction);
    drag->accept();
    if (over)
        return true;
    switch (target.role) {
    case Target::Role::Picture:
        controller_.pictureDragDrop(current(target.position), source);
        break;
    case Target::Role::NameLabel:
        controller_.nameLabelDragDrop(current(target.position));
        break;
    case Target::Role::PageButton:
        controller_.pageButtonDragDrop(target.page);
        break;
    case Target::Role::Trash:
        controller_.trashDragDrop(source);
        break;
    case Target::Role::TextField:
        break;
    }
    return true;
}

} // namespace winorbis
