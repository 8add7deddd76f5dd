// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QObject>

namespace winorbis {

class Dialogs;
class ProgramFolder;

// The sound the self-timer plays when its picture is taken: the program folder's "\ok.wav"; an
// error box when the file is missing. The sound system is loaded at the first play.
class ConfirmationSound : public QObject {
    Q_OBJECT
public:
    ConfirmationSound(const ProgramFolder& folder, Dialogs& dialogs, QObject* parent);
    void play();

private:
    const ProgramFolder& folder_;
    Dialogs& dialogs_;
};

} // namespace winorbis
