// SPDX-License-Identifier: GPL-3.0-or-later
#include "workspace/TestPictures.h"
#include "workspace/ui/ExchangeTexts.h"
#include "workspace/ui/StoredTestPictures.h"
#include "workspace/ui/TestPictureBox.h"

#include <QHash>
#include <QLabel>
#include <QSet>
#include <QSignalSpy>
#include <QTest>

#include <gtest/gtest.h>

using namespace winorbis;

namespace {

// The share of the picture that its most frequent colour covers.
double commonestShare(const QImage& picture) {
    QHash<QRgb, int> counts;
    int most = 0;
    for (int y = 0; y < picture.height(); ++y)
        for (int x = 0; x < picture.width(); ++x)
            most = std::max(most, ++counts[picture.pixel(x, y)]);
    return double(most) / (picture.width() * picture.height());
}

void expectTestPictureShape(const QImage& picture, int index) {
    SCOPED_TRACE(index);
    ASSERT_FALSE(picture.isNull());
    EXPECT_EQ(picture.size(), QSize(420, 256));
    if (TestPictures::isPaletted(index)) {
        EXPECT_EQ(picture.format(), QImage::Format_Indexed8);
        EXPECT_EQ(picture.colorCount(), 16);
    } else {
        EXPECT_EQ(picture.format(), QImage::Format_RGB888);
    }
    // Not a flat picture: no colour covers more than four fifths of it.
    EXPECT_LT(commonestShare(picture), 0.8);
}

} // namespace

TEST(TestPictures, AreConverterFramesOfTheDepthsTheThumbnailsPromise) {
    const bool paletted[5] = {false, true, false, false, true};
    for (int i = 0; i < TestPictures::kCount; ++i) {
        EXPECT_EQ(TestPictures::isPaletted(i), paletted[i]) << i;
        expectTestPictureShape(TestPictures::draw(i), i);
    }
    EXPECT_TRUE(TestPictures::draw(-1).isNull());
    EXPECT_TRUE(TestPictures::draw(5).isNull());
}

TEST(TestPictures, ThePaletteOfEachPalettedPictureIsUsedWhole) {
    for (const int i : {1, 4}) {
        const QImage picture = TestPictures::draw(i);
        QSet<int> used;
        for (int y = 0; y < picture.height(); ++y)
            for (int x = 0; x < picture.width(); ++x)
                used.insert(picture.pixelIndex(x, y));
        EXPECT_EQ(used.size(), 16) << i;
    }
}

// The program's resources hold exactly what the drawing makes, in the same depths.
TEST(StoredTestPictures, AreTheDrawnPicturesInTheirDepths) {
    for (int i = 0; i < TestPictures::kCount; ++i) {
        SCOPED_TRACE(i);
        const QImage stored = StoredTestPictures::picture(i);
        expectTestPictureShape(stored, i);
        const QImage drawn = TestPictures::draw(i);
        EXPECT_EQ(stored.colorTable(), drawn.colorTable());
        EXPECT_TRUE(stored == drawn);
        // The thumbnails the main window shows are the pictures scaled.
        const QImage thumbnail = StoredTestPictures::thumbnail(i);
        EXPECT_EQ(thumbnail.size(), QSize(59, 46));
        EXPECT_TRUE(thumbnail == TestPictures::thumbnail(drawn));
    }
    EXPECT_TRUE(StoredTestPictures::picture(5).isNull());
    EXPECT_TRUE(StoredTestPictures::thumbnail(5).isNull());
}

TEST(StoredTestPictures, PalettedFilesKeepEightBitsPerPixel) {
    for (const int i : {1, 4}) {
        QFile file(StoredTestPictures::resourcePath(i));
        ASSERT_TRUE(file.open(QIODevice::ReadOnly)) << i;
        const QByteArray header = file.read(54);
        ASSERT_EQ(header.size(), 54);
        EXPECT_EQ(quint8(header[28]), 8) << i;  // bits per pixel
        EXPECT_EQ(quint8(header[46]), 16) << i; // colours used
    }
}

TEST(TestPictureBox, HoldsTheFiveThumbnailsTopToBottom) {
    TestPictureBox box;
    EXPECT_EQ(box.size(), QSize(91, 163));
    EXPECT_EQ(box.toolTip(), "Test picture - click with left mouse button");
    const char* names[] = {"Image20", "Image14", "Image21", "Image22", "Image24"};
    int lastTop = -1;
    for (int i = 0; i < 5; ++i) {
        SCOPED_TRACE(names[i]);
        auto* thumbnail = box.findChild<QLabel*>(names[i]);
        ASSERT_NE(thumbnail, nullptr);
        EXPECT_EQ(thumbnail, box.thumbnail(i));
        EXPECT_EQ(thumbnail->size(), QSize(59, 46));
        EXPECT_TRUE(thumbnail->hasScaledContents());
        EXPECT_FALSE(thumbnail->pixmap().isNull());
        EXPECT_GT(thumbnail->y(), lastTop);
        lastTop = thumbnail->y() + thumbnail->height() - 1;
    }
    // The thumbnails are taller together than the box: it scrolls.
    EXPECT_GT(box.widget()->height(), box.height());
}

TEST(TestPictureBox, ReportsALeftClickOnAThumbnailByItsNumber) {
    TestPictureBox box;
    box.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&box));
    QSignalSpy clicked(&box, &TestPictureBox::testPictureClicked);
    QTest::mouseClick(box.thumbnail(1), Qt::LeftButton, {}, QPoint(20, 20));
    QTest::mouseClick(box.thumbnail(0), Qt::RightButton, {}, QPoint(20, 20));
    QTest::mouseClick(box.thumbnail(0), Qt::LeftButton, {}, QPoint(5, 5));
    ASSERT_EQ(clicked.size(), 2);
    EXPECT_EQ(clicked[0][0].toInt(), 1);
    EXPECT_EQ(clicked[1][0].toInt(), 0);
}
