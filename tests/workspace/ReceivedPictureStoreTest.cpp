// SPDX-License-Identifier: GPL-3.0-or-later
#include "workspace/ReceivedPictureStore.h"
#include "PictureTestSupport.h"
#include "platform/ProgramFolder.h"
#include "settings/Settings.h"

#include <QDir>
#include <QFile>
#include <QImageReader>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace winorbis;

namespace {

struct StoreFixture : ::testing::Test {
    QTemporaryDir dir;
    ProgramFolder folder{dir.path()};
    ReceivedPictureStore store{folder};
    Settings settings = Settings::defaults("Face");
    QImage picture{410, 256, QImage::Format_RGB888};
    const QDateTime when{QDate(2026, 12, 6), QTime(18, 45, 1)};

    void SetUp() override {
        folder.createMissingFolders();
        picture.fill(qRgb(200, 30, 60));
    }
};

} // namespace

TEST_F(StoreFixture, APictureGoesIntoTheNextSlotUnderItsTimeStamp) {
    settings.receiveCounter = 3;
    const auto result = store.store(picture, settings, true, when);
    EXPECT_TRUE(result.errors.isEmpty()) << result.errors.join(' ').toStdString();
    EXPECT_EQ(result.name, "061226_184501");
    EXPECT_EQ(result.slotFile, dir.path() + "/Kleinbilder/Bild3.bmp");
    EXPECT_EQ(QImage(result.slotFile).pixel(5, 5), qRgb(200, 30, 60));
    EXPECT_EQ(settings.slotNames[2], "061226_184501");
    EXPECT_EQ(settings.receiveCounter, 4);
    EXPECT_EQ(result.jpegFile, dir.path() + "/AutoSpeichern/061226_184501.jpg");
    EXPECT_EQ(QImageReader(result.jpegFile).format(), "jpeg");
}

TEST_F(StoreFixture, WithoutAutomaticSavingNoJpegIsWritten) {
    const auto result = store.store(picture, settings, false, when);
    EXPECT_TRUE(result.jpegFile.isEmpty());
    EXPECT_EQ(QDir(dir.path() + "/AutoSpeichern").entryList(QDir::Files),
              QStringList{"received.log"});
    EXPECT_TRUE(QFile::exists(dir.path() + "/Kleinbilder/Bild1.bmp"));
    // The reception is recorded all the same, without a JPEG file.
    QFile log(dir.path() + "/AutoSpeichern/received.log");
    ASSERT_TRUE(log.open(QIODevice::ReadOnly));
    EXPECT_TRUE(log.readAll().endsWith("\t-\n"));
}

TEST_F(StoreFixture, TheCounterRunsFromOneToSixteenAndBack) {
    // Seventeen receptions from 1 on: each of the sixteen slots in turn, then slot 1 again.
    settings.receiveCounter = 1;
    for (int reception = 1; reception <= 17; ++reception) {
        const int slot = (reception - 1) % 16 + 1;
        const QDateTime at = when.addSecs(reception);
        const auto result = store.store(picture, settings, false, at);
        EXPECT_EQ(result.slot, slot);
        EXPECT_EQ(result.slotFile,
                  dir.path() + QStringLiteral("/Kleinbilder/Bild%1.bmp").arg(slot));
        EXPECT_EQ(settings.slotNames[slot - 1], result.name);
        EXPECT_EQ(settings.receiveCounter, slot % 16 + 1);
    }
    settings.receiveCounter = 16;
    store.store(picture, settings, false, when);
    EXPECT_EQ(settings.receiveCounter, 1);
    EXPECT_EQ(settings.slotNames[15], "061226_184501");
    // 0 (a fresh settings file) and 17 (after the RX catalog store) fill no slot.
    const Settings before = settings;
    for (int counter : {0, 17}) {
        settings.receiveCounter = counter;
        const auto result = store.store(picture, settings, false, when);
        EXPECT_TRUE(
            QFile::exists(dir.path() + QStringLiteral("/Kleinbilder/Bild%1.bmp").arg(counter)));
        EXPECT_EQ(settings.receiveCounter, 1);
        EXPECT_EQ(settings.slotNames, before.slotNames);
        EXPECT_EQ(result.slot, counter);
    }
}

TEST_F(StoreFixture, TheJpegCopyIsWrittenEvenWhenTheSlotFileCannotBe) {
    ASSERT_TRUE(QDir(dir.path() + "/Kleinbilder").removeRecursively());
    QFile blocker(dir.path() + "/Kleinbilder"); // a file where the folder belongs
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    const auto result = store.store(picture, settings, true, when);
    ASSERT_EQ(result.errors.size(), 1);
    EXPECT_TRUE(result.errors[0].contains("Bild1.bmp")) << result.errors[0].toStdString();
    EXPECT_FALSE(result.jpegFile.isEmpty());
    const QImage copy(result.jpegFile);
    ASSERT_FALSE(copy.isNull());
    EXPECT_NEAR(qRed(copy.pixel(100, 100)), 200, 12);
    EXPECT_EQ(settings.receiveCounter, 2); // the counter moves on all the same
}

TEST_F(StoreFixture, AFailedJpegCopyIsReportedAndTheSlotFileStays) {
    ASSERT_TRUE(QDir(dir.path() + "/AutoSpeichern").removeRecursively());
    QFile blocker(dir.path() + "/AutoSpeichern");
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    const auto result = store.store(picture, settings, true, when);
    // Neither the copy nor the reception log's line can be written there.
    ASSERT_EQ(result.errors.size(), 2);
    EXPECT_TRUE(result.errors[1].contains("received.log"));
    EXPECT_TRUE(result.jpegFile.isEmpty());
    EXPECT_TRUE(QFile::exists(result.slotFile));
}

TEST_F(StoreFixture, ASlotFileThatCannotBeReplacedStaysWhole) {
    const QString slotFile = dir.path() + "/Kleinbilder/Bild1.bmp";
    ASSERT_TRUE(test::writeAll(slotFile, "the old slot picture"));
    ReceivedPictureStore::Result result;
    {
        const test::FileSizeLimit limit(1000);
        result = store.store(picture, settings, false, when);
    }
    ASSERT_EQ(result.errors.size(), 1);
    EXPECT_TRUE(result.errors[0].contains("Bild1.bmp\" cannot be written"))
        << result.errors[0].toStdString();
    EXPECT_EQ(test::readAll(slotFile), "the old slot picture");
    EXPECT_EQ(QDir(dir.path() + "/Kleinbilder").entryList(QDir::Files), QStringList{"Bild1.bmp"});
}

TEST_F(StoreFixture, TwoPicturesWithinOneSecondKeepBothJpegCopies) {
    const auto first = store.store(picture, settings, true, when);
    picture.fill(qRgb(20, 200, 60));
    const auto second = store.store(picture, settings, true, when);
    const auto third = store.store(picture, settings, true, when);
    EXPECT_EQ(first.jpegFile, dir.path() + "/AutoSpeichern/061226_184501.jpg");
    EXPECT_EQ(second.jpegFile, dir.path() + "/AutoSpeichern/061226_184501_2.jpg");
    EXPECT_EQ(third.jpegFile, dir.path() + "/AutoSpeichern/061226_184501_3.jpg");
    EXPECT_NEAR(qRed(QImage(first.jpegFile).pixel(100, 100)), 200, 12);
    EXPECT_NEAR(qGreen(QImage(second.jpegFile).pixel(100, 100)), 200, 12);
    // The slot names stay the plain time stamp.
    EXPECT_EQ(settings.slotNames[1], "061226_184501");
}

TEST(UnusedFileName, CountsOnPastEveryNameInUseWhateverItsLetterCase) {
    QTemporaryDir dir;
    const QString stamp = "061226_184501";
    EXPECT_EQ(ReceivedPictureStore::unusedFileName(dir.path(), stamp, ".jpg"),
              dir.path() + "/061226_184501.jpg");
    ASSERT_TRUE(test::writeAll(dir.path() + "/061226_184501.JPG", "x"));
    ASSERT_TRUE(test::writeAll(dir.path() + "/061226_184501_2.jpg", "x"));
    ASSERT_TRUE(QDir(dir.path()).mkdir("061226_184501_3.jpg")); // a folder is in the way too
    EXPECT_EQ(ReceivedPictureStore::unusedFileName(dir.path(), stamp, ".jpg"),
              dir.path() + "/061226_184501_4.jpg");
    // Other stamps and suffixes are not affected.
    EXPECT_EQ(ReceivedPictureStore::unusedFileName(dir.path(), stamp, ".bmp"),
              dir.path() + "/061226_184501.bmp");
}
