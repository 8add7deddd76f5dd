// SPDX-License-Identifier: GPL-3.0-or-later
#include "ConfirmationSound.h"

#include "platform/Dialogs.h"
#include "platform/ProgramFolder.h"

#include <QFileInfo>
#include <QSoundEffect>
#include <QUrl>

namespace winorbis {

ConfirmationSound::ConfirmationSound(const ProgramFolder& folder, Dialogs& dialogs, QObject* parent)
    : QObject(parent)
    , folder_(folder)
    , dialogs_(dialogs)
    , player_(new QSoundEffect(this)) {
    player_->setObjectName(QStringLiteral("MediaPlayer1"));
}

void ConfirmationSound::play() {
    const QString path = folder_.path(u"\\ok.wav");
    if (!QFileInfo::exists(path)) {
        dialogs_.error(
            QStringLiteral("The sound %1 cannot be played: the file does not exist.").arg(path));
        return;
    }
    player_->setSource(QUrl::fromLocalFile(path));
    player_->play();
}

} // namespace winorbis
