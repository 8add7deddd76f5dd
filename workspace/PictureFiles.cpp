// SPDX-License-Identifier: GPL-3.0-or-later
#include "PictureFiles.h"

#include "BmpFiles.h"
#include "PictureTexts.h"
#include "WorkingPictures.h"

#include "platform/Dialogs.h"
#include "platform/ProgramFolder.h"
#include "platform/vexfile/PictureConversions.h"
#include "settings/Settings.h"

#include <QDir>
#include <QFileInfo>

namespace winorbis {

namespace {

constexpr int kTxCatalogSize = 5;
constexpr int kRxCatalogSize = 12;
const QSize kStartSize(410, 256);

// The extension of a file name as the system takes it: from the last dot of the name on, the dot
// included; empty when the name has no dot.
QString extensionOf(const QString& path) {
    const QString name = QFileInfo(path).fileName();
    const qsizetype dot = name.lastIndexOf(QLatin1Char('.'));
    return dot < 0 ? QString() : name.mid(dot);
}

// A time format without its time zone, which the system's long time format does not show.
QString withoutTimeZone(const QString& format) {
    QString result;
    bool quoted = false;
    for (const QChar c : format) {
        if (c == QLatin1Char('\''))
            quoted = !quoted;
        if (!quoted && c == QLatin1Char('t'))
            continue;
        result += c;
    }
    return result.trimmed();
}

} // namespace

bool PictureFiles::openAndLoad(bool linkIdle) {
    status(PictureTexts::kOpenStatus);
    if (!linkIdle)
        return false;
    Dialogs::FileRequest request;
    request.filter = PictureTexts::kOpenFilter;
    request.defaultExt = PictureTexts::kOpenDefaultExt;
    request.folder = folder_.folder() + QLatin1Char('/');
    const std::optional<QString> chosen = dialogs_.openFile(request);
    if (!chosen || chosen->isEmpty())
        return false;
    lastChosen_ = *chosen;
    return loadIntoTx(lastChosen_);
}

bool PictureFiles::reloadLastChosen() {
    if (lastChosen_.isEmpty())
        return false;
    return loadIntoTx(lastChosen_);
}

bool PictureFiles::loadIntoTx(const QString& path) {
    const QString extension = extensionOf(path).toUpper().left(4);
    QString bmpPath;
    if (extension == QLatin1String(".BMP")) {
        bmpPath = path;
    } else if (extension == QLatin1String(".JPG")) {
        bmpPath = PictureConversions::jpegToBmp(folder_, path);
        if (bmpPath.isEmpty()) {
            const QString error = PictureConversions::lastError();
            dialogs_.error(error.isEmpty()
                               ? PictureTexts::cannotRead(QDir::toNativeSeparators(path),
                                                          QStringLiteral("Unknown error"))
                               : error);
            return false;
        }
    } else {
        return false;
    }
    QString error;
    const QImage picture = BmpFiles::read(bmpPath, &error);
    if (picture.isNull()) {
        dialogs_.error(error);
        return false;
    }
    pictures_.draggedName = WorkingPictures::kNone;
    pictures_.txName = WorkingPictures::kNone;
    pictures_.currentFile = bmpPath;
    pictures_.scratch = picture;
    pictures_.loadTx(picture, txSize());
    return true;
}

bool PictureFiles::loadStartPicture() {
    QString error;
    const QImage picture = BmpFiles::read(folder_.path(kStartPictureName), &error);
    if (picture.isNull()) {
        dialogs_.error(error);
        return false;
    }
    pictures_.scratch = picture;
    pictures_.tx = WorkingPictures::scaledInto(picture, txSize());
    return true;
}

bool PictureFiles::saveStartPicture() {
    return save(pictures_.tx, folder_.path(kStartPictureName));
}

std::optional<PictureFiles::TxCatalogEntry> PictureFiles::storeInTxCatalog() {
    status(PictureTexts::kTxCatalogStatus);
    TxCatalogEntry entry;
    entry.position = settings_.txCatalogCounter;
    entry.file = folder_.path(QStringLiteral("\\TxKatalog\\Bild%1.bmp").arg(entry.position));
    if (!save(pictures_.tx, entry.file))
        return std::nullopt;
    // The position now holds only the BMP form; the catalog would show a JPEG form first.
    QString error;
    if (!BmpFiles::remove(
            folder_.path(QStringLiteral("\\TxKatalog\\Bild%1.jpg").arg(entry.position)), &error))
        dialogs_.error(error);
    const int n = entry.position;
    settings_.txCatalogCounter = n >= 1 && n < kTxCatalogSize ? n + 1 : 1;
    if (catalogListener_)
        catalogListener_->txPictureStored(entry);
    return entry;
}

std::optional<PictureFiles::RxCatalogEntry> PictureFiles::storeInRxCatalog(const QDateTime& when) {
    status(PictureTexts::kRxCatalogStatus);
    RxCatalogEntry entry;
    entry.name = catalogName(when);
    entry.position = settings_.receiveCounter;
    const QString temp = folder_.path(kTempName);
    if (!save(pictures_.rx, temp))
        return std::nullopt;
    entry.file = folder_.path(QStringLiteral("\\RxKatalog\\Bild%1.jpg").arg(entry.position));
    QString error;
    if (!PictureConversions::bmpToJpeg(entry.file, temp)) {
        dialogs_.error(PictureConversions::lastError());
        BmpFiles::remove(temp, nullptr);
        return std::nullopt;
    }
    const int n = entry.position;
    if (n >= 1 && n <= kRxCatalogSize) {
        settings_.slotNames[std::size_t(n - 1)] = entry.name;
        entry.named = true;
    }
    entry.picture = pictures_.rx.convertToFormat(QImage::Format_RGB888);
    settings_.receiveCounter = n == kRxCatalogSize ? 1 : n + 1;
    if (!BmpFiles::remove(temp, &error))
        dialogs_.error(error);
    if (catalogListener_)
        catalogListener_->rxPictureStored(entry);
    return entry;
}

std::optional<QString> PictureFiles::saveTxAs() {
    status(PictureTexts::kTxSaveAsStatus);
    const std::optional<QString> path = askSavePath();
    if (!path || !save(pictures_.tx, *path))
        return std::nullopt;
    status(PictureTexts::kTxSavedStatus);
    return path;
}

std::optional<QString> PictureFiles::saveRxAs() {
    status(PictureTexts::kRxSaveAsStatus);
    const std::optional<QString> path = askSavePath();
    if (!path || !save(pictures_.rx, *path))
        return std::nullopt;
    status(PictureTexts::kRxSavedStatus);
    return path;
}

std::optional<QString> PictureFiles::saveShownRxAs(const QImage& shown) {
    const std::optional<QString> path = askSavePath();
    if (!path || !save(shown, *path))
        return std::nullopt;
    return path;
}

QString PictureFiles::catalogName(const QDateTime& when, const QLocale& locale) {
    return locale.toString(when.date(), QLocale::ShortFormat) + QLatin1Char(' ') +
           locale.toString(when.time(), withoutTimeZone(locale.timeFormat(QLocale::LongFormat)));
}

QSize PictureFiles::txSize() const {
    return pictures_.tx.isNull() ? kStartSize : pictures_.tx.size();
}

std::optional<QString> PictureFiles::askSavePath() {
    Dialogs::FileRequest request;
    request.filter = PictureTexts::kSaveFilter;
    request.defaultExt = PictureTexts::kSaveDefaultExt;
    if (lastSaved_.isEmpty()) {
        request.folder = folder_.folder();
    } else {
        const QFileInfo last(lastSaved_);
        request.folder = last.absolutePath();
        request.fileName = last.fileName();
    }
    const std::optional<QString> path = dialogs_.saveFile(request);
    if (!path || path->isEmpty())
        return std::nullopt;
    lastSaved_ = *path;
    if (QFileInfo::exists(*path) &&
        !dialogs_.askYesNo(PictureTexts::overwriteQuestion(QDir::toNativeSeparators(*path))))
        return std::nullopt;
    return path;
}

bool PictureFiles::save(const QImage& picture, const QString& path) {
    QString error;
    if (BmpFiles::write(picture, path, &error))
        return true;
    dialogs_.error(error);
    return false;
}

} // namespace winorbis
