// SPDX-License-Identifier: GPL-3.0-or-later
#include "settings/SettingsStore.h"
#include "platform/ProgramFolder.h"
#include "support/ScriptedDialogs.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <csignal>
#include <sys/resource.h>

using namespace winorbis;
using winorbis::test::ScriptedDialogs;

namespace {

const QString kFace = QStringLiteral("DejaVu Sans");

QByteArray readAll(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void writeAll(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(bytes);
}

QList<QByteArray> linesOf(const QByteArray& bytes) {
    QList<QByteArray> lines = bytes.split('\n');
    lines.removeLast();
    return lines;
}

struct StoreFixture : ::testing::Test {
    QTemporaryDir dir;
    ProgramFolder folder{dir.path()};
    ScriptedDialogs dialogs;
    SettingsStore store{folder, dialogs};
    QString comDat() const { return dir.path() + "/COM.DAT"; }
};

} // namespace

TEST_F(StoreFixture, AMissingFileIsWrittenWithTheDefaultsWithoutAMessage) {
    Settings s;
    s.callsign = "stale";
    EXPECT_EQ(store.ReadSettings(s, kFace), 1);
    EXPECT_TRUE(dialogs.shown().isEmpty());
    EXPECT_EQ(s.callsign, "ID");
    EXPECT_EQ(s.callsignFont.charSet, 1);
    EXPECT_EQ(linesOf(readAll(comDat())).size(), 585);
}

TEST_F(StoreFixture, TheCallsignSetInOneRunIsThereInTheNext) {
    Settings first;
    store.ReadSettings(first, kFace);
    first.callsign = "DL1ABC";
    first.portNumber = 3;
    ASSERT_TRUE(store.WriteSettings(first));
    Settings second;
    EXPECT_EQ(store.ReadSettings(second, kFace), 3);
    EXPECT_EQ(second.callsign, "DL1ABC");
    EXPECT_TRUE(dialogs.shown().isEmpty());
}

TEST_F(StoreFixture, AnExistingFileIsFoundWhateverItsLetterCase) {
    Settings s = Settings::defaults(kFace);
    s.portNumber = 2;
    writeAll(dir.path() + "/com.dat", SettingsCodec::serialize(s));
    Settings read;
    EXPECT_EQ(store.ReadSettings(read, kFace), 2);
    ASSERT_TRUE(store.WriteSettings(read));
    EXPECT_FALSE(QFile::exists(comDat())); // rewritten in place, not beside it
}

TEST_F(StoreFixture, ADamagedFileIsKeptAsBadAndEveryReadableValueSurvives) {
    Settings s = Settings::defaults(kFace);
    s.callsign = "OE3XYZ";
    s.slotNames[15] = "last slot"; // line 108
    s.beaconInterval = 300;        // line 584, beyond the cut
    const QList<QByteArray> all = linesOf(SettingsCodec::serialize(s));
    QByteArray cut;
    for (int i = 0; i < 300; ++i)
        cut += all[i] + '\n';
    writeAll(comDat(), cut);

    Settings read;
    EXPECT_EQ(store.ReadSettings(read, kFace), 1);
    ASSERT_EQ(dialogs.count("error"), 1);
    const QString message = dialogs.texts().first();
    EXPECT_TRUE(message.contains("line 301")) << message.toStdString();
    EXPECT_TRUE(message.contains("COM.DAT.bad")) << message.toStdString();
    EXPECT_EQ(readAll(comDat() + ".bad"), cut);
    EXPECT_EQ(read.callsign, "OE3XYZ");
    EXPECT_EQ(read.slotNames[15], "last slot");
    EXPECT_EQ(read.beaconInterval, 60);

    ASSERT_TRUE(store.WriteSettings(read));
    const QList<QByteArray> rewritten = linesOf(readAll(comDat()));
    ASSERT_EQ(rewritten.size(), 585);
    for (int i = 0; i < 300; ++i)
        EXPECT_EQ(rewritten[i], all[i]) << "line " << i + 1;
}

TEST_F(StoreFixture, AGarbageNumberIsNamedWithItsLineAndText) {
    QList<QByteArray> lines = linesOf(SettingsCodec::serialize(Settings::defaults(kFace)));
    lines[1] = "COM3\r";
    QByteArray bytes;
    for (const QByteArray& line : lines)
        bytes += line + '\n';
    writeAll(comDat(), bytes);
    Settings read;
    EXPECT_EQ(store.ReadSettings(read, kFace), 1);
    ASSERT_EQ(dialogs.texts().size(), 1);
    EXPECT_TRUE(dialogs.texts().first().contains("line 2: 'COM3' is not a valid integer value"))
        << dialogs.texts().first().toStdString();
}

TEST_F(StoreFixture, AFailedWriteLeavesTheOldFileWhole) {
    Settings s = Settings::defaults(kFace);
    ASSERT_TRUE(store.WriteSettings(s));
    const QByteArray before = readAll(comDat());

    // Files may grow to 1000 bytes only: the 585 lines do not fit. This holds for root as well,
    // where read-only permissions would not.
    struct rlimit old;
    ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &old), 0);
    const auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
    struct rlimit small = old;
    small.rlim_cur = 1000;
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
    s.callsign = "changed";
    const bool written = store.WriteSettings(s);
    setrlimit(RLIMIT_FSIZE, &old);
    std::signal(SIGXFSZ, oldHandler);

    EXPECT_FALSE(written);
    EXPECT_EQ(readAll(comDat()), before);
    ASSERT_EQ(dialogs.count("error"), 1);
    EXPECT_TRUE(dialogs.texts().first().startsWith("The settings file"));
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files), QStringList{"COM.DAT"}); // no leftovers
}

TEST_F(StoreFixture, AWriteIntoAMissingFolderFailsWithAMessage) {
    ProgramFolder gone(dir.path() + "/nowhere");
    SettingsStore lost(gone, dialogs);
    EXPECT_FALSE(lost.WriteSettings(Settings::defaults(kFace)));
    EXPECT_EQ(dialogs.count("error"), 1);
}

TEST_F(StoreFixture, ADamagedLineIsQuotedShortAndPrintable) {
    QList<QByteArray> lines = linesOf(SettingsCodec::serialize(Settings::defaults(kFace)));
    QByteArray huge = "12" + QByteArray(1, '\0') + QByteArray(1'000'000, 'x');
    lines[1] = huge + '\r';
    QByteArray bytes;
    for (const QByteArray& line : lines)
        bytes += line + '\n';
    writeAll(comDat(), bytes);
    Settings read;
    store.ReadSettings(read, kFace);
    ASSERT_EQ(dialogs.texts().size(), 1);
    const QString message = dialogs.texts().first();
    EXPECT_LT(message.size(), 600);
    EXPECT_TRUE(message.contains("line 2: '12?" + QString(37, 'x') + "...'"))
        << message.toStdString();
    EXPECT_TRUE(message.contains("COM.DAT.bad")); // the whole line is not lost: the copy has it
    EXPECT_EQ(readAll(comDat() + ".bad"), bytes);
}

TEST_F(StoreFixture, LinesBeyondTheLastAreReportedAndTheFileKeptAsBad) {
    const QByteArray whole = SettingsCodec::serialize(Settings::defaults(kFace));
    const QByteArray longer = whole + "added by hand\r\nand more\r\n";
    writeAll(comDat() + ".bad", "an older damaged copy");
    writeAll(comDat(), longer);
    Settings read;
    store.ReadSettings(read, kFace);
    ASSERT_EQ(dialogs.texts().size(), 1);
    EXPECT_TRUE(dialogs.texts().first().contains("2 lines from line 586 on are not settings"))
        << dialogs.texts().first().toStdString();
    EXPECT_EQ(readAll(comDat() + ".bad"), longer); // the older copy was replaced
    EXPECT_EQ(read, SettingsCodec::parse(whole, Settings::defaults(kFace)).settings);
}

TEST_F(StoreFixture, ALinkedSettingsFileStaysALinkAndItsTargetIsWritten) {
    QTemporaryDir shared;
    const QString target = shared.path() + "/station.dat";
    Settings s = Settings::defaults(kFace);
    writeAll(target, SettingsCodec::serialize(s));
    ASSERT_TRUE(QFile::link(target, comDat()));
    s.callsign = "DL1ABC";
    ASSERT_TRUE(store.WriteSettings(s));
    EXPECT_TRUE(QFileInfo(comDat()).isSymLink());
    Settings read;
    store.ReadSettings(read, kFace);
    EXPECT_EQ(read.callsign, "DL1ABC");
    EXPECT_TRUE(readAll(target).contains("DL1ABC"));
}

// A link to a file that is no settings file (a mistake, or a link planted to make a program run as
// root overwrite a system file) keeps its target byte for byte: nothing is written, and the
// operator is told. A dangling link gets no new file either.
TEST_F(StoreFixture, ALinkToAnotherFileIsNeverWrittenThrough) {
    QTemporaryDir other;
    const QString target = other.path() + "/passwd";
    const QByteArray text = "root:x:0:0:root:/root:/bin/bash\ndaemon:x:1:1::/:/bin/false\n";
    writeAll(target, text);
    ASSERT_TRUE(QFile::link(target, comDat()));
    Settings read;
    store.ReadSettings(read, kFace); // says the file is damaged; writes only COM.DAT.bad
    dialogs.clear();
    EXPECT_FALSE(store.WriteSettings(read));
    EXPECT_EQ(readAll(target), text);
    EXPECT_TRUE(QFileInfo(comDat()).isSymLink());
    ASSERT_EQ(dialogs.texts().size(), 1);
    EXPECT_TRUE(dialogs.texts().first().contains("no settings file"))
        << dialogs.texts().first().toStdString();

    // A cut settings file behind a link is not written through either: its damage stays for the
    // operator to look at.
    Settings s = Settings::defaults(kFace);
    const QByteArray cut = SettingsCodec::serialize(s).left(200);
    writeAll(target, cut);
    EXPECT_FALSE(store.WriteSettings(s));
    EXPECT_EQ(readAll(target), cut);

    const QString dangling = other.path() + "/nothing-here";
    QFile::remove(comDat());
    ASSERT_TRUE(QFile::link(dangling, comDat()));
    EXPECT_FALSE(store.WriteSettings(s));
    EXPECT_FALSE(QFileInfo::exists(dangling));
}
