// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>
#include <QStringList>

namespace winorbis {

// Every text that the catalog window shows: its captions, hints, the help text and the errors of
// the catalog store, in one place.
namespace CatalogTexts {

inline const QString kCaption = QStringLiteral("Catalog");
inline const QString kRxTitle = QStringLiteral("RX Catalog");
inline const QString kTxTitle = QStringLiteral("TX Catalog");
inline const QString kGeneralTitle = QStringLiteral("Catalog");
inline const QString kTextLabel = QStringLiteral("Text input:");
inline const QString kTextHint =
    QStringLiteral("Text input and with Drag & Drop into the picture or the Catalog Buttons");
inline const QString kExit = QStringLiteral("Exit");
inline const QString kHelp = QStringLiteral("Help");
inline const QString kHelpText = QStringLiteral(
    "Please use in the TX Catalog and Catalog the left mouse button. With simple click in the "
    "picture copy these in the TX Window. Move the picture from RX Catalog into the TX Catalog or "
    "Catalog !");

// The hints and fixed captions of the picture positions.
inline QString rxHint(int n) {
    return QStringLiteral("Picture %1").arg(n);
}
inline QString txHint(int n) {
    // The third hint has always been spelled with two blanks and a trailing one.
    return n == 3 ? QStringLiteral("Picture  3 ") : QStringLiteral("Picture %1").arg(n);
}
inline QString positionCaption(int n) {
    return QStringLiteral("Picture %1").arg(n);
}
inline QString generalHint(int k) {
    return QStringLiteral("cat%1").arg(k);
}
inline QString pageHint(int page) {
    return page == 0 ? QStringLiteral("Katalog IM0") : QStringLiteral("Catalog IM%1").arg(page);
}

// The names a position gets back when its picture went into the trash can.
inline QString rxResetName(int n) {
    return QStringLiteral("Bild %1").arg(n);
}
inline const QString kTxResetName = QStringLiteral("Name");

// The errors of the file copy.
inline const QString kCannotOpenSource = QStringLiteral("Can't open source file.");
inline const QString kCannotCreateDestination = QStringLiteral("Can't create distination file.");

// Pictures that cannot be read while the window fills itself; one box names every such file.
inline QString unreadablePictures(const QStringList& files) {
    return QStringLiteral("These catalog pictures cannot be read and are shown empty:\n") +
           files.join(QLatin1Char('\n'));
}
// The trash can deletes catalog pictures only.
inline QString notACatalogPicture(const QString& path) {
    return QStringLiteral("The picture file \"%1\" is no catalog picture and is not deleted.")
        .arg(path);
}

} // namespace CatalogTexts

} // namespace winorbis
