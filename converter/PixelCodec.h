// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QRgb>

#include <array>
#include <cstdint>

class QImage;

namespace winorbis {

// The converter's picture format: a frame of 256 lines of 420 pixels; each line is 210 pixel-pair
// blocks of 4 bytes (Y1, RY, Y2, BY) with RY and BY signed. All arithmetic is on integers with
// divisions truncating toward zero, as the converter's own firmware expects.
namespace pixelcodec {

inline constexpr int kFrameWidth = 420;
inline constexpr int kFrameLines = 256;
inline constexpr int kPairsPerLine = 210;
inline constexpr int kLineBytes = 840;
inline constexpr int kFetchLineBytes = 841; // the line block and one byte that is dropped

using PairBlock = std::array<std::uint8_t, 4>;

PairBlock encodePair(QRgb left, QRgb right);
// The two pixels of a block.
std::array<QRgb, 2> decodePair(const std::uint8_t* block);

// The 840 bytes of a line from 420 pixels.
QByteArray encodeLine(const std::array<QRgb, kFrameWidth>& pixels);
// Line row of an image, columns 0..419; columns outside the image count as white.
QByteArray encodeImageRow(const QImage& image, int row);
// The 420 pixels of an 840-byte line block.
std::array<QRgb, kFrameWidth> decodeLine(const std::uint8_t* line);
// Pixels first .. first + count - 1 of a line block as red, green, blue bytes into out.
void decodeLineRgb888(const std::uint8_t* line, int first, int count, std::uint8_t* out);

// The grey staircase that begins every upload: eight steps with RY = BY = 0.
const QByteArray& headerLine();

} // namespace pixelcodec

} // namespace winorbis
