// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "Settings.h"
#include "SettingsCodec.h"

namespace winorbis {

class Dialogs;
class ProgramFolder;

// Reads and writes the settings file "\COM.DAT" of the program folder. A damaged file never costs
// the operator the values that can still be read, and a failed write never leaves a cut file.
class SettingsStore {
public:
    SettingsStore(const ProgramFolder& folder, Dialogs& dialogs)
        : folder_(folder)
        , dialogs_(dialogs) {}

    // Reads "\COM.DAT" into settings; a missing file is written at once with the defaults. Values
    // that cannot be read keep their defaults: the operator is told which lines (by number and
    // text), and the damaged file is kept as "COM.DAT.bad" beside it. Returns the port number.
    int ReadSettings(Settings& settings, const QString& defaultFace);

    // Writes the settings through a temporary file in the same folder that then replaces
    // "\COM.DAT"; on failure the old file stays whole and the error is shown. True on success.
    // A "\COM.DAT" that is a symbolic link is written through only when its target reads as a
    // settings file; otherwise nothing is written and the operator is told.
    bool WriteSettings(const Settings& settings);

    QString filePath() const;

    // The message for the lines of a damaged file.
    static QString damageMessage(const QString& path, const QList<SettingsCodec::Problem>& problems,
                                 bool copyKept);

private:
    const ProgramFolder& folder_;
    Dialogs& dialogs_;
};

} // namespace winorbis
