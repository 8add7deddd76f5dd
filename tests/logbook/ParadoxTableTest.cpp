// SPDX-License-Identifier: GPL-3.0-or-later
#include "logbook/ParadoxTable.h"
#include "logbook/QsoLog.h"
#include "platform/ProgramFolder.h"

#include <QDate>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTime>

#include <gtest/gtest.h>

#include <csignal>
#include <functional>
#include <sys/resource.h>
#include <unistd.h>

using namespace winorbis::logbook;

namespace {

QList<Column> everyType() {
    return {{"Call", FieldType::Alpha, 10, 0},      {"Datum", FieldType::Date, 0, 0},
            {"Zeit", FieldType::Time, 0, 0},        {"Nummer", FieldType::Long, 0, 0},
            {"Kurz", FieldType::Short, 0, 0},       {"Frequenz", FieldType::Number, 0, 0},
            {"Gebuehr", FieldType::Currency, 0, 0}, {"QSL", FieldType::Logical, 0, 0},
            {"Stempel", FieldType::Timestamp, 0, 0}};
}

Record qso(const QString& call) {
    return {call,
            QDate(2026, 12, 8),
            QTime(14, 5, 30),
            qlonglong(123456),
            qlonglong(-7),
            14.230,
            2.5,
            true,
            QDateTime(QDate(2026, 12, 8), QTime(14, 5, 30))};
}

struct Table : ::testing::Test {
    QTemporaryDir dir;
    QString path() const { return dir.filePath("QSO.DB"); }
    std::unique_ptr<ParadoxTable> make(const QList<Column>& columns = everyType()) {
        QString error;
        EXPECT_TRUE(ParadoxTable::create(path(), columns, &error)) << error.toStdString();
        auto table = ParadoxTable::open(path(), &error);
        EXPECT_TRUE(table) << error.toStdString();
        return table;
    }
};

} // namespace

TEST_F(Table, KeepsEveryTypeOfColumnAcrossReopening) {
    auto table = make();
    ASSERT_TRUE(table);
    ASSERT_EQ(table->columns().size(), 9);
    EXPECT_EQ(table->columns()[0].name, "Call");
    EXPECT_EQ(table->columns()[0].displayWidth, 10);
    EXPECT_EQ(table->columns()[1].type, FieldType::Date);
    QString error;
    ASSERT_TRUE(table->insert(qso("DL1ABC"), &error)) << error.toStdString();
    ASSERT_TRUE(table->insert(qso("OE3XYZ"), &error)) << error.toStdString();
    table.reset();
    table = ParadoxTable::open(path(), &error);
    ASSERT_TRUE(table) << error.toStdString();
    ASSERT_EQ(table->recordCount(), 2);
    EXPECT_EQ(table->record(0), qso("DL1ABC"));
    EXPECT_EQ(table->record(1), qso("OE3XYZ"));
}

TEST_F(Table, EmptyFieldsReadAsEmptyNotAsNumbers) {
    auto table = make();
    Record empty(9);
    empty[0] = QStringLiteral("DK0XX");
    QString error;
    ASSERT_TRUE(table->insert(empty, &error)) << error.toStdString();
    const Record back = table->record(0);
    EXPECT_EQ(back[0], "DK0XX");
    for (int i = 1; i < 9; ++i)
        EXPECT_TRUE(back[i].isNull()) << i << " " << back[i].toString().toStdString();
}

TEST_F(Table, RefusesTextsThatDoNotFitTheirColumnNamingIt) {
    auto table = make();
    QString error;
    EXPECT_FALSE(table->insert(qso("DL1ABCDEFGH"), &error)); // 11 characters into 10
    EXPECT_TRUE(error.contains("Call")) << error.toStdString();
    EXPECT_FALSE(table->insert(qso(QStringLiteral("JA1☺")), &error));
    EXPECT_TRUE(error.contains("Call")) << error.toStdString();
    EXPECT_EQ(table->recordCount(), 0);
    ASSERT_TRUE(table->insert(qso(QStringLiteral("Müller")), &error)) << error.toStdString();
    table = ParadoxTable::open(path(), &error);
    EXPECT_EQ(table->record(0)[0], QStringLiteral("Müller"));
}

TEST_F(Table, UpdatesAndDeletesKeepTheRecordNumbersRight) {
    auto table = make();
    QString error;
    for (const char* call : {"A1A", "B2B", "C3C", "D4D"})
        ASSERT_TRUE(table->insert(qso(call), &error)) << error.toStdString();
    ASSERT_TRUE(table->remove(1, &error)) << error.toStdString();
    ASSERT_EQ(table->recordCount(), 3);
    EXPECT_EQ(table->record(0)[0], "A1A");
    EXPECT_EQ(table->record(1)[0], "C3C");
    EXPECT_EQ(table->record(2)[0], "D4D");
    ASSERT_TRUE(table->update(1, qso("C3X"), &error)) << error.toStdString();
    ASSERT_TRUE(table->remove(2, &error)) << error.toStdString();
    table = ParadoxTable::open(path(), &error);
    ASSERT_EQ(table->recordCount(), 2);
    EXPECT_EQ(table->record(1)[0], "C3X");
    EXPECT_FALSE(table->remove(5, &error));
    EXPECT_FALSE(table->update(-1, qso("X"), &error));
}

TEST_F(Table, AReadOnlyFileOpensReadOnlyAndRefusesChanges) {
    auto table = make();
    QString error;
    ASSERT_TRUE(table->insert(qso("DL1ABC"), &error));
    table.reset();
    // Asked for read-only (as the command-line tools ask), or a file nobody may write.
    table = ParadoxTable::open(path(), &error, ParadoxTable::Mode::ReadOnly);
    ASSERT_TRUE(table) << error.toStdString();
    EXPECT_TRUE(table->readOnly());
    EXPECT_EQ(table->recordCount(), 1);
    EXPECT_FALSE(table->insert(qso("X"), &error));
    EXPECT_TRUE(error.contains("read-only"));
    EXPECT_FALSE(table->remove(0, &error));
    EXPECT_FALSE(table->update(0, qso("X"), &error));
    table.reset();
    QFile::setPermissions(path(), QFile::ReadOwner | QFile::ReadGroup);
    table = ParadoxTable::open(path(), &error);
    ASSERT_TRUE(table) << error.toStdString();
    EXPECT_EQ(table->recordCount(), 1);
    if (::geteuid() != 0) { // root may write into read-only files
        EXPECT_TRUE(table->readOnly());
    }
}

TEST_F(Table, ReportsFilesThatAreNoTables) {
    QString error;
    EXPECT_FALSE(ParadoxTable::open(dir.filePath("none.db"), &error));
    EXPECT_TRUE(error.contains("none.db"));
    QFile junk(dir.filePath("junk.db"));
    ASSERT_TRUE(junk.open(QIODevice::WriteOnly));
    junk.write(QByteArray(3000, 'x'));
    junk.close();
    EXPECT_FALSE(ParadoxTable::open(junk.fileName(), &error));
    EXPECT_FALSE(error.isEmpty());
}

TEST_F(Table, TheStarterLogIsMadeOnceAndExportsAsAdif) {
    const winorbis::ProgramFolder folder(dir.path());
    EXPECT_TRUE(createStarterLogIfMissing(folder).isEmpty());
    QString error;
    auto log = ParadoxTable::open(dir.filePath("QSO.DB"), &error);
    ASSERT_TRUE(log) << error.toStdString();
    EXPECT_EQ(log->columns().size(), starterColumns().size());
    ASSERT_TRUE(log->insert({QDate(2026, 12, 8), QTime(14, 5), QStringLiteral("dl1abc"), 14.23,
                             QStringLiteral("20m"), QStringLiteral("Martin 1"),
                             QStringLiteral("595"), QStringLiteral("575"), QStringLiteral("Jürgen"),
                             QStringLiteral("Köln"), QStringLiteral("nice pic"), QVariant()},
                            &error))
        << error.toStdString();
    Record noCall(12);
    noCall[0] = QDate(2026, 12, 9);
    ASSERT_TRUE(log->insert(noCall, &error)) << error.toStdString();
    // An existing log is left alone.
    EXPECT_TRUE(createStarterLogIfMissing(folder).isEmpty());
    log = ParadoxTable::open(dir.filePath("QSO.DB"), &error);
    ASSERT_EQ(log->recordCount(), 2);

    QStringList warnings;
    const QByteArray adif =
        adifExport(*log, QDateTime(QDate(2026, 12, 8), QTime(15, 0, 1)), &warnings);
    const QList<QByteArray> lines = adif.split('\n');
    ASSERT_GE(lines.size(), 4);
    EXPECT_EQ(lines[1], "<ADIF_VER:5>3.1.0 <PROGRAMID:8>WinOrbis "
                        "<CREATED_TIMESTAMP:15>20261208 150001");
    EXPECT_EQ(lines[2], "<EOH>");
    EXPECT_EQ(lines[3], QByteArray("<CALL:6>DL1ABC <QSO_DATE:8>20261208 <TIME_ON:6>140500 "
                                   "<FREQ:5>14.23 <BAND:3>20M <MODE:4>SSTV <RST_SENT:3>595 "
                                   "<RST_RCVD:3>575 <NAME:7>Juergen <QTH:5>Koeln "
                                   "<COMMENT:8>nice pic <EOR>"));
    EXPECT_EQ(lines.size(), 5); // the record without a call sign is left out
    EXPECT_EQ(warnings, QStringList{"record 2 has no call sign and is left out"});
}

TEST(AdifFields, AreFoundByGermanOrEnglishNamesWhateverTheCase) {
    EXPECT_EQ(adifFieldFor("RUFZEICHEN"), "CALL");
    EXPECT_EQ(adifFieldFor("Callsign"), "CALL");
    EXPECT_EQ(adifFieldFor("datum"), "QSO_DATE");
    EXPECT_EQ(adifFieldFor("Frequency"), "FREQ");
    EXPECT_EQ(adifFieldFor("Bemerkung"), "COMMENT");
    EXPECT_EQ(adifFieldFor("Bilddatei"), "");
}

TEST(AdifExport, WritesTextsThatAreNotAsciiAsAsciiWithCharacterCounts) {
    QTemporaryDir dir;
    QString error;
    ASSERT_TRUE(ParadoxTable::create(dir.filePath("L.DB"),
                                     {{"Call", FieldType::Alpha, 10, 0},
                                      {"Name", FieldType::Alpha, 40, 0},
                                      {"QTH", FieldType::Alpha, 40, 0}},
                                     &error));
    auto log = ParadoxTable::open(dir.filePath("L.DB"), &error);
    ASSERT_TRUE(log);
    // The table keeps Windows-1252: Ł and 東 cannot be kept, the others can.
    ASSERT_TRUE(log->insert(
        {"sp9xyz", QString::fromUtf8("Señor Æsop"), QString::fromUtf8("Straße Ørsted")}, &error))
        << error.toStdString();
    const QList<QByteArray> lines = adifExport(*log, QDateTime(), nullptr).split('\n');
    ASSERT_GE(lines.size(), 4);
    EXPECT_EQ(lines[3], "<CALL:6>SP9XYZ <MODE:4>SSTV <NAME:11>Senor AEsop <QTH:14>Strasse Orsted "
                        "<EOR>");
    for (const char c : lines[3])
        EXPECT_LT(static_cast<unsigned char>(c), 0x80);
}

namespace {

QByteArray fileBytes(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void writeBytes(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write(bytes);
}

// Where the table's list of (type, size) pairs starts.
int fieldList(const QByteArray& head) {
    const bool extended = quint8(head[0x39]) >= 5 && (head[4] == 0 || head[4] == 2);
    return extended ? 0x78 : 0x58;
}

} // namespace

// Damaged headers that made the engine copy past a number, read past the record or spin for ever
// are refused before the engine reads them, with a reason, quickly.
TEST_F(Table, RefusesDamagedOrEncryptedHeadersBeforeTheEngineReadsThem) {
    auto table = make();
    QString error;
    ASSERT_TRUE(table->insert(qso("DL1ABC"), &error));
    table.reset();
    const QByteArray good = fileBytes(path());
    const int fields = fieldList(good);
    ASSERT_EQ(good[fields + 2 * 3], 0x04); // the Long column
    const struct {
        const char* what;
        std::function<void(QByteArray&)> damage;
        const char* reason;
    } cases[] = {
        {"encrypted", [](QByteArray& b) { b[38] = char(0xc8); }, "encrypted"},
        {"long of 200 bytes", [&](QByteArray& b) { b[fields + 2 * 3 + 1] = char(200); },
         "which its type cannot have"},
        {"number of 4 bytes", [&](QByteArray& b) { b[fields + 2 * 5 + 1] = 4; },
         "which its type cannot have"},
        {"fields longer than the record", [](QByteArray& b) { b[0] = 8, b[1] = 0; },
         "more than the record"},
        {"more blocks than the file", [](QByteArray& b) { b[0x0C] = char(0xff); },
         "more than the file holds"},
        {"more records than the blocks", [](QByteArray& b) { b[0x08] = 0x7f; },
         "more than its blocks hold"},
        {"cut in the header", [](QByteArray& b) { b.truncate(0x40); }, "too short"},
        {"cut in the field list", [&](QByteArray& b) { b.truncate(fields + 4); }, "shorter"},
        {"no fields", [](QByteArray& b) { b[0x21] = 0, b[0x22] = 0; }, "0 fields"},
        {"an index file", [](QByteArray& b) { b[4] = 1; }, "not a table"},
        {"an unknown version", [](QByteArray& b) { b[0x39] = 14; }, "unknown table version"},
    };
    for (const auto& c : cases) {
        QByteArray bytes = good;
        c.damage(bytes);
        writeBytes(path(), bytes);
        error.clear();
        EXPECT_FALSE(ParadoxTable::open(path(), &error)) << c.what;
        EXPECT_TRUE(error.contains(c.reason)) << c.what << ": " << error.toStdString();
    }
    writeBytes(path(), good);
    EXPECT_TRUE(ParadoxTable::open(path(), &error)) << error.toStdString();
}

// Every change replaces the table in one step; before the day's first change the table is kept
// as a dated backup beside it, and no temporary copy stays behind.
TEST_F(Table, ChangesReplaceTheTableWholeAndTheDayHasABackup) {
    auto table = make();
    QString error;
    ASSERT_TRUE(table->insert(qso("DL1ABC"), &error));
    const QByteArray before = fileBytes(path());
    table.reset();
    table = ParadoxTable::open(path(), &error);
    ASSERT_TRUE(table->insert(qso("DL2XYZ"), &error));
    ASSERT_TRUE(table->update(0, qso("DL1ABD"), &error));
    ASSERT_TRUE(table->remove(1, &error));
    const QString backup = path() + "." + QDate::currentDate().toString(Qt::ISODate) + ".bak";
    const QStringList files = QDir(dir.path()).entryList(QDir::Files);
    EXPECT_EQ(files, (QStringList{"QSO.DB", QFileInfo(backup).fileName()}));
    // The first table of the day had one record when the backup was taken: make() made it empty
    // and backed it up at the first insert.
    auto kept = ParadoxTable::open(backup, &error, ParadoxTable::Mode::ReadOnly);
    ASSERT_TRUE(kept) << error.toStdString();
    EXPECT_EQ(kept->recordCount(), 0);
    EXPECT_NE(fileBytes(path()), before);
    table = ParadoxTable::open(path(), &error);
    ASSERT_EQ(table->recordCount(), 1);
    EXPECT_EQ(table->record(0)[0], "DL1ABD");
}

// A change that does not fit on the disk fails with its reason and leaves the table as it was.
TEST_F(Table, AFullDiskLeavesTheTableAsItWas) {
    auto table = make();
    QString error;
    ASSERT_TRUE(table->insert(qso("DL1ABC"), &error));
    const QByteArray before = fileBytes(path());
    // Files may grow to just the table's size: the copy fits, its next block does not.
    struct rlimit old;
    ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &old), 0);
    const auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
    struct rlimit small = old;
    small.rlim_cur = rlim_t(before.size());
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
    bool written = true;
    int added = 0;
    QByteArray lastWhole = before;
    for (; added < 200 && written; ++added) {
        written = table->insert(qso(QStringLiteral("DL%1").arg(added)), &error);
        if (written)
            lastWhole = fileBytes(path());
    }
    setrlimit(RLIMIT_FSIZE, &old);
    std::signal(SIGXFSZ, oldHandler);
    EXPECT_FALSE(written);
    EXPECT_FALSE(error.isEmpty());
    EXPECT_EQ(fileBytes(path()), lastWhole);
    table = ParadoxTable::open(path(), &error);
    ASSERT_TRUE(table) << error.toStdString();
    EXPECT_EQ(table->recordCount(), added); // DL1ABC and every insert that succeeded
    EXPECT_EQ(table->record(0)[0], "DL1ABC");
    for (const QString& name : QDir(dir.path()).entryList(QDir::Files))
        EXPECT_FALSE(name.contains(".winorbis-")) << name.toStdString();
}
