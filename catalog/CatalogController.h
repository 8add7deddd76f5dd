// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "CatalogStore.h"

#include <QImage>
#include <QString>

#include <optional>

namespace winorbis {

class Dialogs;
class ProgramFolder;
struct Settings;
struct WorkingPictures;

// What the catalog window shows: a position's picture (general positions of the page on view;
// a null picture leaves the box empty), a position's name label, and a page button's caption
// with its marking (the current page bold, the others italic).
class CatalogView {
public:
    virtual ~CatalogView() = default;
    virtual void showPicture(const CatalogPosition& position, const QImage& picture) = 0;
    virtual void showName(const CatalogPosition& position, const QString& name) = 0;
    virtual void showPageButton(int page, const QString& caption, bool current) = 0;
    virtual void closeCatalog() = 0;
};

// The main window around the catalog: the TX picture that a click loads, and the slot names that
// the RX catalog's names are. The catalog wiring implements it for the main window.
class CatalogHost {
public:
    virtual ~CatalogHost() = default;
    // Loads a BMP file into the TX picture at the file's own size and shows it; false when
    // nothing was loaded.
    virtual bool copyToTx(const QString& bmpFile) = 0;
    // A slot name (shared with the RX catalog's names) changed.
    virtual void slotNamesChanged() = 0;
};

// Where a drag over the catalog comes from: one of its pictures, the text field, or anything else
// (which the catalog refuses).
enum class CatalogSource { Picture, TextField, Other };

// The catalog window's behaviour without the window: filling it at creation and on a page change,
// the presses, clicks, drops, names and the trash can of its positions. It shares the current
// picture file and the dragged-picture name with the main window (WorkingPictures) and keeps the
// names and the current page in the settings. A drop copies the picture and changes the target's
// other form, picture and name only once the copy has succeeded; every failure is shown in the
// standard error box and changes nothing.
class CatalogController {
public:
    CatalogController(const ProgramFolder& folder, Dialogs& dialogs, WorkingPictures& pictures,
                      Settings& settings, CatalogView& view, CatalogHost& host);

    CatalogStore& store() { return store_; }
    int page() const;
    QString name(const CatalogPosition& position) const;
    bool deletionFlag() const { return deletionFlag_; }

    // Fills the window: TX and RX pictures, every name, the page buttons and the current page.
    void FormCreate();
    // Button1Click .. Button18Click: page 0..17 goes on view.
    void selectPage(int page);

    // The main window stored a picture in TX position n, or picture in RX position n.
    void txPictureStored(int n);
    void rxPictureStored(int n, const QImage& picture);

    // A press on a picture. True when it armed a drag (which starts when the pointer moves by
    // the drag threshold); the drag's picture file and name are taken now.
    bool pictureMouseDown(const CatalogPosition& position, bool leftButton);
    // The button went up without a drag.
    void pictureMouseUp(const CatalogPosition& position);
    // A press and release without movement over a TX or general position: its picture goes into
    // the TX window and the catalog closes. False when nothing was copied.
    bool pictureClick(const CatalogPosition& position);
    // The drag of a picture ended, dropped anywhere or given up.
    void pictureEndDrag(const CatalogPosition& position);

    // The text field's drag carries its text as the name.
    void textStartDrag(const QString& text);
    void textEndDrag();

    static bool pictureAccepts(CatalogSource source) { return source != CatalogSource::Other; }
    static bool nameLabelAccepts(CatalogSource source) {
        return source == CatalogSource::TextField;
    }
    static bool pageButtonAccepts(CatalogSource source) { return source != CatalogSource::Other; }
    static bool trashAccepts(CatalogSource source) { return source == CatalogSource::Picture; }

    void pictureDragDrop(const CatalogPosition& target, CatalogSource source);
    void nameLabelDragDrop(const CatalogPosition& target);
    void pageButtonDragDrop(int page);
    void trashDragDrop(CatalogSource source);

private:
    void setName(const CatalogPosition& position, const QString& name);
    void showPageButtons();
    void showPageNames();
    // The page's pictures; unreadable files are added to failed.
    void loadPage(QStringList& failed);
    void reportUnreadable(const QStringList& failed);
    // The JPEG form converted through "\tempX.bmp", else the BMP form; empty after an error box.
    QString fileForTx(const CatalogPosition& position);
    bool isFormOf(const QString& file, const CatalogPosition& position) const;

    const ProgramFolder& folder_;
    Dialogs& dialogs_;
    WorkingPictures& pictures_;
    Settings& settings_;
    CatalogView& view_;
    CatalogHost& host_;
    CatalogStore store_;
    bool deletionFlag_ = false;
    // The position whose picture a drag carries.
    std::optional<CatalogPosition> dragged_;
};

} // namespace winorbis
