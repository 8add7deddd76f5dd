// SPDX-License-Identifier: GPL-3.0-or-later
#include "StarterFiles.h"

#include "StandardTextLibrary.h"
#include "StationCallsign.h"
#include "platform/ProgramFolder.h"
#include "workspace/BmpFiles.h"
#include "workspace/PictureFiles.h"
#include "workspace/TestPictures.h"

namespace winorbis::StarterFiles {

namespace {

const QString kSettingsName = QStringLiteral("\\COM.DAT");

} // namespace

bool isNewFolder(const ProgramFolder& folder) {
    return !folder.exists(kSettingsName);
}

StandardTextLibrary starterLibrary() {
    StandardTextLibrary library;
    const QList<QPair<QString, QStringList>> outline = {
        {QStringLiteral("CQ"),
         {QStringLiteral("CQ SSTV"), QStringLiteral("CQ CQ CQ DE"), QStringLiteral("CQ DX")}},
        {QStringLiteral("QRZ"), {QStringLiteral("QRZ?"), QStringLiteral("QRZ DE")}},
        {QStringLiteral("Report"),
         {QStringLiteral("UR 595"), QStringLiteral("UR 575"), QStringLiteral("RX OK")}},
        {QStringLiteral("QSO"),
         {QStringLiteral("TNX FOR QSO"), QStringLiteral("TNX FOR PIC"), QStringLiteral("73"),
          QStringLiteral("73 ES GL")}},
    };
    for (const auto& [top, texts] : outline) {
        const StandardTextLibrary::Path path = library.addChild({}, top);
        for (const QString& text : texts)
            library.addChild(path, text);
    }
    return library;
}

QStringList writeMissing(const ProgramFolder& folder, Settings& settings) {
    QStringList problems;
    QString error;
    if (!folder.exists(PictureFiles::kStartPictureName) &&
        !BmpFiles::write(TestPictures::draw(0), folder.path(PictureFiles::kStartPictureName),
                         &error))
        problems << error;
    if (!folder.exists(StandardTextLibrary::kFileName)) {
        if (const QString problem = starterLibrary().save(folder); !problem.isEmpty())
            problems << problem;
    }
    if (!folder.exists(captions::kCallsignPictureName)) {
        if (const QString problem = StationCallsign(settings, folder).remakePicture();
            !problem.isEmpty())
            problems << problem;
    }
    return problems;
}

} // namespace winorbis::StarterFiles
