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

TEST_F(PictureConversionsTest, APictureInMemoryGivesTheJpegOfItsBmpFile) {
    // A received picture goes to its JPEG without a BMP file between; the bytes must be those
    // the way through the file gave, whatever the picture's format.
    QImage colours(64, 48, QImage::Format_RGB888);
    for (int y = 0; y < colours.height(); ++y)
        for (int x = 0; x < colours.width(); ++x)
            colours.setPixel(x, y, qRgb(4 * x, 5 * y, (x * y) & 0xFF));
    QImage grey(64, 48, QImage::Format_Grayscale8);
    for (int y = 0; y < grey.height(); ++y)
        for (int x = 0; x < grey.width(); ++x)
            grey.scanLine(y)[x] = uchar(3 * x + y);
    const struct {
        const char* name;
        QImage picture;
    } cases[] = {
        {"rgb888", colours},
        {"rgb32", colours.convertToFormat(QImage::Format_RGB32)},
        {"argb32", colours.convertToFormat(QImage::Format_ARGB32)},
        {"grey", grey},
        {"grey16", grey.convertToFormat(QImage::Format_Grayscale16)},
        {"indexed", colours.convertToFormat(QImage::Format_Indexed8)},
        {"mono", colours.convertToFormat(QImage::Format_Mono)},
    };
    const auto bytes = [](const QString& path) {
        QFile f(path);
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    };
    for (const auto& c : cases) {
        const QString bmp = file(QString::fromLatin1(c.name) + ".bmp");
        ASSERT_TRUE(c.picture.save(bmp, "BMP")) << c.name;
        const QString viaFile = file(QString::fromLatin1(c.name) + "-file.jpg");
        const QString direct = file(QString::fromLatin1(c.name) + "-memory.jpg");
        ASSERT_TRUE(PictureConversions::bmpToJpeg(viaFile, bmp)) << c.name;
        ASSERT_TRUE(PictureConversions::imageToJpeg(direct, c.picture)) << c.name;
        const QByteArray expected = bytes(viaFile);
        EXPECT_FALSE(expected.isEmpty()) << c.name;
        EXPECT_EQ(bytes(direct), expected) << c.name;
    }

    // An empty picture writes nothing and says why.
    EXPECT_FALSE(PictureConversions::imageToJpeg(file("empty.jpg"), QImage()));
    EXPECT_FALSE(QFile::exists(file("empty.jpg")));
    EXPECT_FALSE(PictureConversions::lastError().isEmpty());
    // Nor does a folder that cannot take the file.
    EXPECT_FALSE(PictureConversions::imageToJpeg(file("no-such-folder/x.jpg"), colours));
    EXPECT_FALSE(PictureConversions::lastError().isEmpty());
}
