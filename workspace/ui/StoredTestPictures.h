// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QImage>
#include <QString>

namespace winorbis {

// The five test pictures as the program stores them: BMP files in the program's resources,
// made by the build from the drawing in TestPictures.
namespace StoredTestPictures {

// The resource path of picture 0 .. 4 (":/testpictures/TestPicture1.bmp" for 0).
QString resourcePath(int index);

// Picture 0 .. 4 as stored: 420 x 256, QImage::Format_RGB888, or QImage::Format_Indexed8 with
// its 16 colours for the paletted ones. A null image for other numbers.
QImage picture(int index);

// The thumbnail of picture 0 .. 4 as stored (TestPictures::thumbnail of it); null for others.
QImage thumbnail(int index);

} // namespace StoredTestPictures

} // namespace winorbis
