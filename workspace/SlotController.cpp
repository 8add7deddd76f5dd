// SPDX-License-Identifier: GPL-3.0-or-later
#include "SlotController.h"

#include "BmpFiles.h"
#include "PictureTexts.h"
#include "SlotTable.h"
#include "WorkingPictures.h"

#include "platform/Dialogs.h"
#include "platform/ProgramFolder.h"
#include "settings/Settings.h"

#include <QDir>
#include <QFileInfo>

namespace winorbis {

SlotController::SlotController(const ProgramFolder& folder, Dialogs& dialogs,
                               WorkingPictures& pictures, Settings& settings, SlotView& view,
                               SlotHost& host)
    : folder_(folder)
    , dialogs_(dialogs)
    , pictures_(pictures)
    , settings_(settings)
    , view_(view)
    , host_(host) {}

QString SlotController::slotFile(int n) const {
    return folder_.path(slotFileName(n));
}

bool SlotController::isNamed(int n) const {
    return settings_.slotNames[std::size_t(n - 1)] != slot(n).defaultName;
}

void SlotController::loadAll() {
    for (const Slot& s : slotTable()) {
        const QString path = slotFile(s.number);
        // A missing or unreadable slot file leaves the slot empty; nothing to report at start.
        QString error;
        view_.showSlotPicture(s.number,
                              QFileInfo::exists(path) ? BmpFiles::read(path, &error) : QImage());
    }
    showNames();
}

void SlotController::showNames() {
    for (const Slot& s : slotTable())
        view_.showSlotName(s.number, settings_.slotNames[std::size_t(s.number - 1)]);
}

void SlotController::fill(int n, const QString& name, const QString& hint, const QImage& written) {
    if (n < 1 || n > int(slotTable().size()))
        return;
    QString error;
    view_.showSlotPicture(n, written.isNull() ? BmpFiles::read(slotFile(n), &error) : written);
    settings_.slotNames[std::size_t(n - 1)] = name;
    view_.showSlotName(n, name);
    view_.showSlotHint(n, hint);
}

void SlotController::slotMouseDown(int) {
    state_ = DragState::Idle;
}

void SlotController::slotStartDrag(int n) {
    state_ = DragState::SlotDragging;
    pictures_.currentFile = slotFile(n);
    pictures_.draggedName =
        isNamed(n) ? settings_.slotNames[std::size_t(n - 1)] : WorkingPictures::kNone;
    host_.removeFrames();
}

void SlotController::slotDragDrop(int n) {
    const bool fromTx = state_ == DragState::TxDragging;
    state_ = DragState::Idle;
    if (!fromTx)
        return;
    const QString path = slotFile(n);
    QString error;
    if (!BmpFiles::write(pictures_.tx, path, &error)) {
        // The old slot file and picture stay.
        dialogs_.error(error);
        return;
    }
    view_.showSlotPicture(n, BmpFiles::read(path, &error));
    pictures_.currentFile = path;
    settings_.slotNames[std::size_t(n - 1)] = pictures_.txName;
    view_.showSlotName(n, pictures_.txName);
}

void SlotController::slotEndDrag(int n) {
    state_ = DragState::Idle;
    if (!deleteFlag_)
        return;
    deleteFlag_ = false;
    QString error;
    view_.showSlotPicture(n, BmpFiles::read(folder_.path(kGrayPictureName), &error));
}

bool SlotController::txDragMayStart(QPoint press, QPoint now) const {
    if (state_ != DragState::TxPressed && state_ != DragState::TxDragging)
        return false;
    if (press.x() == now.x() || press.y() == now.y())
        return false;
    if (host_.framesShown())
        return false;
    return pictures_.currentFile != WorkingPictures::kNone;
}

bool SlotController::txAccepts(DragSource source) const {
    return source == DragSource::Image && state_ == DragState::SlotDragging;
}

QImage SlotController::readShown(const QString& path) const {
    QString error;
    QImage picture = BmpFiles::read(path, &error);
    if (picture.isNull())
        dialogs_.error(error); // the reader's text names the file and the reason
    return picture;
}

void SlotController::txDragDrop() {
    const bool fromSlot = state_ == DragState::SlotDragging;
    state_ = DragState::Idle;
    if (fromSlot)
        loadCurrentFileIntoTx();
}

bool SlotController::loadCurrentFileIntoTx() {
    if (host_.framesShown())
        return false;
    const QImage picture = readShown(pictures_.currentFile);
    if (picture.isNull())
        return false; // the TX picture stays
    pictures_.tx = picture;
    pictures_.txName = pictures_.draggedName;
    host_.txPictureChanged();
    return true;
}

bool SlotController::rxAccepts(DragSource source) const {
    return (source == DragSource::Image || source == DragSource::PaintBox) &&
           (state_ == DragState::TxDragging || state_ == DragState::SlotDragging);
}

void SlotController::rxDragDrop() {
    const bool dragging = state_ == DragState::TxDragging || state_ == DragState::SlotDragging;
    state_ = DragState::Idle;
    if (!dragging)
        return;
    // The file, not the TX picture with its captions: a TX window drag shows the file last
    // loaded into the TX window.
    const QImage picture = readShown(pictures_.currentFile);
    if (picture.isNull())
        return;
    pictures_.rx = picture;
    host_.rxPictureChanged();
}

bool SlotController::isSlotFile(const QString& path) const {
    const QString folder =
        QFileInfo(folder_.path(QStringLiteral("\\Kleinbilder"))).canonicalFilePath();
    const QFileInfo file(path);
    // The folder the file lies in, resolved as far as it exists: the file itself may be gone.
    const QString parent = QFileInfo(file.absolutePath()).canonicalFilePath();
    return !folder.isEmpty() && parent == folder;
}

void SlotController::trashDragDrop() {
    if (!dialogs_.askOkCancel(PictureTexts::kTrashQuestion))
        return;
    const QString path = pictures_.currentFile;
    if (!isSlotFile(path)) {
        dialogs_.message(PictureTexts::notASlotPicture(path), Dialogs::Kind::Warning);
        return;
    }
    deleteFlag_ = true;
    QString error;
    if (!BmpFiles::remove(path, &error))
        dialogs_.error(error);
    pictures_.draggedName = WorkingPictures::kNone;
}

} // namespace winorbis
