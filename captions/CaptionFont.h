// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "settings/Settings.h"

#include <QByteArray>
#include <QFont>
#include <QString>

#include <cstdint>

namespace winorbis {

// A caption font as the system's logical font record describes it: 60 bytes, five 32-bit
// integers (height, width, escapement, orientation, weight), eight bytes (italic, underline,
// strike-out, character set, output precision, clipping precision, quality, pitch and family) and
// a 32-byte face name ending in a zero. A positive height is the height of the character cell in
// pixels; the escapement turns the text counter-clockwise in tenths of a degree.
struct LogFont {
    static constexpr int kBytes = 60;
    static constexpr int kFaceBytes = 32;

    std::int32_t height = 0;
    std::int32_t width = 0;
    std::int32_t escapement = 0;
    std::int32_t orientation = 0;
    std::int32_t weight = 0;
    std::uint8_t italic = 0;
    std::uint8_t underline = 0;
    std::uint8_t strikeOut = 0;
    std::uint8_t charSet = 0;
    std::uint8_t outPrecision = 0;
    std::uint8_t clipPrecision = 0;
    std::uint8_t quality = 0;
    std::uint8_t pitchAndFamily = 0;
    QString faceName; // at most 31 characters

    // The fields that the settings file keeps for a font (the rest stay zero).
    static LogFont fromBlock(const FontBlock& block);
    // Writes the kept fields back into a block, leaving its colours and text alone.
    void storeIn(FontBlock& block) const;

    // The record's bytes, little-endian, the face name in the Windows Latin code page.
    QByteArray toBytes() const;
    // Reads a record; fewer than 60 bytes give an empty record.
    static LogFont fromBytes(const QByteArray& bytes);

    // A Qt font for drawing: the face name, the weight (700 and above bold), italic, and a pixel
    // size whose line height is the record's height.
    QFont toQFont() const;
    // The turn of the text in degrees, counter-clockwise.
    double turnDegrees() const { return escapement / 10.0; }

    friend bool operator==(const LogFont&, const LogFont&) = default;
};

// How a caption is drawn: its font, the text and shadow colours, and whether it has a shadow.
struct CaptionStyle {
    LogFont font;
    TColor textColour = colours::clRed;
    TColor shadowColour = colours::clBlack;
    bool shadow = true;
};

} // namespace winorbis
