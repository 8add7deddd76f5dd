// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QImage>
#include <QSize>
#include <QString>

namespace winorbis {

// The five test pictures of the main window, drawn in code. Each is one converter frame
// (420 x 256) and serves the operator as a reference on the air:
//   0  colour bars, a hue sweep and a grey ramp (24 bits per pixel)
//   1  a grey step wedge of 16 levels, ascending above and descending below (8 bits, 16 colours)
//   2  resolution gratings, line pairs and a timing band with edge and centre markers (24 bits)
//   3  a grid with circles for geometry and aspect (24 bits)
//   4  a star of 36 sectors beside a chart of the 16 palette colours (8 bits, 16 colours)
// The program stores them as pictures built from this drawing; the drawing is kept so that
// the build can make them and a test can compare them.
namespace TestPictures {

inline constexpr int kCount = 5;
inline constexpr QSize kSize{420, 256};
// The size of the thumbnails the main window shows of them.
inline constexpr QSize kThumbnailSize{59, 46};

// The picture of the given number (0 .. 4): QImage::Format_RGB888, or QImage::Format_Indexed8
// with a colour table of 16 entries for numbers 1 and 4. A null image for other numbers.
QImage draw(int index);

// True for the pictures held with 8 bits per pixel and a 16-colour palette.
inline constexpr bool isPaletted(int index) {
    return index == 1 || index == 4;
}

// The file name under which the build stores the picture ("TestPicture1.bmp" for number 0).
inline QString fileName(int index) {
    return QStringLiteral("TestPicture%1.bmp").arg(index + 1);
}

// The thumbnail of a picture: scaled smoothly to kThumbnailSize, QImage::Format_RGB888. The build
// stores it beside the picture, so that the main window need not read and scale the pictures at
// every start.
QImage thumbnail(const QImage& picture);

// The file name of the stored thumbnail ("TestPicture1-small.bmp" for number 0).
inline QString thumbnailFileName(int index) {
    return QStringLiteral("TestPicture%1-small.bmp").arg(index + 1);
}

} // namespace TestPictures

} // namespace winorbis
