// SPDX-License-Identifier: GPL-3.0-or-later
#include "CatalogController.h"

#include "CatalogTexts.h"

#include "platform/Dialogs.h"
#include "platform/ProgramFolder.h"
#include "platform/vexfile/PictureConversions.h"
#include "settings/Settings.h"
#include "workspace/BmpFiles.h"
#include "workspace/PictureTexts.h"
#include "workspace/WorkingPictures.h"

#include <QDir>
#include <QFileInfo>

namespace winorbis {

namespace {

using Kind = CatalogPosition::Kind;
using Form = CatalogStore::Form;

bool samePath(const QString& a, const QString& b) {
    return QFileInfo(a).absoluteFilePath().compare(QFileInfo(b).absoluteFilePath(),
                                                   Qt::CaseInsensitive) == 0;
}

// The extension as the drop takes it: from the last dot of the name, upper case, at most four
// characters (".BMP", ".JPG").
QString dropExtension(const QString& path) {
    const QString name = QFileInfo(path).fileName();
    const qsizetype dot = name.lastIndexOf(QLatin1Char('.'));
    return dot < 0 ? QString() : name.mid(dot).toUpper().left(4);
}

} // namespace

CatalogController::CatalogController(const ProgramFolder& folder, Dialogs& dialogs,
                                     WorkingPictures& pictures, Settings& settings,
                                     CatalogView& view, CatalogHost& host)
    : folder_(folder)
    , dialogs_(dialogs)
    , pictures_(pictures)
    , settings_(settings)
    , view_(view)
    , host_(host)
    , store_(folder) {}

int CatalogController::page() const {
    return std::clamp(settings_.catalogPage, 0, kPageCount - 1);
}

QString CatalogController::name(const CatalogPosition& position) const {
    const auto n = std::size_t(position.number - 1);
    switch (position.kind) {
    case Kind::Rx:
        return settings_.slotNames.at(n);
    case Kind::Tx:
        return settings_.txNames.at(n);
    case Kind::General:
        break;
    }
    return settings_.positionNames.at(std::size_t(position.page)).at(std::size_t(position.number));
}

void CatalogController::setName(const CatalogPosition& position, const QString& name) {
    const auto n = std::size_t(position.number - 1);
    switch (position.kind) {
    case Kind::Rx:
        settings_.slotNames.at(n) = name;
        host_.slotNamesChanged();
        break;
    case Kind::Tx:
        settings_.txNames.at(n) = name;
        break;
    case Kind::General:
        settings_.positionNames.at(std::size_t(position.page)).at(std::size_t(position.number)) =
            name;
        break;
    }
    view_.showName(position, name);
}

void CatalogController::FormCreate() {
    QStringList failed;
    // 1. and 2. The TX and RX catalogs; positions without a file stay empty.
    const auto fill = [&](const CatalogPosition& position) {
        CatalogStore::Picture picture = store_.read(position, CatalogStore::kShownSize);
        if (!picture.failedFile.isEmpty()) {
            failed << picture.failedFile;
            picture.image = store_.placeholder();
        }
        view_.showPicture(position, picture.image);
    };
    for (int n = 1; n <= kTxPositions; ++n)
        fill(CatalogPosition::tx(n));
    for (int n = 1; n <= kRxPositions; ++n)
        fill(CatalogPosition::rx(n));
    // 3. The names and the page buttons.
    for (int n = 1; n <= kRxPositions; ++n)
        view_.showName(CatalogPosition::rx(n), name(CatalogPosition::rx(n)));
    showPageButtons();
    for (int n = 1; n <= kTxPositions; ++n)
        view_.showName(CatalogPosition::tx(n), name(CatalogPosition::tx(n)));
    showPageNames();
    // 4. The current page.
    loadPage(failed);
    // 5.
    deletionFlag_ = false;
    reportUnreadable(failed);
}

void CatalogController::selectPage(int page) {
    if (page < 0 || page >= kPageCount)
        return;
    settings_.catalogPage = page;
    showPageButtons();
    showPageNames();
    QStringList failed;
    loadPage(failed);
    reportUnreadable(failed);
}

void CatalogController::showPageButtons() {
    const int current = page();
    for (int b = 0; b < kPageCount; ++b)
        view_.showPageButton(b, settings_.pageNames.at(std::size_t(b)), b == current);
}

void CatalogController::showPageNames() {
    const int p = page();
    for (int k = 0; k < kPositionsPerPage; ++k)
        view_.showName(CatalogPosition::general(p, k), name(CatalogPosition::general(p, k)));
}

void CatalogController::loadPage(QStringList& failed) {
    const int p = page();
    CatalogStore::Page loaded = store_.readPage(p);
    failed << loaded.failed;
    for (int k = 0; k < kPositionsPerPage; ++k)
        view_.showPicture(CatalogPosition::general(p, k), loaded.pictures[std::size_t(k)]);
}

void CatalogController::reportUnreadable(const QStringList& failed) {
    if (!failed.isEmpty())
        dialogs_.error(CatalogTexts::unreadablePictures(failed));
}

void CatalogController::txPictureStored(int n) {
    if (n < 1 || n > kTxPositions)
        return;
    const CatalogStore::Picture picture =
        store_.read(CatalogPosition::tx(n), CatalogStore::kShownSize);
    view_.showPicture(CatalogPosition::tx(n), picture.image);
}

void CatalogController::rxPictureStored(int n, const QImage& picture) {
    if (n < 1 || n > kRxPositions)
        return;
    view_.showPicture(CatalogPosition::rx(n), picture);
    view_.showName(CatalogPosition::rx(n), name(CatalogPosition::rx(n)));
}

bool CatalogController::pictureMouseDown(const CatalogPosition& position, bool leftButton) {
    dragged_.reset();
    if (position.kind == Kind::Rx) {
        // An RX position arms its drag whether or not it holds a file.
        if (!leftButton)
            return false;
        pictures_.currentFile = store_.path(position, Form::Jpeg);
    } else {
        const QString file = store_.shownFile(position);
        if (file.isEmpty())
            return false; // nothing armed, the current picture file stays
        pictures_.currentFile = file;
        if (!leftButton)
            return false;
    }
    // The drag's start: the name travels with it.
    dragged_ = position;
    pictures_.draggedName = name(position);
    return true;
}

void CatalogController::pictureMouseUp(const CatalogPosition& position) {
    if (position.kind == Kind::General)
        pictures_.currentFile = WorkingPictures::kNone;
    else
        pictures_.draggedName = WorkingPictures::kNone;
}

QString CatalogController::fileForTx(const CatalogPosition& position) {
    if (store_.exists(position, Form::Jpeg)) {
        const QString jpeg = store_.path(position, Form::Jpeg);
        const QString bmp = PictureConversions::jpegToBmp(folder_, jpeg);
        if (!bmp.isEmpty())
            return bmp;
        const QString error = PictureConversions::lastError();
        dialogs_.error(error.isEmpty() ? PictureTexts::cannotRead(QDir::toNativeSeparators(jpeg),
                                                                  QStringLiteral("Unknown error"))
                                       : error);
    }
    if (store_.exists(position, Form::Bmp))
        return store_.path(position, Form::Bmp);
    return {};
}

bool CatalogController::pictureClick(const CatalogPosition& position) {
    if (position.kind == Kind::Rx || pictures_.currentFile == WorkingPictures::kNone)
        return false;
    const QString file = fileForTx(position);
    if (file.isEmpty())
        return false;
    pictures_.currentFile = file;
    if (!host_.copyToTx(file))
        return false;
    view_.closeCatalog();
    return true;
}

void CatalogController::pictureEndDrag(const CatalogPosition& position) {
    if (deletionFlag_) {
        deletionFlag_ = false;
        view_.showPicture(position, store_.placeholder());
        switch (position.kind) {
        case Kind::Rx:
            setName(position, CatalogTexts::rxResetName(position.number));
            break;
        case Kind::Tx:
            setName(position, CatalogTexts::kTxResetName);
            break;
        case Kind::General:
            setName(position, QString());
            break;
        }
    }
    dragged_.reset();
    pictures_.draggedName = WorkingPictures::kNone;
}

void CatalogController::textStartDrag(const QString& text) {
    pictures_.draggedName = text;
}

void CatalogController::textEndDrag() {
    pictures_.draggedName = WorkingPictures::kNone;
}

bool CatalogController::isFormOf(const QString& file, const CatalogPosition& position) const {
    return samePath(file, store_.path(position, Form::Bmp)) ||
           samePath(file, store_.path(position, Form::Jpeg));
}

void CatalogController::pictureDragDrop(const CatalogPosition& target, CatalogSource source) {
    if (!pictureAccepts(source) || target.kind == Kind::Rx ||
        pictures_.draggedName == WorkingPictures::kNone)
        return;
    if (source == CatalogSource::TextField) {
        setName(target, pictures_.draggedName);
        pictures_.draggedName = WorkingPictures::kNone;
        return;
    }
    const QString file = pictures_.currentFile;
    const QString extension = dropExtension(file);
    if (isFormOf(file, target) ||
        (extension != QLatin1String(".BMP") && extension != QLatin1String(".JPG"))) {
        pictures_.draggedName = WorkingPictures::kNone;
        return;
    }
    const Form form = extension == QLatin1String(".BMP") ? Form::Bmp : Form::Jpeg;
    const Form other = form == Form::Bmp ? Form::Jpeg : Form::Bmp;
    QString error;
    const QImage picture = BmpFiles::read(file, &error);
    if (picture.isNull()) {
        dialogs_.error(error);
        return;
    }
    // The new form first; only then the other form goes and the position changes.
    const QString copyError = CatalogStore::copyFile(file, store_.path(target, form));
    if (!copyError.isEmpty()) {
        dialogs_.error(copyError);
        return;
    }
    if (!BmpFiles::remove(store_.path(target, other), &error))
        dialogs_.error(error);
    view_.showPicture(target, picture);
    setName(target, pictures_.draggedName);
    pictures_.draggedName = WorkingPictures::kNone;
}

void CatalogController::nameLabelDragDrop(const CatalogPosition& target) {
    const QString carried = pictures_.draggedName;
    if (carried != WorkingPictures::kNone && !carried.isEmpty())
        setName(target, carried);
    pictures_.draggedName = WorkingPictures::kNone;
}

void CatalogController::pageButtonDragDrop(int page) {
    const QString carried = pictures_.draggedName;
    if (page >= 0 && page < kPageCount && carried != WorkingPictures::kNone && !carried.isEmpty()) {
        settings_.pageNames.at(std::size_t(page)) = carried;
        view_.showPageButton(page, carried, page == this->page());
    }
    pictures_.draggedName = WorkingPictures::kNone;
}

void CatalogController::trashDragDrop(CatalogSource source) {
    if (!trashAccepts(source))
        return;
    if (!dialogs_.askOkCancel(PictureTexts::kTrashQuestion))
        return;
    const QString file = pictures_.currentFile;
    if (!store_.isCatalogFile(file)) {
        dialogs_.message(CatalogTexts::notACatalogPicture(QDir::toNativeSeparators(file)),
                         Dialogs::Kind::Warning);
        return;
    }
    // Both forms of the dragged position go, so that the other one does not come back.
    QStringList files = {file};
    if (dragged_ && dragged_->kind != Kind::Rx && isFormOf(file, *dragged_))
        files = {store_.path(*dragged_, Form::Bmp), store_.path(*dragged_, Form::Jpeg)};
    for (const QString& path : files) {
        QString error;
        if (!BmpFiles::remove(path, &error)) {
            dialogs_.error(error);
            return;
        }
    }
    deletionFlag_ = true;
    pictures_.draggedName = WorkingPictures::kNone;
}

} // namespace winorbis
