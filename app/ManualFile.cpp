// SPDX-License-Identifier: GPL-3.0-or-later
#include "ManualFile.h"

#include "MainWindowTexts.h"
#include "platform/ProgramFolder.h"
#include "platform/SafeFile.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace winorbis {

namespace {

const QString kPdfName = QStringLiteral("winorbis70.pdf");

} // namespace

QString installedManual(const QString& executableDir) {
    const QStringList candidates = {
        QDir(executableDir).filePath(QStringLiteral(WINORBIS_MANUAL_FROM_BIN "/") + kPdfName),
        QStringLiteral(WINORBIS_BUILD_MANUAL_DIR "/") + kPdfName,
    };
    for (const QString& candidate : candidates) {
        const QFileInfo file(candidate);
        if (file.isFile() && file.isReadable())
            return QDir::cleanPath(file.absoluteFilePath());
    }
    return {};
}

QString installedManual() {
    return installedManual(QCoreApplication::applicationDirPath());
}

QString copyManualIfMissing(const ProgramFolder& folder, const QString& manual) {
    if (folder.exists(mainwindowtext::kManualName))
        return {};
    const QString target = folder.path(mainwindowtext::kManualName);
    if (manual.isEmpty() || !QFileInfo(manual).isFile())
        return manualtext::kNotInstalled;
    QFile source(manual);
    if (!source.open(QIODevice::ReadOnly))
        return manualtext::kCannotCopy.arg(target, source.errorString());
    const QByteArray bytes = source.readAll();
    if (source.error() != QFileDevice::NoError)
        return manualtext::kCannotCopy.arg(target, source.errorString());
    if (bytes.isEmpty())
        return manualtext::kNotInstalled;
    // Written under a temporary name and renamed: a full disk leaves no cut manual behind that
    // would count as present at the next start.
    if (const QString problem = replaceFileContents(target, bytes); !problem.isEmpty())
        return manualtext::kCannotCopy.arg(target, problem);
    return {};
}

QString copyManualIfMissing(const ProgramFolder& folder) {
    return copyManualIfMissing(folder, installedManual());
}

} // namespace winorbis
