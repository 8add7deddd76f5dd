// SPDX-License-Identifier: GPL-3.0-or-later
#include "settings/SettingsCodec.h"

#include <QRandomGenerator>

#include <gtest/gtest.h>

using namespace winorbis;

namespace {

const QString kFace = QStringLiteral("DejaVu Sans Mono");

QStringList linesOf(const QByteArray& bytes) {
    EXPECT_TRUE(bytes.endsWith("\r\n"));
    QStringList lines = QString::fromLatin1(bytes).split(QStringLiteral("\r\n"));
    lines.removeLast();
    return lines;
}

QByteArray join(const QStringList& lines) {
    if (lines.isEmpty())
        return {};
    return (lines.join(QStringLiteral("\r\n")) + QStringLiteral("\r\n")).toLatin1();
}

// The first-start file, line by line, as the settings table gives it.
QStringList expectedDefaultLines() {
    const QStringList block = {"27", "0", "0", "700", "0", kFace, "255", "0"};
    QStringList lines = {"2", "1", "0"};
    lines << block << "N0CALL"
          << "1"
          << "1"
          << "ID"
          << "595"
          << "1";
    for (int i = 1; i <= 8; ++i)
        lines << block << QStringLiteral("Message%1").arg(i);
    lines << "1"
          << "1"
          << "0";
    for (int i = 0; i < 16; ++i)
        lines << QStringLiteral("RxPic%1").arg(i);
    for (int i = 0; i < 5; ++i)
        lines << "Comment";
    for (int i = 1; i <= 18; ++i)
        lines << QStringLiteral("IMAGE%1").arg(i);
    for (int i = 0; i < 450; ++i)
        lines << QString();
    lines << "1"
          << "1"
          << "60"
          << "0";
    return lines;
}

Settings sampleSettings() {
    auto* rng = QRandomGenerator::global();
    auto text = [rng](int n) {
        QString t;
        for (int i = 0; i < n; ++i)
            t += QChar(u"ABCÄÖÜßé €xyz0123-_ "[rng->bounded(21)]);
        return t;
    };
    auto block = [&](FontBlock& f, bool withText) {
        f.height = -int(rng->bounded(100));
        f.width = int(rng->bounded(20));
        f.escapement = int(rng->bounded(3600));
        f.weight = rng->bounded(2) ? 700 : 400;
        f.italic = int(rng->bounded(2));
        f.faceName = text(1 + int(rng->bounded(30)));
        f.textColour = TColor(rng->generate() & 0xFFFFFF);
        f.shadowColour = TColor(0x80000000u | rng->bounded(25));
        if (withText)
            f.text = text(int(rng->bounded(20)));
    };
    Settings s;
    s.linkSpeed = LinkSpeed::Baud1200;
    s.portNumber = 4;
    s.reserved = 77;
    block(s.callsignFont, false);
    s.shadow = CaptionShadow::Off;
    s.fontIndex = 12;
    s.callsign = "DL1XYZ/P";
    s.report = "5 9 5";
    s.contestNumber = 9999;
    for (FontBlock& f : s.standardTexts)
        block(f, true);
    s.receiveCounter = 16;
    s.txCatalogCounter = 5;
    s.catalogPage = 17;
    for (QString& n : s.slotNames)
        n = text(10);
    for (QString& n : s.txNames)
        n = text(8);
    for (QString& n : s.pageNames)
        n = text(12);
    for (auto& page : s.positionNames)
        for (QString& n : page)
            n = text(int(rng->bounded(15)));
    s.saveAuto = false;
    s.picTx = false;
    s.beaconInterval = 3600;
    s.model = OrbisModel::OR150;
    return s;
}

} // namespace

TEST(SettingsFile, FirstStartWritesEveryLineOfTheTable) {
    const QStringList lines = linesOf(SettingsCodec::serialize(Settings::defaults(kFace)));
    ASSERT_EQ(lines.size(), 585);
    const QStringList expected = expectedDefaultLines();
    ASSERT_EQ(expected.size(), 585);
    for (int i = 0; i < 585; ++i)
        EXPECT_EQ(lines[i], expected[i]) << "line " << i + 1;
}

TEST(SettingsFile, EveryValueSurvivesARoundTrip) {
    for (int round = 0; round < 20; ++round) {
        Settings written = sampleSettings();
        const QByteArray bytes = SettingsCodec::serialize(written);
        ASSERT_EQ(linesOf(bytes).size(), 585);
        const auto result = SettingsCodec::parse(bytes, Settings::defaults(kFace));
        EXPECT_TRUE(result.problems.isEmpty());
        written.callsignFont.charSet = 1; // set by every read
        EXPECT_TRUE(result.settings == written) << "round " << round;
        EXPECT_EQ(SettingsCodec::serialize(result.settings), bytes);
    }
}

TEST(SettingsFile, TheCallsignBlockTextIsWrittenAsN0CALLAndSkipped) {
    QStringList lines = expectedDefaultLines();
    lines[11] = "DL0ABC";
    const auto result = SettingsCodec::parse(join(lines), Settings::defaults(kFace));
    EXPECT_TRUE(result.problems.isEmpty());
    EXPECT_EQ(result.settings.callsignFont.text, QString());
    EXPECT_EQ(linesOf(SettingsCodec::serialize(result.settings))[11], "N0CALL");
}

TEST(SettingsFile, FaceNamesAreCutTo31Characters) {
    QStringList lines = expectedDefaultLines();
    const QString longFace = QString(40, 'F');
    lines[8] = longFace;
    lines[17 + 5] = longFace; // face name of the first standard text
    const auto result = SettingsCodec::parse(join(lines), Settings::defaults(kFace));
    EXPECT_EQ(result.settings.callsignFont.faceName, QString(31, 'F'));
    EXPECT_EQ(result.settings.standardTexts[0].faceName, QString(31, 'F'));
}

TEST(SettingsFile, ReadsPortSpeedFlagsAndAnEmptyBeaconInterval) {
    QStringList lines = expectedDefaultLines();
    lines[0] = "1";
    lines[1] = "3";
    lines[581] = "0";
    lines[582] = "7"; // anything but 1 clears the box
    lines[583] = "";
    const auto result = SettingsCodec::parse(join(lines), Settings::defaults(kFace));
    EXPECT_TRUE(result.problems.isEmpty());
    EXPECT_EQ(result.settings.linkSpeed, LinkSpeed::Baud1200);
    EXPECT_EQ(result.settings.portNumber, 3);
    EXPECT_FALSE(result.settings.saveAuto);
    EXPECT_FALSE(result.settings.picTx);
    EXPECT_EQ(result.settings.beaconInterval, 60);
    EXPECT_EQ(result.settings.callsignFont.charSet, 1);
}

TEST(SettingsFile, ReadsFilesOfExistingInstallations) {
    // Windows Latin text, system colours written as negative numbers, blanks around a number,
    // and no line end after the last line.
    QStringList lines = expectedDefaultLines();
    lines[14] = QString::fromUtf8("DJ1ÄÖ");
    lines[10] = "-2147483633";
    lines[16] = " 42 ";
    QByteArray bytes;
    for (int i = 0; i < lines.size(); ++i) {
        bytes += lines[i].toLatin1();
        if (i + 1 < lines.size())
            bytes += "\r\n";
    }
    const auto result = SettingsCodec::parse(bytes, Settings::defaults(kFace));
    EXPECT_TRUE(result.problems.isEmpty());
    EXPECT_EQ(result.settings.callsign, QString::fromUtf8("DJ1ÄÖ"));
    EXPECT_EQ(result.settings.callsignFont.shadowColour, colours::clBtnFace);
    EXPECT_EQ(result.settings.contestNumber, 42);
    EXPECT_EQ(result.settings.model, OrbisModel::OR100);
    EXPECT_EQ(linesOf(SettingsCodec::serialize(result.settings))[10], "-2147483633");
}

TEST(SettingsFile, AFileCutAfterAnyLineKeepsWhatItHolds) {
    const Settings full = sampleSettings();
    const QStringList all = linesOf(SettingsCodec::serialize(full));
    const Settings defaults = Settings::defaults(kFace);
    const QStringList defaultLines = linesOf(SettingsCodec::serialize(defaults));
    for (int cut = 0; cut < 585; ++cut) {
        const auto result = SettingsCodec::parse(join(all.mid(0, cut)), defaults);
        ASSERT_FALSE(result.problems.isEmpty()) << "cut after " << cut;
        EXPECT_EQ(result.problems.first().line, cut + 1);
        EXPECT_TRUE(result.problems.first().missing);
        const QStringList read = linesOf(SettingsCodec::serialize(result.settings));
        ASSERT_EQ(read.size(), 585);
        for (int i = 0; i < 585; ++i) {
            const QString& expected = i == 11   ? QStringLiteral("N0CALL")
                                      : i < cut ? all[i]
                                                : defaultLines[i];
            ASSERT_EQ(read[i], expected) << "cut after " << cut << ", line " << i + 1;
        }
    }
}

TEST(SettingsFile, GarbageInANumberLineKeepsThatDefaultOnly) {
    QStringList lines = linesOf(SettingsCodec::serialize(sampleSettings()));
    lines[6] = "7OO";            // the callsign font's weight
    lines[89] = "";              // the receive counter
    lines[9] = "99999999999999"; // a colour beyond 32 bits
    const auto result = SettingsCodec::parse(join(lines), Settings::defaults(kFace));
    ASSERT_EQ(result.problems.size(), 3);
    EXPECT_EQ(result.problems[0].line, 7);
    EXPECT_EQ(result.problems[0].text, "7OO");
    EXPECT_EQ(result.problems[1].line, 10);
    EXPECT_EQ(result.problems[2].line, 90);
    EXPECT_FALSE(result.problems[2].missing);
    EXPECT_EQ(result.settings.callsignFont.weight, 700);
    EXPECT_EQ(result.settings.callsignFont.textColour, colours::clRed);
    EXPECT_EQ(result.settings.receiveCounter, 1);
    // The neighbours are read as they stand.
    EXPECT_EQ(result.settings.portNumber, 4);
    EXPECT_EQ(result.settings.txCatalogCounter, 5);
    EXPECT_EQ(result.settings.model, OrbisModel::OR150);
}

// A speed, shadow or model line with a number the program does not know loads as it stands: the
// speed opens no port, the shadow is off, no model is chosen, and the file writes back unchanged.
TEST(SettingsFile, NumbersThatNameNoSpeedShadowOrModelAreKeptAsTheyStand) {
    QStringList lines = expectedDefaultLines();
    lines[0] = "7";
    lines[12] = "5";
    lines[584] = "-3";
    const auto result = SettingsCodec::parse(join(lines), Settings::defaults(kFace));
    EXPECT_TRUE(result.problems.isEmpty());
    EXPECT_EQ(baudOf(result.settings.linkSpeed), 0);
    EXPECT_NE(result.settings.shadow, CaptionShadow::On);
    EXPECT_NE(result.settings.model, OrbisModel::OR100);
    EXPECT_NE(result.settings.model, OrbisModel::OR150);
    EXPECT_EQ(SettingsCodec::serialize(result.settings), join(lines));
}

TEST(SettingsFile, LineBreaksInsideATextNeverShiftTheLines) {
    Settings s = Settings::defaults(kFace);
    s.standardTexts[2].text = "two\r\nlines";
    s.callsign = "X\nY";
    const QByteArray bytes = SettingsCodec::serialize(s);
    EXPECT_EQ(linesOf(bytes).size(), 585);
    const auto result = SettingsCodec::parse(bytes, Settings::defaults(kFace));
    EXPECT_TRUE(result.problems.isEmpty());
    EXPECT_EQ(result.settings.callsign, "X Y");
}

TEST(SettingsFile, ACarriageReturnInsideALineReadsAsTheBlankItIsWrittenAs) {
    // Standard text 5 (line 62) holding "\x8B\xFF\r\xFA", a stray CR before a CR LF at the end
    // of the callsign line: read, written and read again, the values and the text stay.
    QStringList lines = linesOf(SettingsCodec::serialize(Settings::defaults(kFace)));
    lines[61] = QString::fromLatin1("\x8B\xFF\r\xFA");
    lines[14] = QStringLiteral("DL1ABC\r");
    const auto read = SettingsCodec::parse(join(lines), Settings::defaults(kFace));
    ASSERT_TRUE(read.problems.isEmpty());
    EXPECT_EQ(read.settings.standardTexts[4].text, QString::fromWCharArray(L"\u2039\u00FF \u00FA"));
    EXPECT_EQ(read.settings.callsign, "DL1ABC ");
    const QByteArray written = SettingsCodec::serialize(read.settings);
    const auto reread = SettingsCodec::parse(written, Settings::defaults(kFace));
    EXPECT_TRUE(reread.problems.isEmpty());
    EXPECT_EQ(reread.settings, read.settings);
    EXPECT_EQ(SettingsCodec::serialize(reread.settings), written);
}

namespace {

// A font block whose nine values all differ from each other and from every other block's.
FontBlock distinctBlock(int base) {
    FontBlock b;
    b.height = base + 1;
    b.width = base + 2;
    b.escapement = base + 3;
    b.weight = base + 4;
    b.italic = base % 2;
    b.faceName = QStringLiteral("Face%1").arg(base);
    b.textColour = TColor(std::uint32_t(base + 7));
    b.shadowColour = TColor(std::uint32_t(base + 8));
    b.text = QStringLiteral("Text%1").arg(base);
    return b;
}

} // namespace

// Every field at its own line, each value unlike its neighbours', so that two fields swapped in the
// field table (read and written alike, so a round trip cannot see it) are caught.
TEST(SettingsCodec, EveryFieldStandsOnItsOwnLine) {
    Settings s;
    s.linkSpeed = LinkSpeed::Baud1200;
    s.portNumber = 3;
    s.reserved = 77;
    s.callsignFont = distinctBlock(100);
    s.shadow = CaptionShadow::Off;
    s.fontIndex = 5;
    s.callsign = "G4ABC";
    s.report = "579";
    s.contestNumber = 42;
    for (int i = 0; i < kStandardTextCount; ++i)
        s.standardTexts[std::size_t(i)] = distinctBlock(200 + 20 * i);
    s.receiveCounter = 11;
    s.txCatalogCounter = 12;
    s.catalogPage = 13;
    for (int i = 0; i < kSlotCount; ++i)
        s.slotNames[std::size_t(i)] = QStringLiteral("slot%1").arg(i);
    for (int i = 0; i < kTxNameCount; ++i)
        s.txNames[std::size_t(i)] = QStringLiteral("tx%1").arg(i);
    for (int p = 0; p < kPageCount; ++p) {
        s.pageNames[std::size_t(p)] = QStringLiteral("page%1").arg(p);
        for (int q = 0; q < kPositionsPerPage; ++q)
            s.positionNames[std::size_t(p)][std::size_t(q)] =
                QStringLiteral("p%1q%2").arg(p).arg(q);
    }
    s.saveAuto = false;
    s.picTx = true;
    s.beaconInterval = 300;
    s.model = OrbisModel::OR150;

    const QList<QByteArray> lines = SettingsCodec::serialize(s).split('\n');
    const auto line = [&](int number) { return lines[number - 1].chopped(1); }; // without CR
    const auto expectBlock = [&](int first, int base, const QByteArray& ninth) {
        EXPECT_EQ(line(first), QByteArray::number(base + 1)) << first;
        EXPECT_EQ(line(first + 1), QByteArray::number(base + 2)) << first;
        EXPECT_EQ(line(first + 2), QByteArray::number(base + 3)) << first;
        EXPECT_EQ(line(first + 3), QByteArray::number(base + 4)) << first;
        EXPECT_EQ(line(first + 4), QByteArray::number(base % 2)) << first;
        EXPECT_EQ(line(first + 5), "Face" + QByteArray::number(base)) << first;
        EXPECT_EQ(line(first + 6), QByteArray::number(base + 7)) << first;
        EXPECT_EQ(line(first + 7), QByteArray::number(base + 8)) << first;
        EXPECT_EQ(line(first + 8), ninth) << first;
    };
    EXPECT_EQ(line(1), "1");
    EXPECT_EQ(line(2), "3");
    EXPECT_EQ(line(3), "77");
    expectBlock(4, 100, "N0CALL");
    EXPECT_EQ(line(13), "0");
    EXPECT_EQ(line(14), "5");
    EXPECT_EQ(line(15), "G4ABC");
    EXPECT_EQ(line(16), "579");
    EXPECT_EQ(line(17), "42");
    for (int i = 0; i < kStandardTextCount; ++i)
        expectBlock(18 + 9 * i, 200 + 20 * i, "Text" + QByteArray::number(200 + 20 * i));
    EXPECT_EQ(line(90), "11");
    EXPECT_EQ(line(91), "12");
    EXPECT_EQ(line(92), "13");
    EXPECT_EQ(line(93), "slot0");
    EXPECT_EQ(line(108), "slot15");
    EXPECT_EQ(line(109), "tx0");
    EXPECT_EQ(line(113), "tx4");
    EXPECT_EQ(line(114), "page0");
    EXPECT_EQ(line(131), "page17");
    EXPECT_EQ(line(132), "p0q0");
    EXPECT_EQ(line(157), "p1q0");
    EXPECT_EQ(line(581), "p17q24");
    EXPECT_EQ(line(582), "0"); // "Save Pic Auto"
    EXPECT_EQ(line(583), "1"); // "Pic / Tx"
    EXPECT_EQ(line(584), "300");
    EXPECT_EQ(line(585), "1");

    // And read back into the same fields.
    const auto read = SettingsCodec::parse(SettingsCodec::serialize(s), Settings::defaults("x"));
    EXPECT_TRUE(read.problems.isEmpty());
    Settings expected = s;
    expected.callsignFont.charSet = 1;
    expected.callsignFont.text = read.settings.callsignFont.text; // the ninth line is skipped
    EXPECT_EQ(read.settings, expected);
}
