// SPDX-License-Identifier: GPL-3.0-or-later
#include "CatalogTestSupport.h"

#include "catalog/CatalogStore.h"
#include "catalog/CatalogTexts.h"
#include "workspace/PictureTestSupport.h"

#include <QFileInfo>

namespace winorbis::test {
namespace {

constexpr QRgb kRed = qRgb(220, 30, 30);
constexpr QRgb kBlue = qRgb(30, 30, 220);
constexpr QRgb kGreen = qRgb(30, 200, 30);

struct CatalogStoreTest : ::testing::Test {
    CatalogFolder station;
    CatalogStore store{station.folder};
};

TEST_F(CatalogStoreTest, FilesAreFoundWhateverTheirLetterCaseAndNewOnesAreLowerCase) {
    EXPECT_EQ(CatalogStore::fileName(CatalogPosition::general(3, 17), CatalogStore::Form::Jpeg),
              "\\im3\\cat17.jpg");
    EXPECT_EQ(CatalogStore::fileName(CatalogPosition::tx(2), CatalogStore::Form::Bmp),
              "\\TxKatalog\\Bild2.bmp");
    EXPECT_EQ(CatalogStore::fileName(CatalogPosition::rx(12), CatalogStore::Form::Bmp),
              "\\RxKatalog\\Bild12.jpg");

    station.write("im2/Cat4.JPG", kRed);
    const CatalogPosition position = CatalogPosition::general(2, 4);
    EXPECT_TRUE(store.exists(position, CatalogStore::Form::Jpeg));
    EXPECT_EQ(store.path(position, CatalogStore::Form::Jpeg), station.file("im2/Cat4.JPG"));
    // A form that does not exist gets the lower-case name.
    EXPECT_EQ(store.path(position, CatalogStore::Form::Bmp), station.file("im2/cat4.bmp"));
    EXPECT_FALSE(store.exists(position, CatalogStore::Form::Bmp));

    // The RX catalog is never read as BMP.
    station.write("RxKatalog/Bild1.bmp", kRed);
    EXPECT_TRUE(store.shownFile(CatalogPosition::rx(1)).isEmpty());
}

TEST_F(CatalogStoreTest, APositionShowsItsJpegFormWhereBothFormsExist) {
    station.write("im2/cat4.bmp", kBlue);
    station.write("im2/cat4.jpg", kRed);
    station.write("TxKatalog/Bild3.bmp", kGreen);
    EXPECT_EQ(store.shownFile(CatalogPosition::general(2, 4)), station.file("im2/cat4.jpg"));
    EXPECT_TRUE(looksLike(store.read(CatalogPosition::general(2, 4)).image, kRed));
    EXPECT_TRUE(looksLike(store.read(CatalogPosition::tx(3)).image, kGreen));
    station.write("TxKatalog/Bild3.jpg", kBlue);
    EXPECT_TRUE(looksLike(store.read(CatalogPosition::tx(3)).image, kBlue));
}

TEST_F(CatalogStoreTest, PageLoads) {
    // A page folder that does not exist: 25 placeholders and nothing to report.
    QDir(station.dir.path()).rmdir("im6");
    const CatalogStore::Page missing = store.readPage(6);
    EXPECT_TRUE(missing.failed.isEmpty());
    for (const QImage& picture : missing.pictures)
        EXPECT_TRUE(looksLike(picture, qRgb(128, 128, 128)));

    // A JPEG that cannot be decoded gets the placeholder and is named; the rest still loads.
    station.writeBytes("im1/cat0.jpg", QByteArray("\xFF\xD8\xFF\xE0 not a picture", 20));
    for (int k = 1; k < 25; ++k)
        station.write(QStringLiteral("im1/cat%1.%2").arg(k).arg(k % 2 ? "jpg" : "bmp"), kBlue,
                      {100, 75});
    const CatalogStore::Page page = store.readPage(1);
    ASSERT_EQ(page.failed.size(), 1);
    EXPECT_EQ(page.failed.first(), QDir::toNativeSeparators(station.file("im1/cat0.jpg")));
    EXPECT_TRUE(looksLike(page.pictures[0], qRgb(128, 128, 128)));
    for (int k = 1; k < 25; ++k)
        EXPECT_TRUE(looksLike(page.pictures[std::size_t(k)], kBlue)) << k;
}

TEST_F(CatalogStoreTest, TheCopyKeepsEveryByteAtTheBufferEdges) {
    for (const int size : {0, 1, 8191, 8192, 8193, 16384, 50000}) {
        QByteArray bytes(size, Qt::Uninitialized);
        for (int i = 0; i < size; ++i)
            bytes[i] = char(i * 7 + size);
        station.writeBytes("source.bin", bytes);
        EXPECT_EQ(CatalogStore::copyFile(station.file("source.bin"), station.file("im0/copy.bin")),
                  QString());
        EXPECT_EQ(station.bytes("im0/copy.bin"), bytes) << size;
    }
    // The source stays: a copy never moves.
    EXPECT_TRUE(station.exists("source.bin"));
}

TEST_F(CatalogStoreTest, ACopyOntoAFolderPutsTheFileIntoItUnderTheSourceName) {
    station.writeBytes("source.bin", "abc");
    EXPECT_EQ(CatalogStore::copyFile(station.file("source.bin"), station.file("im5")), QString());
    EXPECT_EQ(station.bytes("im5/source.bin"), "abc");
    EXPECT_EQ(CatalogStore::copyFile(station.file("source.bin"), station.file("im5/")), QString());
}

TEST_F(CatalogStoreTest, CopyFailuresHaveTheirTextsAndLeaveTheDestinationWhole) {
    station.writeBytes("im0/cat1.jpg", "old picture");
    EXPECT_EQ(CatalogStore::copyFile(station.file("missing.jpg"), station.file("im0/cat1.jpg")),
              CatalogTexts::kCannotOpenSource);
    EXPECT_EQ(CatalogStore::copyFile(station.file("im3"), station.file("im0/cat1.jpg")),
              CatalogTexts::kCannotOpenSource);
    EXPECT_EQ(station.bytes("im0/cat1.jpg"), "old picture");

    station.writeBytes("source.bin", QByteArray(20000, 'x'));
    EXPECT_EQ(CatalogStore::copyFile(station.file("source.bin"), station.file("nofolder/a.jpg")),
              CatalogTexts::kCannotCreateDestination);
    {
        // A full disk: writes beyond 4096 bytes fail.
        const FileSizeLimit limit(4096);
        EXPECT_EQ(CatalogStore::copyFile(station.file("source.bin"), station.file("im0/cat1.jpg")),
                  CatalogTexts::kCannotCreateDestination);
    }
    EXPECT_EQ(station.bytes("im0/cat1.jpg"), "old picture");
    EXPECT_EQ(QDir(station.file("im0")).entryList(QDir::Files), QStringList{"cat1.jpg"});
}

TEST_F(CatalogStoreTest, OnlyFilesInsideTheCatalogFoldersAreCatalogFiles) {
    station.write("im17/cat0.bmp", kRed);
    station.write("Kleinbilder/Bild1.bmp", kRed);
    EXPECT_TRUE(store.isCatalogFile(station.file("im17/cat0.bmp")));
    EXPECT_TRUE(store.isCatalogFile(station.file("RxKatalog/Bild4.jpg"))); // gone already
    // A folder copied from an installation that spelled it otherwise.
    QDir(station.dir.path()).rename("im9", "IM9");
    EXPECT_TRUE(store.isCatalogFile(station.file("IM9/cat0.bmp")));
    EXPECT_FALSE(store.isCatalogFile(station.file("Kleinbilder/Bild1.bmp")));
    EXPECT_FALSE(store.isCatalogFile(station.file("Gray.BMP")));
    EXPECT_FALSE(store.isCatalogFile(station.file("im3")));
    EXPECT_FALSE(store.isCatalogFile(station.file("im3/../Gray.BMP")));
    QDir(station.dir.path()).mkdir("im18");
    EXPECT_FALSE(store.isCatalogFile(station.file("im18/cat0.bmp")));
    EXPECT_FALSE(store.isCatalogFile(QStringLiteral("$$$")));
}

} // namespace
} // namespace winorbis::test
