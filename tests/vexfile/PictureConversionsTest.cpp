// SPDX-License-Identifier: GPL-3.0-or-later
// The JPEG-to-BMP conversion through "\tempX.bmp" and the BMP-to-JPEG conversion.
#include "platform/vexfile/PictureConversions.h"

#include <QFile>
#include <QImage>
#include <QImageReader>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace winorbis;

namespace {

class PictureConversionsTest : public ::testing::Test {
protected:
    QString file(const QString& name) const { return dir_.filePath(name); }

    QString writePicture(const QString& name, QColor colour, const char* format) const {
        QImage image(40, 30, QImage::Format_RGB32);
        image.fill(colour);
        EXPECT_TRUE(image.save(file(name), format));
        return file(name);
    }

    QTemporaryDir dir_;
    ProgramFolder folder_{dir_.path()};
};

} // namespace

TEST_F(PictureConversionsTest, JpegBecomesTheTemporaryBmp) {
    const QString bmp =
        PictureConversions::jpegToBmp(folder_, writePicture("red.jpg", Qt::red, "jpeg"));
    EXPECT_EQ(bmp, folder_.folder() + "/tempX.bmp");
    QImageReader reader(bmp);
    EXPECT_EQ(reader.format(), "bmp");
    const QImage image = reader.read();
    ASSERT_EQ(image.size(), QSize(40, 30));
    EXPECT_GT(qRed(image.pixel(20, 15)), 240);

    // The next conversion overwrites the same file.
    EXPECT_EQ(PictureConversions::jpegToBmp(folder_, writePicture("blue.jpg", Qt::blue, "jpeg")),
              bmp);
    EXPECT_GT(qBlue(QImage(bmp).pixel(20, 15)), 240);
}

TEST_F(PictureConversionsTest, AFailedConversionGivesNothingToLoad) {
    const QString bmp =
        PictureConversions::jpegToBmp(folder_, writePicture("red.jpg", Qt::red, "jpeg"));
    const QByteArray before = [&] {
        QFile f(bmp);
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }();
    EXPECT_EQ(PictureConversions::jpegToBmp(folder_, file("missing.jpg")), QString());
    EXPECT_TRUE(PictureConversions::lastError().contains("missing.jpg"));
    EXPECT_EQ(PictureConversions::jpegToBmp(folder_, writePicture("bmp.jpg", Qt::red, "bmp")),
              QString());
    QFile after(bmp);
    ASSERT_TRUE(after.open(QIODevice::ReadOnly));
    EXPECT_EQ(after.readAll(), before); // the earlier result is untouched

    // A temporary BMP that cannot be written is no result either.
    ProgramFolder nowhere(file("no-such-folder"));
    EXPECT_EQ(PictureConversions::jpegToBmp(nowhere, file("red.jpg")), QString());
}

TEST_F(PictureConversionsTest, ExistingTempFileIsFoundWhateverItsCase) {
    QFile upper(file("TEMPX.BMP"));
    ASSERT_TRUE(upper.open(QIODevice::WriteOnly));
    upper.close();
    const QString bmp =
        PictureConversions::jpegToBmp(folder_, writePicture("red.jpg", Qt::red, "jpeg"));
    EXPECT_EQ(bmp, file("TEMPX.BMP"));
    EXPECT_FALSE(QFile::exists(file("tempX.bmp")));
}

TEST_F(PictureConversionsTest, BmpBecomesAJpegOfQuality50) {
    const QString source = writePicture("slot.bmp", Qt::green, "bmp");
    ASSERT_TRUE(PictureConversions::bmpToJpeg(file("061226_184501.jpg"), source));
    QImageReader reader(file("061226_184501.jpg"));
    EXPECT_EQ(reader.format(), "jpeg");
    const QImage image = reader.read();
    EXPECT_EQ(image.size(), QSize(40, 30));
    EXPECT_GT(qGreen(image.pixel(20, 15)), 240);

    // The same bytes as Qt's JPEG writer gives the picture at quality 50.
    ASSERT_TRUE(QImage(source).save(file("qt50.jpg"), "jpeg", 50));
    QFile ours(file("061226_184501.jpg"));
    QFile theirs(file("qt50.jpg"));
    ASSERT_TRUE(ours.open(QIODevice::ReadOnly));
    ASSERT_TRUE(theirs.open(QIODevice::ReadOnly));
    EXPECT_EQ(ours.readAll(), theirs.readAll());
}

TEST_F(PictureConversionsTest, NothingIsWrittenWhenTheBmpDoesNotLoad) {
    EXPECT_FALSE(PictureConversions::bmpToJpeg(file("out.jpg"), file("missing.bmp")));
    EXPECT_FALSE(QFile::exists(file("out.jpg")));
    QFile junk(file("junk.bmp"));
    ASSERT_TRUE(junk.open(QIODevice::WriteOnly));
    junk.write("not a picture");
    junk.close();
    EXPECT_FALSE(PictureConversions::bmpToJpeg(file("out.jpg"), file("junk.bmp")));
    EXPECT_FALSE(QFile::exists(file("out.jpg")));
    EXPECT_FALSE(PictureConversions::lastError().isEmpty());
}
