// SPDX-License-Identifier: GPL-3.0-or-later
#include "ReceivedPictureStore.h"

#include "BmpFiles.h"
#include "ReceptionLog.h"
#include "WorkingPictures.h"

#include "platform/ProgramFolder.h"
#include "platform/vexfile/PictureConversions.h"
#include "settings/Settings.h"

#include <QDir>
#include <QSet>

namespace winorbis {

QString ReceivedPictureStore::unusedFileName(const QString& folder, const QString& stamp,
                                             const QString& suffix) {
    const QDir dir(folder);
    QSet<QString> taken;
    const auto entries = dir.entryList(QDir::AllEntries | QDir::Hidden | QDir::System);
    for (const QString& entry : entries)
        taken.insert(entry.toLower());
    QString name = stamp + suffix;
    for (int number = 2; taken.contains(name.toLower()); ++number)
        name = QStringLiteral("%1_%2%3").arg(stamp).arg(number).arg(suffix);
    return dir.filePath(name);
}

ReceivedPictureStore::Result ReceivedPictureStore::store(const QImage& picture, Settings& settings,
                                                         bool saveAuto, const QDateTime& when,
                                                         const QString& mode,
                                                         const QString& callsign) const {
    Result result = storeFiles(picture, settings, saveAuto, when);
    const ReceptionLog::Entry entry{when, mode, result.slotFile, result.jpegFile, callsign};
    result.hint = ReceptionLog::hint(entry);
    if (const QString problem = ReceptionLog(folder_.path(u"\\AutoSpeichern")).append(entry);
        !problem.isEmpty())
        result.errors << problem;
    return result;
}

ReceivedPictureStore::Result ReceivedPictureStore::storeFiles(const QImage& picture,
                                                              Settings& settings, bool saveAuto,
                                                              const QDateTime& when) const {
    Result result;
    result.name = WorkingPictures::timeStamp(when);
    result.slot = settings.receiveCounter;
    result.slotFile = folder_.path(QStringLiteral("\\Kleinbilder\\Bild%1.bmp").arg(result.slot));
    QString error;
    const bool slotWritten = BmpFiles::write(picture, result.slotFile, &error);
    result.slotWritten = slotWritten;
    if (!slotWritten)
        result.errors << error;
    if (result.slot >= 1 && result.slot <= kSlotCount)
        settings.slotNames[std::size_t(result.slot - 1)] = result.name;
    settings.receiveCounter = result.slot >= kSlotCount ? 1 : result.slot + 1;

    if (!saveAuto)
        return result;
    result.jpegFile =
        unusedFileName(folder_.path(u"\\AutoSpeichern"), result.name, QStringLiteral(".jpg"));
    // From the picture in memory, whether or not the slot file could be written.
    if (!PictureConversions::imageToJpeg(result.jpegFile, picture)) {
        result.errors << PictureConversions::lastError();
        result.jpegFile.clear();
    }
    return result;
}

} // namespace winorbis
