// SPDX-License-Identifier: GPL-3.0-or-later
// The four picture-file functions on real BMP and JPEG files.
#include "platform/vexfile/vexfile.h"

#include "platform/vexfile/DibImage.h"

#include <QBuffer>
#include <QFile>
#include <QImage>
#include <QImageWriter>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <cstring>

using namespace winorbis::vexfile;

namespace {

QImage gradient(int width, int height) {
    QImage image(width, height, QImage::Format_RGB32);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            image.setPixel(x, y, qRgb(x * 255 / width, y * 255 / height, 100));
    return image;
}

class Vexfile : public ::testing::Test {
protected:
    QByteArray path(const char* name) const { return QFile::encodeName(dir_.filePath(name)); }

    QByteArray save(const QImage& image, const char* name, const char* format, int quality = -1) {
        QImageWriter writer(dir_.filePath(name), format);
        writer.setQuality(quality);
        EXPECT_TRUE(writer.write(image)) << writer.errorString().toStdString();
        return path(name);
    }

    QByteArray bytes(const char* name) const {
        QFile file(dir_.filePath(name));
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }

    QTemporaryDir dir_;
};

} // namespace

TEST_F(Vexfile, JpegLoadGivesAnUnlockedPackedDib) {
    const QByteArray jpeg = save(gradient(37, 20), "picture.jpg", "jpeg", 95);
    const HGLOBAL image = VexelJpegFileLoad(jpeg, "", "", 0);
    ASSERT_NE(image, nullptr) << VexelFileLastError();
    EXPECT_STREQ(VexelFileLastError(), "");
    EXPECT_EQ(VexGlobalLockCount(image), 0u);
    const std::size_t stride = (37 * 3 + 3) / 4 * 4;
    ASSERT_EQ(VexelMemSize(image), 40 + stride * 20);
    const auto* header = static_cast<const BITMAPINFOHEADER*>(VexGlobalLock(image));
    EXPECT_EQ(header->biSize, 40u);
    EXPECT_EQ(header->biWidth, 37);
    EXPECT_EQ(header->biHeight, 20);
    EXPECT_EQ(header->biBitCount, 24);
    EXPECT_EQ(header->biCompression, BI_RGB);
    EXPECT_EQ(DibNumColors(header), 0);
    // Bottom-up rows of blue, green, red: the first stored row is the picture's last.
    const auto* pixels = reinterpret_cast<const BYTE*>(header) + 40;
    EXPECT_NEAR(pixels[0], 100, 6);  // blue
    EXPECT_NEAR(pixels[1], 242, 10); // green of the last row
    EXPECT_NEAR(pixels[2], 0, 10);   // red of the first column
    VexGlobalUnlock(image);
    EXPECT_EQ(VexelMemFree(image), 1);
}

TEST_F(Vexfile, JpegLoadRefusesWhatIsNoJpeg) {
    EXPECT_EQ(VexelJpegFileLoad(path("missing.jpg"), "", "", 0), nullptr);
    EXPECT_NE(QString(VexelFileLastError()).indexOf("missing.jpg"), -1);
    const QByteArray bmp = save(gradient(8, 8), "picture.jpg.bmp", "bmp");
    EXPECT_EQ(VexelJpegFileLoad(bmp, "", "", 0), nullptr);
    QFile truncated(dir_.filePath("cut.jpg"));
    ASSERT_TRUE(truncated.open(QIODevice::WriteOnly));
    truncated.write(QByteArray("\xFF\xD8\xFF\xE0garbage", 11));
    truncated.close();
    EXPECT_EQ(VexelJpegFileLoad(path("cut.jpg"), "", "", 0), nullptr);
    EXPECT_EQ(VexelJpegFileLoad(nullptr, "", "", 0), nullptr);
    EXPECT_EQ(VexelJpegFileLoad(QFile::encodeName(dir_.path()), "", "", 0), nullptr);
}

TEST_F(Vexfile, BmpRoundTripKeepsEveryPixelAndTheFileLayout) {
    // The layout of "\DEFALT.BMP": 410 x 256, 24 bits, rows of 1232 bytes.
    const QImage original = gradient(410, 256);
    const QByteArray source = save(original, "source.bmp", "bmp");
    const HGLOBAL image = VexelFileLoad(source, "", "");
    ASSERT_NE(image, nullptr) << VexelFileLastError();
    ASSERT_EQ(VexelBmpFileSave(path("copy.bmp"), image, "", "", 0), 1) << VexelFileLastError();
    VexelMemFree(image);

    const QByteArray file = bytes("copy.bmp");
    ASSERT_EQ(file.size(), 315446);
    BITMAPFILEHEADER header;
    std::memcpy(&header, file.constData(), sizeof header);
    EXPECT_EQ(header.bfType, 0x4D42);
    EXPECT_EQ(header.bfSize, 315446u);
    EXPECT_EQ(header.bfOffBits, 54u);
    const QImage reloaded(dir_.filePath("copy.bmp"));
    EXPECT_EQ(reloaded.convertToFormat(QImage::Format_RGB32), original);
}

TEST_F(Vexfile, PalettedAndGreyPicturesKeepTheirPalette) {
    QImage grey(9, 3, QImage::Format_Grayscale8);
    for (int y = 0; y < 3; ++y)
        for (int x = 0; x < 9; ++x)
            grey.scanLine(y)[x] = uchar(x * 30);
    const HGLOBAL image = VexelFileLoad(save(grey, "grey.bmp", "bmp"), "", "");
    ASSERT_NE(image, nullptr) << VexelFileLastError();
    const auto* header = static_cast<const BITMAPINFOHEADER*>(VexGlobalLock(image));
    EXPECT_EQ(header->biBitCount, 8);
    EXPECT_TRUE(IsGrayImage(header));
    VexGlobalUnlock(image);
    ASSERT_EQ(VexelBmpFileSave(path("grey-copy.bmp"), image, "", "", 0), 1);
    VexelMemFree(image);
    const QImage reloaded(dir_.filePath("grey-copy.bmp"));
    EXPECT_EQ(reloaded.convertToFormat(QImage::Format_Grayscale8), grey);

    QImage mono(11, 2, QImage::Format_Mono);
    mono.setColorTable({qRgb(255, 0, 0), qRgb(0, 0, 255)});
    mono.fill(0);
    mono.setPixel(3, 1, 1);
    const HGLOBAL monoImage = VexelFileLoad(save(mono, "mono.bmp", "bmp"), "", "");
    ASSERT_NE(monoImage, nullptr);
    ASSERT_EQ(VexelBmpFileSave(path("mono-copy.bmp"), monoImage, "", "", 0), 1);
    VexelMemFree(monoImage);
    const QImage monoBack(dir_.filePath("mono-copy.bmp"));
    EXPECT_EQ(monoBack.pixel(3, 1), qRgb(0, 0, 255));
    EXPECT_EQ(monoBack.pixel(4, 1), qRgb(255, 0, 0));
}

TEST_F(Vexfile, JpegSaveWritesTheGivenQuality) {
    const QImage original = gradient(64, 48);
    const HGLOBAL image = VexelFileLoad(save(original, "in.bmp", "bmp"), "", "");
    ASSERT_NE(image, nullptr);
    ASSERT_EQ(VexelJpegFileSave(path("out.jpg"), image, "", "", 50, 0), 1);
    ASSERT_EQ(VexelJpegFileSave(path("fine.jpg"), image, "", "", 95, 0), 1);
    VexelMemFree(image);
    // The same bytes as Qt's own JPEG writer at quality 50.
    QBuffer expected;
    expected.open(QIODevice::WriteOnly);
    QImageWriter writer(&expected, "jpeg");
    writer.setQuality(50);
    ASSERT_TRUE(writer.write(original));
    EXPECT_EQ(bytes("out.jpg"), expected.data());
    EXPECT_LT(bytes("out.jpg").size(), bytes("fine.jpg").size());
}

TEST_F(Vexfile, FailedSavesLeaveTheOldFile) {
    QFile old(dir_.filePath("old.bmp"));
    ASSERT_TRUE(old.open(QIODevice::WriteOnly));
    old.write("old contents");
    old.close();

    EXPECT_EQ(VexelBmpFileSave(path("old.bmp"), nullptr, "", "", 0), 0);
    EXPECT_EQ(VexelJpegFileSave(path("old.bmp"), nullptr, "", "", 50, 0), 0);
    EXPECT_NE(std::strlen(VexelFileLastError()), 0u);

    // A block whose header claims more pixels than it holds.
    const HGLOBAL broken = VexGlobalAlloc(GMEM_MOVEABLE, 60);
    auto* header = static_cast<BITMAPINFOHEADER*>(VexGlobalLock(broken));
    *header = BITMAPINFOHEADER{40, 100, 100, 1, 24, BI_RGB, 0, 0, 0, 0, 0};
    VexGlobalUnlock(broken);
    EXPECT_EQ(VexelBmpFileSave(path("old.bmp"), broken, "", "", 0), 0);
    EXPECT_EQ(VexelJpegFileSave(path("old.bmp"), broken, "", "", 50, 0), 0);
    VexelMemFree(broken);
    EXPECT_EQ(bytes("old.bmp"), "old contents");

    const HGLOBAL image = VexelFileLoad(save(gradient(4, 4), "small.bmp", "bmp"), "", "");
    EXPECT_EQ(VexelBmpFileSave(path("no/folder/x.bmp"), image, "", "", 0), 0);
    EXPECT_NE(QString(VexelFileLastError()).indexOf("x.bmp"), -1);
    EXPECT_EQ(VexelJpegFileSave(nullptr, image, "", "", 50, 0), 0);
    VexelMemFree(image);
    EXPECT_FALSE(QFile::exists(dir_.filePath("no")));
}

TEST_F(Vexfile, FileLoadReadsAnyPictureByContent) {
    const QByteArray png = save(gradient(5, 5), "named.bmp", "png");
    const HGLOBAL image = VexelFileLoad(png, "", "");
    ASSERT_NE(image, nullptr);
    VexelMemFree(image);
    QFile junk(dir_.filePath("junk.bmp"));
    ASSERT_TRUE(junk.open(QIODevice::WriteOnly));
    junk.write("BM this is no bitmap");
    junk.close();
    EXPECT_EQ(VexelFileLoad(path("junk.bmp"), "", ""), nullptr);
    EXPECT_EQ(VexelFileLoad(path("none.bmp"), nullptr, nullptr), nullptr);
}
