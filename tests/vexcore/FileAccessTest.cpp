// SPDX-License-Identifier: GPL-3.0-or-later
// The file functions on missing, existing, shared and read-only files.
#include "vexcore/vexcore.h"

#include <QByteArray>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <sys/stat.h>

namespace {

class FileAccess : public ::testing::Test {
protected:
    QByteArray path(const char* name) const { return QFile::encodeName(dir_.filePath(name)); }

    QByteArray write(const char* name, const QByteArray& contents) const {
        QFile file(dir_.filePath(name));
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(contents);
        return path(name);
    }

    QByteArray contents(const char* name) const {
        QFile file(dir_.filePath(name));
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
    }

    QTemporaryDir dir_;
};

} // namespace

TEST_F(FileAccess, OpenCreatesAMissingFileForReadingAndWriting) {
    const QByteArray name = path("new.dat");
    const HANDLE file = DataFileOpen(name);
    ASSERT_NE(file, INVALID_HANDLE_VALUE);
    EXPECT_EQ(__hwrite(file, "hello", 5), 5);
    EXPECT_EQ(DataFileSize(file), 5u);
    EXPECT_EQ(__hwrite(file, "!", 1), 1); // the size left the position where it was
    char buffer[8] = {};
    EXPECT_EQ(__hread(file, buffer, 8), 0); // at the end
    EXPECT_TRUE(DataFileClose(file));
    EXPECT_EQ(contents("new.dat"), "hello!");
}

TEST_F(FileAccess, ReadOpenNeedsAnExistingFile) {
    EXPECT_EQ(DataFileReadOpen(path("missing.dat")), INVALID_HANDLE_VALUE);
    EXPECT_FALSE(DataFileExist(path("missing.dat")));
    EXPECT_EQ(contents("missing.dat"), "<missing>"); // nothing was created

    const QByteArray name = write("data.dat", "0123456789");
    EXPECT_TRUE(DataFileExist(name));
    const HANDLE file = DataFileReadOpen(name);
    ASSERT_NE(file, INVALID_HANDLE_VALUE);
    char buffer[16] = {};
    EXPECT_EQ(__hread(file, buffer, 4), 4);
    EXPECT_EQ(DataFileSize(file), 10u);
    EXPECT_EQ(__hread(file, buffer + 4, 16 - 4 - 1), 6);
    EXPECT_STREQ(buffer, "0123456789");
    EXPECT_EQ(__hwrite(file, "x", 1), 0); // not open for writing
    DataFileClose(file);
}

TEST_F(FileAccess, WriteOpenKeepsAndCreateOpenEmptiesTheContents) {
    const QByteArray name = write("keep.dat", "abcdef");
    HANDLE file = DataFileWriteOpen(name);
    ASSERT_NE(file, INVALID_HANDLE_VALUE);
    EXPECT_EQ(__hwrite(file, "XY", 2), 2);
    DataFileClose(file);
    EXPECT_EQ(contents("keep.dat"), "XYcdef");

    file = DataFileCreateOpen(name);
    ASSERT_NE(file, INVALID_HANDLE_VALUE);
    EXPECT_EQ(DataFileSize(file), 0u);
    DataFileClose(file);
    EXPECT_EQ(contents("keep.dat"), "");

    file = DataFileWriteOpen(path("made.dat"));
    EXPECT_NE(file, INVALID_HANDLE_VALUE);
    DataFileClose(file);
    EXPECT_EQ(contents("made.dat"), "");
}

TEST_F(FileAccess, OnlyReadersShareAFile) {
    const QByteArray name = write("shared.dat", "abc");
    const HANDLE reader = DataFileReadOpen(name);
    const HANDLE second = DataFileReadOpen(name);
    EXPECT_NE(reader, INVALID_HANDLE_VALUE);
    EXPECT_NE(second, INVALID_HANDLE_VALUE);
    EXPECT_EQ(DataFileOpen(name), INVALID_HANDLE_VALUE);
    EXPECT_EQ(DataFileWriteOpen(name), INVALID_HANDLE_VALUE);
    // A refused CREATE_ALWAYS open leaves the contents alone.
    EXPECT_EQ(DataFileCreateOpen(name), INVALID_HANDLE_VALUE);
    EXPECT_EQ(contents("shared.dat"), "abc");
    DataFileClose(reader);
    DataFileClose(second);

    const HANDLE writer = DataFileWriteOpen(name);
    ASSERT_NE(writer, INVALID_HANDLE_VALUE);
    EXPECT_EQ(DataFileReadOpen(name), INVALID_HANDLE_VALUE);
    EXPECT_FALSE(DataFileExist(name));
    EXPECT_FALSE(DataFileDelete(name)); // open files are not deleted
    DataFileClose(writer);
    EXPECT_TRUE(DataFileExist(name));
}

TEST_F(FileAccess, ReadOnlyFilesAreReadButNeverChanged) {
    const QByteArray name = write("ro.dat", "keep");
    ASSERT_EQ(chmod(name.constData(), 0444), 0);
    const HANDLE reader = DataFileReadOpen(name);
    EXPECT_NE(reader, INVALID_HANDLE_VALUE);
    DataFileClose(reader);
    EXPECT_EQ(DataFileOpen(name), INVALID_HANDLE_VALUE);
    EXPECT_EQ(DataFileWriteOpen(name), INVALID_HANDLE_VALUE);
    EXPECT_EQ(DataFileCreateOpen(name), INVALID_HANDLE_VALUE);
    EXPECT_FALSE(DataFileDelete(name));
    EXPECT_EQ(contents("ro.dat"), "keep");
    chmod(name.constData(), 0644);
    EXPECT_TRUE(DataFileDelete(name));
    EXPECT_FALSE(DataFileExist(name));
    EXPECT_FALSE(DataFileDelete(name)); // already gone
}

TEST_F(FileAccess, FoldersAndBadNamesAreNoDataFiles) {
    const QByteArray folder = QFile::encodeName(dir_.path());
    EXPECT_EQ(DataFileReadOpen(folder), INVALID_HANDLE_VALUE);
    EXPECT_EQ(DataFileOpen(folder), INVALID_HANDLE_VALUE);
    EXPECT_FALSE(DataFileExist(folder));
    EXPECT_FALSE(DataFileDelete(folder));
    EXPECT_EQ(DataFileOpen(nullptr), INVALID_HANDLE_VALUE);
    EXPECT_EQ(DataFileReadOpen(""), INVALID_HANDLE_VALUE);
    EXPECT_FALSE(DataFileExist(nullptr));
    EXPECT_FALSE(DataFileDelete(nullptr));
    EXPECT_EQ(DataFileCreateOpen(path("no/such/folder.dat")), INVALID_HANDLE_VALUE);
}

TEST_F(FileAccess, InvalidHandlesAndCounts) {
    EXPECT_FALSE(DataFileClose(INVALID_HANDLE_VALUE));
    EXPECT_EQ(DataFileSize(INVALID_HANDLE_VALUE), 0u);
    char buffer[4];
    EXPECT_EQ(__hread(INVALID_HANDLE_VALUE, buffer, 4), 0);
    EXPECT_EQ(__hwrite(INVALID_HANDLE_VALUE, buffer, 4), 0);

    const HANDLE file = DataFileOpen(path("count.dat"));
    EXPECT_EQ(__hwrite(file, "abc", 0), 0);
    EXPECT_EQ(__hwrite(file, "abc", -2), 0);
    EXPECT_EQ(__hwrite(file, nullptr, 3), 0);
    EXPECT_EQ(__hread(file, nullptr, 3), 0);
    EXPECT_TRUE(DataFileClose(file));
    EXPECT_FALSE(DataFileClose(file)); // a closed handle is not closed again with success
    EXPECT_EQ(DataFileSize(file), 0u);
}
