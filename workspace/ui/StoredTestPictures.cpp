// SPDX-License-Identifier: GPL-3.0-or-later
#include "StoredTestPictures.h"

#include "workspace/TestPictures.h"

#include <QImageReader>

namespace winorbis::StoredTestPictures {

QString resourcePath(int index) {
    return QStringLiteral(":/testpictures/") + TestPictures::fileName(index);
}

QImage picture(int index) {
    if (index < 0 || index >= TestPictures::kCount)
        return {};
    QImage stored = QImageReader(resourcePath(index), "bmp").read();
    if (stored.isNull())
        return {};
    // 24-bit files read back as 32-bit pictures.
    if (!TestPictures::isPaletted(index))
        return stored.convertToFormat(QImage::Format_RGB888);
    return stored.convertToFormat(QImage::Format_Indexed8);
}

QImage thumbnail(int index) {
    if (index < 0 || index >= TestPictures::kCount)
        return {};
    const QImage stored =
        QImageReader(QStringLiteral(":/testpictures/") + TestPictures::thumbnailFileName(index),
                     "bmp")
            .read();
    return stored.isNull() ? QImage() : stored.convertToFormat(QImage::Format_RGB888);
}

} // namespace winorbis::StoredTestPictures
