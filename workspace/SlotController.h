// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "PictureDrag.h"

#include <QImage>
#include <QPoint>
#include <QString>

namespace winorbis {

class Dialogs;
class ProgramFolder;
struct Settings;
struct WorkingPictures;

// What the mini slots show: slot n's thumbnail (a null picture leaves it empty) and the caption
// of its hidden name label.
class SlotView {
public:
    virtual ~SlotView() = default;
    virtual void showSlotPicture(int n, const QImage& picture) = 0;
    virtual void showSlotName(int n, const QString& name) = 0;
    // The hint of slot n's thumbnail (when and how a received picture came).
    virtual void showSlotHint(int /*n*/, const QString& /*hint*/) {}
};

// The window around the mini slots: what it does when a drag reaches the TX or RX picture. The
// picture workspace implements it for the main window.
class SlotHost {
public:
    virtual ~SlotHost() = default;
    // Erases pending caption and picture-in-picture frames.
    virtual void removeFrames() = 0;
    // A caption or picture-in-picture frame is shown on the TX window.
    virtual bool framesShown() const = 0;
    virtual void txPictureChanged() = 0;
    virtual void rxPictureChanged() = 0;
};

// The mini picture slots and the picture drags of the main window: the slot files
// ("\Kleinbilder\Bild" n ".bmp") and names (the settings' name table), the drag state shared
// with the TX window, the trash can and its delete flag, and what a drop on a slot, the TX
// window, the RX window or the trash can does. It changes the working pictures and their names;
// the slots show the results through SlotView, the window through SlotHost. A file that cannot be
// read or written is shown in the standard error box and changes nothing.
class SlotController {
public:
    SlotController(const ProgramFolder& folder, Dialogs& dialogs, WorkingPictures& pictures,
                   Settings& settings, SlotView& view, SlotHost& host);

    // Start-up: every slot file that exists into its slot, then every name label from the name
    // table.
    void loadAll();
    // A fetch has written slot n's file: the slot shows it and takes the name and the hint.
    // written: the picture just written to the slot file, shown from memory instead of being
    // read back; without one the slot shows what its file holds.
    void fill(int n, const QString& name, const QString& hint = {}, const QImage& written = {});
    // The name labels from the name table again (the RX catalog store names slots too).
    void showNames();
    // Native path of slot n's file.
    QString slotFile(int n) const;
    // A slot whose name is its default name counts as unnamed.
    bool isNamed(int n) const;

    DragState dragState() const { return state_; }
    void setDragState(DragState state) { state_ = state; }

    // The slot handlers (n = 1..16).
    void slotMouseDown(int n);
    // The drag of slot n begins: the slot file becomes the current picture file and its name
    // (or "$$$" for an unnamed slot) the dragged-picture name.
    void slotStartDrag(int n);
    static bool slotAccepts(DragSource source) { return source == DragSource::PaintBox; }
    // A TX window drag dropped on slot n: the TX picture becomes the slot's file and picture and
    // the TX picture name the slot's name. A slot file that cannot be written keeps the old one.
    void slotDragDrop(int n);
    // The end of slot n's drag: a slot whose picture went into the trash can shows the empty
    // picture (its name and file entry stay).
    void slotEndDrag(int n);

    // The TX window: press, and whether a move from the press point starts a drag.
    void txMouseDown() { state_ = DragState::TxPressed; }
    bool txDragMayStart(QPoint press, QPoint now) const;
    void txStartDrag() { state_ = DragState::TxDragging; }
    void txMouseUp() { state_ = DragState::Idle; }
    bool txAccepts(DragSource source) const;
    // A slot dropped on the TX window: its file loaded 1:1, the TX picture takes its size.
    void txDragDrop();
    // What a slot dropped on the TX window does, for the current picture file: true when the TX
    // picture took it (not while caption frames are shown, nor for a file that cannot be read).
    bool loadCurrentFileIntoTx();

    // The RX window: a slot or the TX window's file shown there.
    bool rxAccepts(DragSource source) const;
    void rxDragDrop();

    // The trash can takes slot pictures only.
    static bool trashAccepts(DragSource source) { return source == DragSource::Image; }
    // After the question, deletes the current picture file, when it is a mini slot file.
    void trashDragDrop();
    bool deleteFlag() const { return deleteFlag_; }

private:
    // The file as a picture, or a null picture after the error box.
    QImage readShown(const QString& path) const;
    bool isSlotFile(const QString& path) const;

    const ProgramFolder& folder_;
    Dialogs& dialogs_;
    WorkingPictures& pictures_;
    Settings& settings_;
    SlotView& view_;
    SlotHost& host_;
    DragState state_ = DragState::Idle;
    bool deleteFlag_ = false;
};

} // namespace winorbis
