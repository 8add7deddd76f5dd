// SPDX-License-Identifier: GPL-3.0-or-later
#include "SettingsStore.h"

#include "platform/Dialogs.h"
#include "platform/ProgramFolder.h"
#include "platform/SafeFile.h"

#include <QFile>
#include <QFileInfo>

namespace winorbis {

namespace {

const QString kFileName = QStringLiteral("\\COM.DAT");
constexpr int kMaxListedProblems = 5;

} // namespace

QString SettingsStore::filePath() const {
    return folder_.path(kFileName);
}

int SettingsStore::ReadSettings(Settings& settings, const QString& defaultFace) {
    const Settings defaults = Settings::defaults(defaultFace);
    const QString path = filePath();
    if (!QFileInfo::exists(path)) {
        settings = defaults;
        WriteSettings(settings);
        settings.callsignFont.charSet = 1;
        return settings.portNumber;
    }

    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        // Unreadable: run on the defaults, and leave the file alone so nothing is lost.
        settings = defaults;
        settings.callsignFont.charSet = 1;
        dialogs_.error(QStringLiteral("The settings file %1 could not be read: %2")
                           .arg(QFileInfo(path).absoluteFilePath(), file.errorString()));
        return settings.portNumber;
    }
    const SettingsCodec::ReadResult result = SettingsCodec::parse(file.readAll(), defaults);
    file.close();
    settings = result.settings;

    if (!result.problems.isEmpty()) {
        const QString badCopy = path + QStringLiteral(".bad");
        QFile::remove(badCopy);
        const bool kept = QFile::copy(path, badCopy);
        dialogs_.error(damageMessage(path, result.problems, kept));
    }
    return settings.portNumber;
}

bool SettingsStore::WriteSettings(const Settings& settings) {
    const QString path = filePath();
    const QString error = replaceFileContents(path, SettingsCodec::serialize(settings));
    if (error.isEmpty())
        return true;
    dialogs_.error(QStringLiteral("The settings file %1 could not be written: %2")
                       .arg(QFileInfo(path).absoluteFilePath(), error));
    return false;
}

QString SettingsStore::damageMessage(const QString& path,
                                     const QList<SettingsCodec::Problem>& problems, bool copyKept) {
    QString text = QStringLiteral("The settings file %1 is damaged:\n")
                       .arg(QFileInfo(path).absoluteFilePath());
    for (int i = 0; i < problems.size() && i < kMaxListedProblems; ++i) {
        const SettingsCodec::Problem& p = problems[i];
        if (p.missing)
            text += QStringLiteral("line %1 and those after it are missing\n").arg(p.line);
        else
            text += QStringLiteral("line %1: '%2' is not a valid integer value\n")
                        .arg(p.line)
                        .arg(p.text);
    }
    if (problems.size() > kMaxListedProblems)
        text += QStringLiteral("and %1 more lines\n").arg(problems.size() - kMaxListedProblems);
    text += QStringLiteral("The defaults are used for these values; everything else was read.");
    if (copyKept)
        text += QStringLiteral("\nThe damaged file was kept as %1.bad.")
                    .arg(QFileInfo(path).fileName());
    return text;
}

} // namespace winorbis
