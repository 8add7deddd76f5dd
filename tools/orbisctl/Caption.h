// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "captions/CaptionFont.h"

#include <QImage>
#include <QPoint>
#include <QStringList>

#include <cstdio>
#include <optional>

namespace winorbis {

class ProgramFolder;

// A caption for a picture from the command line: the text and what differs from the caption
// settings of the program folder, and whether the callsign picture goes into the corner.
struct CaptionRequest {
    QString text;
    QPoint at{5, 220};
    std::optional<int> size;
    std::optional<int> angle;
    std::optional<QString> font;
    bool bold = false;
    bool italic = false;
    std::optional<TColor> colour;
    std::optional<TColor> shadow;
    bool noShadow = false;
    bool callsign = false;

    bool any() const { return !text.isNull() || callsign; }
};

// Reads the caption options from arguments[from] on into the request; the problem as text on a
// usage error, empty otherwise.
QString parseCaptionOptions(const QStringList& arguments, int from, CaptionRequest& request);
// The style the program would burn the caption in: the folder's caption font, colours and shadow
// switch, with the request's changes.
CaptionStyle captionStyleFor(const ProgramFolder& folder, const CaptionRequest& request);
// Burns the caption into the picture and pastes the callsign picture, as the program does; the
// reason on failure (a missing "\callsign.bmp"), empty on success.
QString applyCaption(QImage& picture, const ProgramFolder& folder, const CaptionRequest& request);

// orbisctl caption IN OUT --text TEXT [options]: exit 0, 1 when a file cannot be read or written,
// 2 on a usage error.
int runCaption(const QStringList& arguments, const ProgramFolder& folder, std::FILE* err);

// orbisctl callsign CALL: the folder's callsign set in "\COM.DAT" and "\callsign.bmp" drawn from
// it, as the setup window does (a new folder gets its other starter files as well); prints the
// picture's path. Exit 0, 1 when a file cannot be written, 2 on a usage error.
int runCallsign(const QStringList& arguments, const ProgramFolder& folder, std::FILE* out,
                std::FILE* err);

} // namespace winorbis
