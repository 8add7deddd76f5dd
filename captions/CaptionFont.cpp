// SPDX-License-Identifier: GPL-3.0-or-later
#include "CaptionFont.h"

#include "platform/CodePage.h"

#include <QFontMetrics>
#include <QtEndian>

#include <cmath>

namespace winorbis {

LogFont LogFont::fromBlock(const FontBlock& block) {
    LogFont font;
    font.height = block.height;
    font.width = block.width;
    font.escapement = block.escapement;
    font.weight = block.weight;
    font.italic = block.italic ? 1 : 0;
    font.charSet = std::uint8_t(block.charSet);
    font.faceName = block.faceName.left(kFaceNameMax);
    return font;
}

void LogFont::storeIn(FontBlock& block) const {
    block.height = height;
    block.width = width;
    block.escapement = escapement;
    block.weight = weight;
    block.italic = italic ? 1 : 0;
    block.faceName = faceName.left(kFaceNameMax);
}

QByteArray LogFont::toBytes() const {
    QByteArray bytes(kBytes, '\0');
    char* p = bytes.data();
    for (const std::int32_t value : {height, width, escapement, orientation, weight}) {
        qToLittleEndian(value, p);
        p += 4;
    }
    for (const std::uint8_t value : {italic, underline, strikeOut, charSet, outPrecision,
                                     clipPrecision, quality, pitchAndFamily})
        *p++ = char(value);
    const QByteArray face = toWinLatin(faceName.left(kFaceNameMax));
    std::copy(face.begin(), face.end(), p); // the last byte stays zero
    return bytes;
}

LogFont LogFont::fromBytes(const QByteArray& bytes) {
    LogFont font;
    if (bytes.size() < kBytes)
        return font;
    const char* p = bytes.constData();
    for (std::int32_t* value :
         {&font.height, &font.width, &font.escapement, &font.orientation, &font.weight}) {
        *value = qFromLittleEndian<std::int32_t>(p);
        p += 4;
    }
    for (std::uint8_t* value :
         {&font.italic, &font.underline, &font.strikeOut, &font.charSet, &font.outPrecision,
          &font.clipPrecision, &font.quality, &font.pitchAndFamily})
        *value = std::uint8_t(*p++);
    const QByteArray face(p, kFaceBytes - 1);
    const qsizetype end = face.indexOf('\0');
    font.faceName = fromWinLatin(end < 0 ? face : face.left(end));
    return font;
}

QFont LogFont::toQFont() const {
    QFont font(faceName);
    font.setWeight(weight >= 700                ? QFont::Bold
                   : weight > 0 && weight < 400 ? QFont::Light
                                                : QFont::Normal);
    font.setItalic(italic != 0);
    font.setUnderline(underline != 0);
    font.setStrikeOut(strikeOut != 0);
    const int cell = std::max(1, std::abs(height == 0 ? 12 : height));
    if (height < 0) {
        // A negative height is the character height without the internal leading.
        font.setPixelSize(cell);
        return font;
    }
    // A positive height is the whole cell: scale the pixel size until the line height fits.
    font.setPixelSize(cell);
    const int lineHeight = QFontMetrics(font).height();
    if (lineHeight > cell)
        font.setPixelSize(std::max(1, int(std::lround(double(cell) * cell / lineHeight))));
    return font;
}

} // namespace winorbis
