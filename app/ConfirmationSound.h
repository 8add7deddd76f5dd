// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QObject>

class QSoundEffect;

namespace winorbis {

class Dialogs;
class ProgramFolder;

// The sound the self-timer plays when its picture is taken: the program folder's "\ok.wav"; an
// error box when the file is missing.
class ConfirmationSound : public QObject {
    Q_OBJECT
public:
    ConfirmationSound(const ProgramFolder& folder, Dialogs& dialogs, QObject* parent);
    void play();

private:
    const ProgramFolder& folder_;
    Dialogs& dialogs_;
    QSoundEffect* player_; // "MediaPlayer1"
};

} // namespace winorbis
