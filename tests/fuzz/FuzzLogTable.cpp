// SPDX-License-Identifier: GPL-3.0-or-later
// Fuzz target for the log book's table layer over whole ".DB" files: arbitrary files, and edits
// of a valid table with records (header, field list and data blocks alike), are opened and read
// to the last field, as the log book window and orbisctl log read them. A table that opens takes
// one more record on a copy, which then opens again with one record more. Nothing may crash,
// read outside a buffer or hang.
#include "FuzzSupport.h"

#include "logbook/ParadoxTable.h"

#include <QDate>
#include <QFile>
#include <QTime>

using namespace winorbis;
using namespace winorbis::logbook;
using fuzz::check;

namespace {

// A table with a column of every kind and a few records, made once.
const QByteArray& validTable() {
    static const QByteArray bytes = [] {
        const QString path = fuzz::scratchFolder() + QStringLiteral("/valid.db");
        QString error;
        const QList<Column> columns = {
            {"Call", FieldType::Alpha, 12, 0},      {"Datum", FieldType::Date, 0, 0},
            {"Zeit", FieldType::Time, 0, 0},        {"Nummer", FieldType::Long, 0, 0},
            {"Kurz", FieldType::Short, 0, 0},       {"Frequenz", FieldType::Number, 0, 0},
            {"Geld", FieldType::Currency, 0, 0},    {"QSL", FieldType::Logical, 0, 0},
            {"Stempel", FieldType::Timestamp, 0, 0}};
        check(ParadoxTable::create(path, columns, &error), "the valid table cannot be made");
        auto table = ParadoxTable::open(path, &error);
        check(table != nullptr, "the valid table cannot be opened");
        for (int i = 0; i < 40; ++i)
            check(table->insert({QStringLiteral("DL%1ABC").arg(i), QDate(2026, 12, 8),
                                 QTime(14, 5, i), qlonglong(i * 1000), qlonglong(-i), 14.23 + i,
                                 2.5, i % 2 == 0, QDateTime(QDate(2026, 12, 8), QTime(14, 5, i))},
                                &error),
                  "the valid table takes no record");
        table.reset();
        QFile file(path);
        check(file.open(QIODevice::ReadOnly), "the valid table cannot be read");
        return file.readAll();
    }();
    return bytes;
}

// The valid table with bytes replaced: each edit is an offset (two bytes; the header and the
// first blocks) and the new byte.
QByteArray editedTable(fuzz::InputReader& in) {
    QByteArray bytes = validTable();
    while (in.left() >= 3) {
        const int at = in.word() % int(bytes.size());
        bytes[at] = char(in.byte());
    }
    return bytes;
}

void readWhole(const ParadoxTable& table) {
    for (int n = 0; n < table.recordCount(); ++n) {
        const Record record = table.record(n);
        check(record.size() == table.columns().size(), "a record has the wrong number of fields");
        for (const QVariant& value : record)
            (void)ParadoxTable::toText(value);
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    fuzz::application();
    fuzz::InputReader in(data, size);
    const std::uint8_t kind = in.byte();
    const QByteArray bytes = kind % 2 == 0 ? in.rest() : editedTable(in);
    const QString path = fuzz::scratchFolder() + QStringLiteral("/QSO.DB");
    {
        QFile file(path);
        check(file.open(QIODevice::WriteOnly | QIODevice::Truncate), "the scratch table");
        check(file.write(bytes) == bytes.size(), "the scratch table is not written");
    }
    QString error;
    auto table = ParadoxTable::open(path, &error, ParadoxTable::Mode::ReadOnly);
    if (!table) {
        check(!error.isEmpty(), "a table that is refused has no reason");
        return 0;
    }
    readWhole(*table);
    if (kind % 4 != 1)
        return 0;
    // The change path: a copy of the table takes a record of texts and replaces it.
    table = ParadoxTable::open(path, &error);
    if (!table)
        return 0;
    const int before = table->recordCount();
    QStringList texts;
    for (const Column& column : table->columns())
        texts << (column.type == FieldType::Alpha ? QStringLiteral("X") : QString());
    const Record record = table->recordFromTexts(texts, &error);
    if (error.isEmpty() && table->insert(record, &error)) {
        check(table->recordCount() == before + 1, "an insert did not add one record");
        readWhole(*table);
    }
    return 0;
}
