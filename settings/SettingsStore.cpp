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
constexpr int kMaxQuoted = 40;

// A damaged line as the message shows it: at most 40 characters, unprintable ones as '?'.
QString quoted(const QString& text) {
    QString shown = text.left(kMaxQuoted);
    for (QChar& c : shown) {
        if (!c.isPrint())
            c = QLatin1Char('?');
    }
    if (text.size() > kMaxQuoted)
        shown += QStringLiteral("...");
    return shown;
}

// True when the file reads as a whole settings file: every line there and a valid value.
bool isSettingsFile(const QString& path) {
    QFile file(path);
    if (!QFileInfo(path).isFile() || !file.open(QIODevice::ReadOnly))
        return false;
    // A settings file is a few kilobytes; anything far larger is something else.
    constexpr qint64 kLargestSettingsFile = 64 * 1024;
    if (file.size() > kLargestSettingsFile)
        return false;
    return SettingsCodec::parse(file.readAll(), Settings::defaults(QString())).problems.isEmpty();
}

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
    const QByteArray bytes = file.readAll();
    file.close();
    const SettingsCodec::ReadResult result = SettingsCodec::parse(bytes, defaults);
    settings = result.settings;

    if (!result.problems.isEmpty()) {
        // The damaged file is kept as it was read; an older copy is replaced in one step, so one
        // of the two is always there.
        const bool kept = replaceFileContents(path + QStringLiteral(".bad"), bytes).isEmpty();
        dialogs_.error(damageMessage(path, result.problems, kept));
    }
    return settings.portNumber;
}

bool SettingsStore::WriteSettings(const Settings& settings) {
    // A symbolic link "\\COM.DAT" (settings shared with another folder) stays a link: its target
    // is written.
    // Its target is written only when it reads as a settings file: a link to any other file
    // (by mistake, or planted) must never get that file overwritten with settings lines.
    QString path = filePath();
    const QFileInfo info(path);
    if (info.isSymLink()) {
        const QString target = info.symLinkTarget();
        if (target.isEmpty() || !isSettingsFile(target)) {
            dialogs_.error(
                QStringLiteral("The settings file %1 is a link to %2, which is no settings file: "
                               "the settings were not written, and %2 was left as it is.")
                    .arg(QFileInfo(path).absoluteFilePath(), target));
            return false;
        }
        path = target;
    }
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
        else if (p.extra)
            text += QStringLiteral("%1 lines from line %2 on are not settings and were left out\n")
                        .arg(p.text)
                        .arg(p.line);
        else
            text += QStringLiteral("line %1: '%2' is not a valid integer value\n")
                        .arg(p.line)
                        .arg(quoted(p.text));
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
