// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

namespace winorbis {

// Every text that the picture files of the main window show: status-bar texts, questions, the
// dialogs' filters and the picture errors, in one place.
namespace PictureTexts {

// Status-bar texts.
inline const QString kOpenStatus = QStringLiteral("Picture open in the format *.bmp,*.jpg");
inline const QString kTxCatalogStatus = QStringLiteral("TX Picture stored in the TX catalog");
inline const QString kRxCatalogStatus = QStringLiteral("Picture stored in the RX Catalog");
inline const QString kTxSaveAsStatus =
    QStringLiteral("Picture from TX Window stored in the format *.bmp");
inline const QString kRxSaveAsStatus =
    QStringLiteral("Picture stored from RX Window in the format *.bmp");
inline const QString kTxSavedStatus = QStringLiteral("Picure stored from TX Window");
inline const QString kRxSavedStatus = QStringLiteral("Picture stored from RX Window");

// The open dialog of the TX picture.
inline const QString kOpenFilter =
    QStringLiteral("Windows Bit Map *.bmp|*.BMP|JPEG Bitmap *.jpg|*.JPG");
inline const QString kOpenDefaultExt = QStringLiteral("BMP");
// The save dialog of both windows.
inline const QString kSaveFilter =
    QStringLiteral("Windows Bitmap *.bmp|*.bmp|Alle Dateien *.*|*.*");
inline const QString kSaveDefaultExt = QStringLiteral(".bmp");

// The question before a save replaces an existing file.
inline QString overwriteQuestion(const QString& path) {
    return QStringLiteral("The File ") + path + QStringLiteral(" existed. Overwrite?");
}

// The mini slots and the trash can.
inline const QString kTrashHint = QStringLiteral("Delete Picture - use Drag & Drop");
inline const QString kTrashQuestion = QStringLiteral("If you want the picture deleted ?");
// The trash can deletes mini slot pictures only; anything else stays on the disk.
inline QString notASlotPicture(const QString& path) {
    return QStringLiteral("The picture file \"%1\" is no mini slot picture and is not deleted.")
        .arg(path);
}

// The picture errors, worded as the picture library words its own.
inline QString cannotRead(const QString& path, const QString& reason) {
    return QStringLiteral("The picture file \"%1\" cannot be read: %2").arg(path, reason);
}
inline QString cannotWrite(const QString& path, const QString& reason) {
    return QStringLiteral("The picture file \"%1\" cannot be written: %2").arg(path, reason);
}
inline QString cannotDelete(const QString& path, const QString& reason) {
    return QStringLiteral("The picture file \"%1\" cannot be deleted: %2").arg(path, reason);
}

} // namespace PictureTexts

} // namespace winorbis
