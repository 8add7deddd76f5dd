// SPDX-License-Identifier: GPL-3.0-or-later
// The checked writer and what a program killed in the middle of a write leaves behind.
#include "platform/SafeFile.h"
#include "platform/ProgramFolder.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace winorbis;

namespace {

void writeFile(const QString& path, const QByteArray& bytes, int ageSeconds) {
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(bytes);
    file.flush();
    file.setFileTime(QDateTime::currentDateTime().addSecs(-ageSeconds),
                     QFileDevice::FileModificationTime);
}

} // namespace

TEST(SafeFile, ReplacesContentsWithoutLeavingATemporaryFile) {
    QTemporaryDir dir;
    const QString path = dir.path() + "/COM.DAT";
    ASSERT_TRUE(replaceFileContents(path, "old").isEmpty());
    ASSERT_TRUE(replaceFileContents(path, "new").isEmpty());
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(file.readAll(), "new");
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList{"COM.DAT"});
    // A write that fails (a folder stands where the file should be) leaves nothing behind.
    ASSERT_TRUE(QDir(dir.path()).mkdir("start.bmp"));
    EXPECT_FALSE(replaceFileContents(dir.path() + "/start.bmp", "x").isEmpty());
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList{"COM.DAT"});
}

TEST(SafeFile, OnlyTheWritersOwnStaleTemporaryFilesAreRemovedAtStart) {
    QTemporaryDir dir;
    const ProgramFolder folder(dir.path());
    ASSERT_TRUE(folder.createMissingFolders().isEmpty());
    const QString slotFolder = folder.path(u"\\Kleinbilder");
    writeFile(dir.path() + "/start.bmp.winorbis-a1B2c3", QByteArray(1000, 'x'), 3600);
    writeFile(slotFolder + "/Bild3.bmp.winorbis-Zz9yY8", "x", 3600);
    // Files of other names stay, also names close to the writer's.
    const QStringList others = {"photo.jpg.backup", "start.bmp.a1B2c3", "notes.winorbis-abc",
                                "COM.DAT.bad", "start.bmp"};
    for (const QString& name : others)
        writeFile(dir.path() + "/" + name, "keep", 3600);
    // A temporary file of a write that may still run (another instance) stays too.
    writeFile(dir.path() + "/COM.DAT.winorbis-q1w2e3", "busy", 0);
    // Below a picture folder nothing is looked at.
    ASSERT_TRUE(QDir(slotFolder).mkdir("deeper"));
    writeFile(slotFolder + "/deeper/x.bmp.winorbis-a1B2c3", "keep", 3600);

    EXPECT_EQ(folder.removeStaleTemporaryFiles(), 2);
    EXPECT_FALSE(QFile::exists(dir.path() + "/start.bmp.winorbis-a1B2c3"));
    EXPECT_FALSE(QFile::exists(slotFolder + "/Bild3.bmp.winorbis-Zz9yY8"));
    for (const QString& name : others)
        EXPECT_TRUE(QFile::exists(dir.path() + "/" + name)) << name.toStdString();
    EXPECT_TRUE(QFile::exists(dir.path() + "/COM.DAT.winorbis-q1w2e3"));
    EXPECT_TRUE(QFile::exists(slotFolder + "/deeper/x.bmp.winorbis-a1B2c3"));
}
