// SPDX-License-Identifier: GPL-3.0-or-later
#include "ReceivedFiles.h"

#include "platform/vexfile/PictureConversions.h"
#include "workspace/ReceivedPictureStore.h"
#include "workspace/ReceptionLog.h"
#include "workspace/WorkingPictures.h"

#include <QDir>

namespace winorbis {

ReceivedFile saveReceivedPicture(const QImage& picture, const QString& folder,
                                 const QDateTime& when, const QString& mode,
                                 const QString& callsign) {
    ReceivedFile result;
    const QString name = ReceivedPictureStore::unusedFileName(
        folder, WorkingPictures::timeStamp(when), QStringLiteral(".jpg"));
    // The JPEG goes through the picture library's conversion, as the program folder's copies do.
    if (!PictureConversions::imageToJpeg(name, picture))
        result.errors << QStringLiteral("cannot write %1: %2")
                             .arg(QDir::toNativeSeparators(name), PictureConversions::lastError());
    else
        result.path = name;
    // The folder's log records the reception also when its picture could not be written.
    if (const QString problem =
            ReceptionLog(folder).append({when, mode, {}, result.path, callsign});
        !problem.isEmpty())
        result.errors << problem;
    return result;
}

} // namespace winorbis
