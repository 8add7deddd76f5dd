// SPDX-License-Identifier: GPL-3.0-or-later
#include "ReceivedPictureStore.h"

#include "BmpFiles.h"
#include "PictureTexts.h"
#include "WorkingPictures.h"

#include "settings/Settings.h"
#include "platform/ProgramFolder.h"
#include "platform/vexfile/PictureConversions.h"

#include <QDir>
#include <QTemporaryFile>

namespace winorbis {

ReceivedPictureStore::Result ReceivedPictureStore::store(const QImage& picture, Settings& settings,
                                                         bool saveAuto,
                                                         const QDateTime& when) const {
    Result result;
    result.name = WorkingPictures::timeStamp(when);
    result.slot = settings.receiveCounter;
    result.slotFile = folder_.path(QStringLiteral("\\Kleinbilder\\Bild%1.bmp").arg(result.slot));
    QString error;
    const bool slotWritten = BmpFiles::write(picture, result.slotFile, &error);
    if (!slotWritten)
        result.errors << error;
    if (result.slot >= 1 && result.slot <= kSlotCount)
        settings.slotNames[std::size_t(result.slot - 1)] = result.name;
    settings.receiveCounter = result.slot >= kSlotCount ? 1 : result.slot + 1;

    if (!saveAuto)
        return result;
    result.jpegFile = folder_.path(QStringLiteral("\\AutoSpeichern\\%1.jpg").arg(result.name));
    QString source = result.slotFile;
    QTemporaryFile fallback(QDir::tempPath() + QStringLiteral("/winorbis-XXXXXX.bmp"));
    if (!slotWritten) {
        // The copy comes from the picture itself when the slot file could not be written.
        if (!fallback.open() || !picture.save(fallback.fileName(), "BMP")) {
            result.errors << PictureTexts::cannotWrite(QDir::toNativeSeparators(result.jpegFile),
                                                       fallback.errorString());
            result.jpegFile.clear();
            return result;
        }
        source = fallback.fileName();
    }
    if (!PictureConversions::bmpToJpeg(result.jpegFile, source)) {
        result.errors << PictureConversions::lastError();
        result.jpegFile.clear();
    }
    return result;
}

} // namespace winorbis
