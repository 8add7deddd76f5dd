// SPDX-License-Identifier: GPL-3.0-or-later
#include "ConfirmationSound.h"

#include "platform/Dialogs.h"
#include "platform/ProgramFolder.h"

#include "radio/devices/SoundSystem.h"

#include <QFileInfo>

namespace winorbis {

ConfirmationSound::ConfirmationSound(const ProgramFolder& folder, Dialogs& dialogs, QObject* parent)
    : QObject(parent)
    , folder_(folder)
    , dialogs_(dialogs) {}

void ConfirmationSound::play() {
    const QString path = folder_.path(u"\\ok.wav");
    if (!QFileInfo::exists(path)) {
        dialogs_.error(
            QStringLiteral("The sound %1 cannot be played: the file does not exist.").arg(path));
        return;
    }
    QString why;
    if (!radio::playSoundFile(path, &why))
        dialogs_.error(QStringLiteral("The sound %1 cannot be played: %2.").arg(path, why));
}

} // namespace winorbis
