// SPDX-License-Identifier: GPL-3.0-or-later
#include "captions/StandardTextLibrary.h"

#include "platform/ProgramFolder.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace winorbis;

TEST(StandardTextLibrary, ReadsTheOutlineFromTabs) {
    const auto library = StandardTextLibrary::fromText("Greetings\r\n"
                                                       "\tTNX QSO\r\n"
                                                       "\t\t73\r\n"
                                                       "\tCU AGN\r\n"
                                                       "Contest\n"
                                                       "\t\t\t\tdeep\r\n" // too deep
                                                       "\t599\n");
    EXPECT_EQ(library.toText(), "Greetings\r\n\tTNX QSO\r\n\t\t73\r\n\tCU AGN\r\n"
                                "Contest\r\n\tdeep\r\n\t599\r\n");
    EXPECT_EQ(library.at({1, 0})->text, "deep");
    // A line with more tabs than its parent's depth + 1 goes one level below the line before.
    const auto nested = StandardTextLibrary::fromText("a\n\tb\n\t\t\t\tc\n");
    EXPECT_EQ(nested.at({0, 0, 0})->text, "c");
    // A first line with tabs is a top entry.
    EXPECT_EQ(StandardTextLibrary::fromText("\t\tx\n").at({0})->text, "x");
}

TEST(StandardTextLibrary, AddsEditsAndDeletesEntriesWithTheirChildren) {
    StandardTextLibrary library;
    const auto a = library.addAfter({}, "A");
    const auto b = library.addAfter(a, "B");
    const auto a1 = library.addChild(a, "A1");
    const auto a0 = library.addAfter({}, "end");
    EXPECT_EQ(b, (StandardTextLibrary::Path{1}));
    EXPECT_EQ(a1, (StandardTextLibrary::Path{0, 0}));
    EXPECT_EQ(a0, (StandardTextLibrary::Path{2}));
    const auto a2 = library.addAfter(a1, "A2");
    EXPECT_EQ(a2, (StandardTextLibrary::Path{0, 1}));
    EXPECT_TRUE(library.setText(a2, "A two"));
    EXPECT_EQ(library.toText(), "A\r\n\tA1\r\n\tA two\r\nB\r\nend\r\n");
    EXPECT_TRUE(library.remove(a));
    EXPECT_EQ(library.toText(), "B\r\nend\r\n");
    EXPECT_FALSE(library.remove({7}));
    EXPECT_FALSE(library.setText({0, 3}, "x"));

    // A copy edited leaves the library it was copied from, at every level.
    const auto copiedFrom = StandardTextLibrary::fromText("B\n\tB1\nend\n");
    library = copiedFrom;
    EXPECT_TRUE(library.setText({0, 0}, "B one"));
    library.addChild({0, 0}, "deep");
    library.addChild({1}, "end1");
    EXPECT_EQ(copiedFrom.toText(), "B\r\n\tB1\r\nend\r\n");
    EXPECT_EQ(library.toText(), "B\r\n\tB one\r\n\t\tdeep\r\nend\r\n\tend1\r\n");
}

TEST(StandardTextLibrary, SavesAndReloadsNestedEntriesInTheWindowsLatinCodePage) {
    QTemporaryDir dir;
    const ProgramFolder folder(dir.path());
    EXPECT_FALSE(StandardTextLibrary::load(folder)); // no library yet
    StandardTextLibrary library;
    const auto top = library.addAfter({}, QStringLiteral("Grüße"));
    const auto child = library.addChild(top, QStringLiteral("vy 73 € ☺"));
    library.addChild(child, QStringLiteral("deep"));
    library.addAfter(top, QStringLiteral("second"));
    ASSERT_TRUE(library.save(folder).isEmpty()); // "Save" creates the file
    QFile file(dir.filePath("winorbis.txt"));
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(file.readAll(), QByteArray("Gr\xfc\xdf"
                                         "e\r\n\tvy 73 \x80 ?\r\n\t\tdeep\r\nsecond\r\n"));
    const auto back = StandardTextLibrary::load(folder);
    ASSERT_TRUE(back);
    EXPECT_EQ(back->at({0, 0})->text, QStringLiteral("vy 73 € ?"));
    EXPECT_EQ(back->at({0, 0, 0})->text, "deep");
    EXPECT_EQ(back->at({1})->text, "second");

    // Found whatever the letter case of its name.
    ASSERT_TRUE(QFile::rename(dir.filePath("winorbis.txt"), dir.filePath("WINORBIS.TXT")));
    ASSERT_TRUE(StandardTextLibrary::load(folder));
    EXPECT_EQ(StandardTextLibrary::load(folder)->entries().size(), 2);
}
