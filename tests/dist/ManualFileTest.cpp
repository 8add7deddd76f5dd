// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/ManualFile.h"
#include "platform/ProgramFolder.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace winorbis;

namespace {

void write(const QString& path, const QByteArray& bytes) {
    QDir().mkpath(QFileInfo(path).path());
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    ASSERT_EQ(file.write(bytes), bytes.size());
}

QByteArray read(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

class ManualFile : public ::testing::Test {
protected:
    QTemporaryDir dir;
    QString manual() const { return dir.filePath(QStringLiteral("installed/winorbis70.pdf")); }
    QString folder() const { return dir.filePath(QStringLiteral("station")); }
    void SetUp() override {
        ASSERT_TRUE(dir.isValid());
        write(manual(), "%PDF-1.4 the manual");
        QDir().mkpath(folder());
    }
};

} // namespace

TEST_F(ManualFile, ANewProgramFolderGetsTheManual) {
    EXPECT_EQ(copyManualIfMissing(ProgramFolder(folder()), manual()), QString());
    EXPECT_EQ(read(folder() + "/winorbis70.pdf"), "%PDF-1.4 the manual");
    // No temporary file of the copy is left beside it.
    EXPECT_EQ(QDir(folder()).entryList(QDir::Files), QStringList{"winorbis70.pdf"});
}

TEST_F(ManualFile, AManualAlreadyThereIsKeptInWhateverLetterCase) {
    write(folder() + "/WinOrbis70.PDF", "the operator's own");
    EXPECT_EQ(copyManualIfMissing(ProgramFolder(folder()), manual()), QString());
    EXPECT_EQ(read(folder() + "/WinOrbis70.PDF"), "the operator's own");
    EXPECT_EQ(QDir(folder()).entryList(QDir::Files), QStringList{"WinOrbis70.PDF"});
}

TEST_F(ManualFile, NoManualToCopyIsSaidAndMakesNoFile) {
    EXPECT_EQ(copyManualIfMissing(ProgramFolder(folder()), QString()), manualtext::kNotInstalled);
    EXPECT_EQ(copyManualIfMissing(ProgramFolder(folder()), dir.filePath("gone.pdf")),
              manualtext::kNotInstalled);
    // An empty file is no manual: copied, it would stand in the folder for good.
    write(dir.filePath("empty.pdf"), "");
    EXPECT_EQ(copyManualIfMissing(ProgramFolder(folder()), dir.filePath("empty.pdf")),
              manualtext::kNotInstalled);
    EXPECT_TRUE(QDir(folder()).entryList(QDir::Files).isEmpty());
}

TEST_F(ManualFile, ACopyThatCannotBeWrittenIsReported) {
    // The program folder's place is taken by a plain file: nothing can be written below it.
    write(dir.filePath("plain"), "x");
    const QString problem = copyManualIfMissing(ProgramFolder(dir.filePath("plain")), manual());
    EXPECT_TRUE(problem.startsWith(QStringLiteral("Cannot copy the user manual to ")))
        << qPrintable(problem);
    EXPECT_EQ(read(dir.filePath("plain")), "x");
}

TEST_F(ManualFile, TheInstallationsManualIsFoundBesideTheProgram) {
    const QDir prefix(dir.filePath(QStringLiteral("prefix")));
    write(prefix.filePath(QStringLiteral(WINORBIS_TEST_DOCDIR "/winorbis70.pdf")),
          "%PDF installed");
    const QString bin = prefix.filePath(QStringLiteral(WINORBIS_TEST_BINDIR));
    QDir().mkpath(bin);
    EXPECT_EQ(installedManual(bin), QDir::cleanPath(prefix.filePath(
                                        QStringLiteral(WINORBIS_TEST_DOCDIR "/winorbis70.pdf"))));
    // Without an installation around the program, the manual this build made.
    EXPECT_EQ(installedManual(dir.filePath(QStringLiteral("elsewhere"))),
              QDir::cleanPath(QStringLiteral(WINORBIS_TEST_MANUAL)));
}
