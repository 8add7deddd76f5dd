// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QList>
#include <QString>
#include <QVariant>

#include <functional>
#include <memory>

struct px_doc;

namespace winorbis::logbook {

// The kinds of column a log table has.
enum class FieldType {
    Alpha,
    Date,
    Short,
    Long,
    Currency,
    Number,
    Logical,
    Time,
    Timestamp,
    AutoInc,
    Other
};

struct Column {
    QString name;
    FieldType type = FieldType::Alpha;
    int size = 0;         // bytes in the record; for Alpha the most characters it holds
    int displayWidth = 0; // characters a grid or an edit field shows
};

// A record: one value per column, a null QVariant for an empty field. Alpha is a QString, Date a
// QDate, Time a QTime, Timestamp a QDateTime, Short/Long/AutoInc a qlonglong, Currency/Number a
// double, Logical a bool.
using Record = QList<QVariant>;

// A Paradox table (a log book "QSO.DB") opened by its path: the column list and the records, read
// and written through pxlib. Every error comes back as text. A file that cannot be written is
// opened read-only and refuses changes. A header that the engine could not read safely (damaged,
// foreign or encrypted) is refused before the engine sees it. Each change is made on a copy that
// replaces the table in one step, so the table is whole whenever the program dies; before the
// first change of each day a backup of the table is kept beside it. Texts are converted from and to
// the table's code page (Windows-1252 for tables the program makes); a text that does not fit its
// column or that the code page cannot hold is refused, naming the column.
class ParadoxTable {
public:
    enum class Mode { ReadWrite, ReadOnly };
    // Opens a table; nullptr and the reason when it cannot be read. A table asked for read-only,
    // or whose file cannot be written, refuses every change.
    static std::unique_ptr<ParadoxTable> open(const QString& path, QString* error,
                                              Mode mode = Mode::ReadWrite);
    // Makes a new, empty table with these columns (Windows-1252); false and the reason on failure.
    static bool create(const QString& path, const QList<Column>& columns, QString* error);
    ~ParadoxTable();
    ParadoxTable(const ParadoxTable&) = delete;
    ParadoxTable& operator=(const ParadoxTable&) = delete;

    const QString& path() const { return path_; }
    const QList<Column>& columns() const { return columns_; }
    int columnIndex(const QString& name) const; // whatever the letter case; -1 when none
    bool readOnly() const { return readOnly_; }
    int recordCount() const { return int(records_.size()); }
    // Record n (0 .. count - 1) as last read; an empty record for any other n.
    Record record(int n) const;

    // Each returns false with the reason when the change cannot be made; the table is then as it
    // was. Records keep their order; after a removal the later ones move up by one.
    bool insert(const Record& record, QString* error);
    bool update(int n, const Record& record, QString* error);
    bool remove(int n, QString* error);

    // A value checked and converted for a column (texts from the edit fields and the grid): null
    // for an empty text; the reason when the text is no value of the column's kind.
    static QVariant fromText(const Column& column, const QString& text, QString* error);
    static QString toText(const QVariant& value);
    // A record from one text per column (missing texts are empty), each checked as fromText
    // checks it; an empty record and the reason for the first text that is no value.
    Record recordFromTexts(const QStringList& texts, QString* error) const;

    struct Handle;

private:
    ParadoxTable() = default;
    bool reopen(QString* error);
    bool readAll(QString* error);
    QString problemWith(const Record& record) const;
    bool write(int n, const Record& record, QString* error);
    // Applies edit to a copy of the table that then replaces it; failure is the message with %1
    // for the table and %2 for the reason.
    bool change(const std::function<int(px_doc*)>& edit, const QString& failure, QString* error);
    // The day's backup of the table before its first change; the reason when it cannot be kept.
    QString keepBackup() const;

    QString path_;
    QList<Column> columns_;
    QList<Record> records_;
    int codePage_ = 1252;
    bool readOnly_ = false;
    Mode mode_ = Mode::ReadWrite;
    bool backedUp_ = false;
    std::unique_ptr<Handle> handle_;
};

} // namespace winorbis::logbook
