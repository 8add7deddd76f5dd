// SPDX-License-Identifier: GPL-3.0-or-later
#include "Caption.h"

#include "tools/orbisctl/PictureFile.h"

#include "captions/CaptionRenderer.h"
#include "captions/CaptionSources.h"
#include "captions/StarterFiles.h"
#include "captions/StationCallsign.h"
#include "platform/ConsoleDialogs.h"
#include "platform/ProgramFolder.h"
#include "settings/SettingsStore.h"
#include "stationcore/Station.h"
#include "workspace/BmpFiles.h"
#include "workspace/PictureTexts.h"

#include <QColor>

namespace winorbis {

namespace {

std::optional<TColor> colourOf(const QString& text) {
    const QColor colour = QColor::fromString(text);
    if (!colour.isValid() || !text.startsWith('#'))
        return std::nullopt;
    return TColor::fromQColor(colour);
}

Settings folderSettings(const ProgramFolder& folder) {
    return Station::folderSettings(folder, Settings::defaults(QStringLiteral("DejaVu Sans")));
}

} // namespace

QString parseCaptionOptions(const QStringList& arguments, int from, CaptionRequest& request) {
    for (int i = from; i < arguments.size(); ++i) {
        const QString& option = arguments[i];
        const bool hasValue = i + 1 < arguments.size();
        const QString value = hasValue ? arguments[i + 1] : QString();
        bool ok = true;
        if (option == "--bold") {
            request.bold = true;
            continue;
        }
        if (option == "--italic") {
            request.italic = true;
            continue;
        }
        if (option == "--callsign") {
            request.callsign = true;
            continue;
        }
        if (option == "--no-shadow") {
            request.noShadow = true;
            continue;
        }
        if (!hasValue)
            return QStringLiteral("unknown or incomplete option %1").arg(option);
        ++i;
        if (option == "--text") {
            if (value.isEmpty() || value.size() > 31)
                return QStringLiteral("--text takes 1 to 31 characters");
            request.text = value;
        } else if (option == "--at") {
            const QStringList xy = value.split(',');
            bool okY = false;
            request.at = QPoint(xy.value(0).toInt(&ok), xy.value(1).toInt(&okY));
            if (xy.size() != 2 || !ok || !okY)
                return QStringLiteral("--at takes X,Y");
        } else if (option == "--size") {
            request.size = value.toInt(&ok);
            if (!ok || *request.size < 1 || *request.size > 1000)
                return QStringLiteral("--size takes a height in pixels from 1 to 1000");
        } else if (option == "--angle") {
            request.angle = value.toInt(&ok);
            if (!ok || *request.angle < -360 || *request.angle > 360)
                return QStringLiteral("--angle takes degrees from -360 to 360");
        } else if (option == "--font") {
            request.font = value;
        } else if (option == "--colour" || option == "--color") {
            request.colour = colourOf(value);
            if (!request.colour)
                return QStringLiteral("%1 takes #RRGGBB").arg(option);
        } else if (option == "--shadow") {
            request.shadow = colourOf(value);
            if (!request.shadow)
                return QStringLiteral("--shadow takes #RRGGBB");
        } else {
            return QStringLiteral("unknown caption option %1").arg(option);
        }
    }
    if (request.text.isNull() && (request.size || request.angle || request.font || request.bold ||
                                  request.italic || request.colour || request.shadow))
        return QStringLiteral("the caption options need --text");
    return {};
}

CaptionStyle captionStyleFor(const ProgramFolder& folder, const CaptionRequest& request) {
    CaptionStyle style = captions::captionStyle(folderSettings(folder));
    if (request.size)
        style.font.height = *request.size;
    if (request.angle)
        style.font.escapement = *request.angle * 10;
    if (request.font)
        style.font.faceName = request.font->left(kFaceNameMax);
    if (request.bold)
        style.font.weight = captions::kBold;
    if (request.italic)
        style.font.italic = 1;
    if (request.colour)
        style.textColour = *request.colour;
    if (request.shadow) {
        style.shadowColour = *request.shadow;
        style.shadow = true;
    }
    if (request.noShadow)
        style.shadow = false;
    return style;
}

QString applyCaption(QImage& picture, const ProgramFolder& folder, const CaptionRequest& request) {
    if (!request.text.isEmpty())
        captions::renderCaption(picture, request.text, request.at,
                                captionStyleFor(folder, request));
    if (request.callsign) {
        const QString path = folder.path(u"\\callsign.bmp");
        QString error;
        const QImage callsign = BmpFiles::read(path, &error);
        if (callsign.isNull())
            return error; // already says which file and why
        captions::pasteCallsign(picture, callsign);
    }
    return {};
}

int runCaption(const QStringList& arguments, const ProgramFolder& folder, std::FILE* err) {
    const auto usage = [err](const QString& why) {
        std::fprintf(err, "orbisctl: %s; see orbisctl --help\n", qPrintable(why));
        return 2;
    };
    if (arguments.size() < 2 || arguments[0].startsWith("--") || arguments[1].startsWith("--"))
        return usage(QStringLiteral("caption needs IN and OUT"));
    CaptionRequest request;
    if (const QString why = parseCaptionOptions(arguments, 2, request); !why.isEmpty())
        return usage(why);
    if (request.text.isNull())
        return usage(QStringLiteral("caption needs --text"));
    if (const QString problem = pictureNameProblem(arguments[1]); !problem.isEmpty())
        return usage(problem);
    QString why;
    QImage picture = loadTxPictureFile(arguments[0], &why);
    if (picture.isNull()) {
        std::fprintf(err, "orbisctl: %s\n", qPrintable(why));
        return 1;
    }
    // Nothing is written when the caption cannot be made whole.
    QString problem = applyCaption(picture, folder, request);
    if (problem.isEmpty())
        problem = savePictureFile(picture, arguments[1]);
    if (!problem.isEmpty()) {
        std::fprintf(err, "orbisctl: %s\n", qPrintable(problem));
        return 1;
    }
    return 0;
}

int runCallsign(const QStringList& arguments, const ProgramFolder& folder, std::FILE* out,
                std::FILE* err) {
    if (arguments.size() != 1) {
        std::fprintf(err, "orbisctl: callsign needs one callsign\nTry 'orbisctl --help'.\n");
        return 2;
    }
    if (const QString problem = captions::callsignProblem(arguments[0]); !problem.isEmpty()) {
        std::fprintf(err, "orbisctl: %s\n", qPrintable(problem));
        return 2;
    }
    ConsoleDialogs dialogs(err);
    SettingsStore store(folder, dialogs);
    const bool newFolder = StarterFiles::isNewFolder(folder);
    Settings settings = Settings::defaults(captions::defaultFace());
    store.ReadSettings(settings, captions::defaultFace());
    StationCallsign callsign(settings, folder);
    int status = 0;
    if (const QString problem = callsign.set(arguments[0]); !problem.isEmpty()) {
        std::fprintf(err, "orbisctl: %s\n", qPrintable(problem));
        status = 1;
    }
    if (!store.WriteSettings(settings))
        status = 1;
    // The settings file makes the folder an old one: the program's first start there would find
    // no starter files.
    if (newFolder) {
        for (const QString& problem : StarterFiles::writeMissing(folder, settings)) {
            std::fprintf(err, "orbisctl: %s\n", qPrintable(problem));
            status = 1;
        }
    }
    if (status == 0)
        std::fprintf(out, "%s\n", qPrintable(callsign.picturePath()));
    return status;
}

} // namespace winorbis
