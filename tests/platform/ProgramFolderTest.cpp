// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/ProgramFolder.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace winorbis;

namespace {

void touch(const QString& path) {
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
}

} // namespace

TEST(ProgramFolder, MapsProgramNamesBelowTheFolder) {
    QTemporaryDir dir;
    const ProgramFolder folder(dir.path() + "/");
    EXPECT_EQ(folder.folder(), dir.path());
    EXPECT_EQ(folder.path(u"\\COM.DAT"), dir.path() + "/COM.DAT");
    EXPECT_EQ(folder.path(u"\\Kleinbilder\\Bild3.bmp"), dir.path() + "/Kleinbilder/Bild3.bmp");
}

TEST(ProgramFolder, FindsExistingFilesWhateverTheLetterCase) {
    QTemporaryDir dir;
    ASSERT_TRUE(QDir(dir.path()).mkdir("kleinbilder"));
    touch(dir.path() + "/kleinbilder/BILD3.BMP");
    touch(dir.path() + "/com.dat");
    const ProgramFolder folder(dir.path());
    EXPECT_EQ(folder.path(u"\\Kleinbilder\\Bild3.bmp"), dir.path() + "/kleinbilder/BILD3.BMP");
    EXPECT_EQ(folder.path(u"\\COM.DAT"), dir.path() + "/com.dat");
    EXPECT_TRUE(folder.exists(u"\\KLEINBILDER\\bild3.bmp"));
    // A file that does not exist yet keeps its spelling, inside the existing folder's.
    EXPECT_EQ(folder.path(u"\\Kleinbilder\\Bild4.bmp"), dir.path() + "/kleinbilder/Bild4.bmp");
    EXPECT_FALSE(folder.exists(u"\\Kleinbilder\\Bild4.bmp"));
}

TEST(ProgramFolder, PrefersTheExactSpellingWhenBothExist) {
    QTemporaryDir dir;
    touch(dir.path() + "/Temp.bmp");
    touch(dir.path() + "/temp.bmp");
    EXPECT_EQ(ProgramFolder(dir.path()).path(u"\\temp.bmp"), dir.path() + "/temp.bmp");
}

TEST(ProgramFolder, CreatesOnlyTheMissingPictureFolders) {
    QTemporaryDir dir;
    ASSERT_TRUE(QDir(dir.path()).mkdir("TXKATALOG"));
    const ProgramFolder folder(dir.path());
    EXPECT_TRUE(folder.createMissingFolders().isEmpty());
    const QStringList entries = QDir(dir.path()).entryList(QDir::Dirs | QDir::NoDotAndDotDot);
    EXPECT_EQ(entries.size(), 22);
    EXPECT_TRUE(entries.contains("TXKATALOG"));
    EXPECT_FALSE(entries.contains("TxKatalog"));
    for (const char* name : {"Kleinbilder", "RxKatalog", "AutoSpeichern", "im0", "im17"})
        EXPECT_TRUE(entries.contains(name)) << name;
}

TEST(ProgramFolder, ReportsFoldersThatCannotBeMade) {
    QTemporaryDir dir;
    touch(dir.path() + "/im5"); // a file where a folder belongs
    const QStringList failed = ProgramFolder(dir.path()).createMissingFolders();
    EXPECT_EQ(failed, QStringList{"\\im5"});
}
