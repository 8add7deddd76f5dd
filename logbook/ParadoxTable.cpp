// SPDX-License-Identifier: GPL-3.0-or-later
#include "ParadoxTable.h"

#include "ParadoxHeader.h"
#include "platform/CodePage.h"
#include "platform/LoadedLibrary.h"
#include "platform/SafeFile.h"

#include <QDate>
#include <QFileInfo>
#include <QStringDecoder>
#include <QStringEncoder>

// The library's header declares C functions without saying so.
extern "C" {
#include <paradox.h>
}

#include <algorithm>
#include <dlfcn.h>

#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <mutex>
#include <sys/stat.h>
#include <unistd.h>

namespace winorbis::logbook {

namespace {

// Paradox counts days from 1 January of the year 1; Qt's Julian days from 4713 BC.
constexpr qint64 kJulianOffset = 1721425;
constexpr double kMsPerDay = 86400000.0;
// Some 30000 years: beyond it a time stamp is damage, not a date.
constexpr double kLatestTimestampMs = 1e15;

FieldType typeOf(char pxType) {
    switch (pxType) {
    case pxfAlpha:
        return FieldType::Alpha;
    case pxfDate:
        return FieldType::Date;
    case pxfShort:
        return FieldType::Short;
    case pxfLong:
        return FieldType::Long;
    case pxfCurrency:
        return FieldType::Currency;
    case pxfNumber:
        return FieldType::Number;
    case pxfLogical:
        return FieldType::Logical;
    case pxfTime:
        return FieldType::Time;
    case pxfTimestamp:
        return FieldType::Timestamp;
    case pxfAutoInc:
        return FieldType::AutoInc;
    default:
        return FieldType::Other;
    }
}

char pxTypeOf(FieldType type) {
    switch (type) {
    case FieldType::Alpha:
        return pxfAlpha;
    case FieldType::Date:
        return pxfDate;
    case FieldType::Short:
        return pxfShort;
    case FieldType::Long:
        return pxfLong;
    case FieldType::Currency:
        return pxfCurrency;
    case FieldType::Number:
        return pxfNumber;
    case FieldType::Logical:
        return pxfLogical;
    case FieldType::Time:
        return pxfTime;
    case FieldType::Timestamp:
        return pxfTimestamp;
    case FieldType::AutoInc:
        return pxfAutoInc;
    case FieldType::Other:
        break;
    }
    return pxfAlpha;
}

int sizeOf(FieldType type, int alphaSize) {
    switch (type) {
    case FieldType::Alpha:
        return alphaSize;
    case FieldType::Short:
        return 2;
    case FieldType::Logical:
        return 1;
    case FieldType::Currency:
    case FieldType::Number:
    case FieldType::Timestamp:
        return 8;
    default:
        return 4;
    }
}

int displayWidthOf(FieldType type, int size) {
    switch (type) {
    case FieldType::Alpha:
        return size;
    case FieldType::Date:
        return 10;
    case FieldType::Short:
        return 6;
    case FieldType::Long:
    case FieldType::AutoInc:
        return 11;
    case FieldType::Currency:
    case FieldType::Number:
        return 15;
    case FieldType::Logical:
        return 5;
    case FieldType::Time:
        return 8;
    case FieldType::Timestamp:
        return 19;
    case FieldType::Other:
        break;
    }
    return size;
}

QString decodeText(const QByteArray& bytes, int codePage) {
    if (codePage == 1252 || codePage == 0)
        return fromWinLatin(bytes);
    QStringDecoder decoder(QStringLiteral("IBM%1").toLatin1().constData());
    if (!decoder.isValid())
        return fromWinLatin(bytes);
    return decoder(bytes);
}

// The text in the table's code page; nullopt when the code page cannot hold it.
std::optional<QByteArray> encodeText(const QString& text, int codePage) {
    if (codePage == 1252 || codePage == 0) {
        QByteArray bytes = toWinLatin(text);
        if (fromWinLatin(bytes) != text)
            return std::nullopt;
        return bytes;
    }
    QStringEncoder encoder(QStringLiteral("IBM%1").arg(codePage).toLatin1().constData());
    if (!encoder.isValid())
        return encodeText(text, 1252);
    QByteArray bytes = encoder(text);
    if (encoder.hasError())
        return std::nullopt;
    return bytes;
}

// pxlib, loaded when a table is first opened or made: a start that opens no log book does not map
// it and what it brings (libgsf, GLib's GIO, libxml2). Its calls go through this table.
struct PxCalls {
    decltype(&::PX_close) PX_close = nullptr;
    decltype(&::PX_create_file) PX_create_file = nullptr;
    decltype(&::PX_delete) PX_delete = nullptr;
    decltype(&::PX_delete_record) PX_delete_record = nullptr;
    decltype(&::PX_get_data_alpha) PX_get_data_alpha = nullptr;
    decltype(&::PX_get_data_byte) PX_get_data_byte = nullptr;
    decltype(&::PX_get_data_double) PX_get_data_double = nullptr;
    decltype(&::PX_get_data_long) PX_get_data_long = nullptr;
    decltype(&::PX_get_data_short) PX_get_data_short = nullptr;
    decltype(&::PX_get_fields) PX_get_fields = nullptr;
    decltype(&::PX_get_num_fields) PX_get_num_fields = nullptr;
    decltype(&::PX_get_num_records) PX_get_num_records = nullptr;
    decltype(&::PX_get_record) PX_get_record = nullptr;
    decltype(&::PX_get_recordsize) PX_get_recordsize = nullptr;
    decltype(&::PX_get_value) PX_get_value = nullptr;
    decltype(&::PX_insert_record) PX_insert_record = nullptr;
    decltype(&::PX_new3) PX_new3 = nullptr;
    decltype(&::PX_open_fp) PX_open_fp = nullptr;
    decltype(&::PX_set_value) PX_set_value = nullptr;
    decltype(&::PX_strdup) PX_strdup = nullptr;
    decltype(&::PX_update_record) PX_update_record = nullptr;
};

// The table, loaded once; null with the reason when pxlib cannot be loaded. The library stays
// loaded until the program ends.
const PxCalls* loadPx(QString* error) {
    static PxCalls calls;
    static QString problem;
    static std::once_flag once;
    std::call_once(once, [] {
        void* library = dlopen(WINORBIS_PXLIB_LIBRARY, RTLD_NOW | RTLD_LOCAL);
        if (!library) {
            problem = QString::fromLocal8Bit(dlerror());
            return;
        }
        PxCalls c;
        if (!(resolveCall(library, "PX_close", c.PX_close) &&
              resolveCall(library, "PX_create_file", c.PX_create_file) &&
              resolveCall(library, "PX_delete", c.PX_delete) &&
              resolveCall(library, "PX_delete_record", c.PX_delete_record) &&
              resolveCall(library, "PX_get_data_alpha", c.PX_get_data_alpha) &&
              resolveCall(library, "PX_get_data_byte", c.PX_get_data_byte) &&
              resolveCall(library, "PX_get_data_double", c.PX_get_data_double) &&
              resolveCall(library, "PX_get_data_long", c.PX_get_data_long) &&
              resolveCall(library, "PX_get_data_short", c.PX_get_data_short) &&
              resolveCall(library, "PX_get_fields", c.PX_get_fields) &&
              resolveCall(library, "PX_get_num_fields", c.PX_get_num_fields) &&
              resolveCall(library, "PX_get_num_records", c.PX_get_num_records) &&
              resolveCall(library, "PX_get_record", c.PX_get_record) &&
              resolveCall(library, "PX_get_recordsize", c.PX_get_recordsize) &&
              resolveCall(library, "PX_get_value", c.PX_get_value) &&
              resolveCall(library, "PX_insert_record", c.PX_insert_record) &&
              resolveCall(library, "PX_new3", c.PX_new3) &&
              resolveCall(library, "PX_open_fp", c.PX_open_fp) &&
              resolveCall(library, "PX_set_value", c.PX_set_value) &&
              resolveCall(library, "PX_strdup", c.PX_strdup) &&
              resolveCall(library, "PX_update_record", c.PX_update_record))) {
            problem = QStringLiteral("%1 lacks calls this program uses")
                          .arg(QLatin1String(WINORBIS_PXLIB_LIBRARY));
            return;
        }
        calls = c;
    });
    if (!calls.PX_new3) {
        if (error)
            *error = problem;
        return nullptr;
    }
    return &calls;
}

// The loaded table: only called on a table engine that has started (Handle::start()), so pxlib is
// there.
const PxCalls& px() {
    return *loadPx(nullptr);
}

} // namespace

struct ParadoxTable::Handle {
    pxdoc_t* doc = nullptr;
    std::FILE* fp = nullptr;
    QString lastError;

    ~Handle() { close(); }
    void close() {
        if (doc) {
            px().PX_close(doc);
            px().PX_delete(doc);
            doc = nullptr;
        }
        if (fp) {
            std::fclose(fp);
            fp = nullptr;
        }
    }
    static void onError(pxdoc_t*, int, const char* message, void* data) {
        static_cast<Handle*>(data)->lastError = QString::fromLocal8Bit(message).trimmed();
    }
    bool start() {
        lastError.clear();
        if (!loadPx(&lastError))
            return false;
        doc = px().PX_new3(&Handle::onError, nullptr, nullptr, nullptr, this);
        return doc != nullptr;
    }
    QString startError() const {
        return lastError.isEmpty()
                   ? QStringLiteral("The table engine cannot start.")
                   : QStringLiteral("The table engine cannot start: %1.").arg(lastError);
    }
    QString error(const QString& fallback) const {
        return lastError.isEmpty() ? fallback : lastError;
    }
};

std::unique_ptr<ParadoxTable> ParadoxTable::open(const QString& path, QString* error, Mode mode) {
    std::unique_ptr<ParadoxTable> table(new ParadoxTable);
    table->path_ = path;
    table->mode_ = mode;
    if (!table->reopen(error))
        return nullptr;
    return table;
}

bool ParadoxTable::reopen(QString* error) {
    handle_ = std::make_unique<Handle>();
    if (!handle_->start()) {
        *error = handle_->startError();
        return false;
    }
    const QByteArray name = QFile::encodeName(path_);
    // Changes are made on a copy that replaces the table (see change()), so the table itself is
    // only ever read. It can be changed when the file and its folder can be written.
    handle_->fp = std::fopen(name.constData(), "rb");
    if (!handle_->fp) {
        *error = QStringLiteral("The log book %1 cannot be opened: %2")
                     .arg(path_, QString::fromLocal8Bit(std::strerror(errno)));
        return false;
    }
    const QByteArray folder = QFile::encodeName(QFileInfo(path_).absolutePath());
    readOnly_ = mode_ == Mode::ReadOnly || ::access(name.constData(), W_OK) != 0 ||
                ::access(folder.constData(), W_OK | X_OK) != 0;
    // The engine trusts the header; a damaged or foreign one is refused before it reads it.
    QFile whole;
    if (!whole.open(handle_->fp, QIODevice::ReadOnly, QFileDevice::DontCloseHandle)) {
        *error =
            QStringLiteral("The log book %1 cannot be read: %2").arg(path_, whole.errorString());
        handle_.reset();
        return false;
    }
    const QByteArray file = whole.readAll();
    whole.close();
    if (const QString problem = ParadoxHeader::problem(file); !problem.isEmpty()) {
        *error =
            QStringLiteral("%1 is no Paradox table the log book can read: %2.").arg(path_, problem);
        handle_.reset();
        return false;
    }
    std::rewind(handle_->fp);
    if (px().PX_open_fp(handle_->doc, handle_->fp) < 0) {
        *error = QStringLiteral("%1 is no Paradox table: %2")
                     .arg(path_, handle_->error(QStringLiteral("its header cannot be read")));
        handle_.reset();
        return false;
    }
    float page = 0;
    if (px().PX_get_value(handle_->doc, "codepage", &page) == 0 && page > 0)
        codePage_ = int(page);
    columns_.clear();
    const int count = px().PX_get_num_fields(handle_->doc);
    pxfield_t* fields = px().PX_get_fields(handle_->doc);
    for (int i = 0; i < count && fields; ++i) {
        Column column;
        column.name = decodeText(QByteArray(fields[i].px_fname), codePage_);
        column.type = typeOf(fields[i].px_ftype);
        column.size = fields[i].px_flen;
        column.displayWidth = displayWidthOf(column.type, column.size);
        columns_.append(column);
    }
    return readAll(error);
}

ParadoxTable::~ParadoxTable() = default;

int ParadoxTable::columnIndex(const QString& name) const {
    for (int i = 0; i < columns_.size(); ++i)
        if (columns_[i].name.compare(name, Qt::CaseInsensitive) == 0)
            return i;
    return -1;
}

Record ParadoxTable::record(int n) const {
    return n >= 0 && n < records_.size() ? records_[n] : Record();
}

bool ParadoxTable::readAll(QString* error) {
    records_.clear();
    pxdoc_t* doc = handle_->doc;
    const int size = px().PX_get_recordsize(doc);
    const int count = px().PX_get_num_records(doc);
    QByteArray buffer(std::max(size, 1), '\0');
    for (int n = 0; n < count; ++n) {
        if (!px().PX_get_record(doc, n, buffer.data())) {
            *error = QStringLiteral("Record %1 of %2 cannot be read: %3")
                         .arg(n + 1)
                         .arg(path_, handle_->error(QStringLiteral("the file is damaged")));
            return false;
        }
        Record record;
        int offset = 0;
        for (const Column& column : columns_) {
            char* data = buffer.data() + offset;
            offset += column.size;
            QVariant value;
            // An empty field is all zero bytes; the library reads such a number as its lowest
            // value instead of as empty.
            if (std::all_of(data, data + column.size, [](char c) { return c == 0; })) {
                record.append(value);
                continue;
            }
            long l = 0;
            short s = 0;
            double d = 0;
            char b = 0;
            char* text = nullptr;
            switch (column.type) {
            case FieldType::Alpha:
                if (px().PX_get_data_alpha(doc, data, column.size, &text) > 0 && text) {
                    value = decodeText(QByteArray(text), codePage_);
                }
                if (text)
                    doc->free(doc, text);
                break;
            case FieldType::Date:
                if (px().PX_get_data_long(doc, data, column.size, &l) > 0)
                    value = QDate::fromJulianDay(l + kJulianOffset);
                break;
            case FieldType::Time:
                if (px().PX_get_data_long(doc, data, column.size, &l) > 0)
                    value = QTime::fromMSecsSinceStartOfDay(int(l));
                break;
            case FieldType::Long:
            case FieldType::AutoInc:
                if (px().PX_get_data_long(doc, data, column.size, &l) > 0)
                    value = qlonglong(l);
                break;
            case FieldType::Short:
                if (px().PX_get_data_short(doc, data, column.size, &s) > 0)
                    value = qlonglong(s);
                break;
            case FieldType::Currency:
            case FieldType::Number:
                if (px().PX_get_data_double(doc, data, column.size, &d) > 0)
                    value = d;
                break;
            case FieldType::Timestamp:
                // A damaged field may hold no number at all, or one far beyond any calendar.
                if (px().PX_get_data_double(doc, data, column.size, &d) > 0 && std::isfinite(d) &&
                    std::abs(d) < kLatestTimestampMs) {
                    const qint64 days = qint64(std::floor(d / kMsPerDay));
                    value = QDateTime(QDate::fromJulianDay(days + kJulianOffset),
                                      QTime::fromMSecsSinceStartOfDay(int(d - days * kMsPerDay)));
                }
                break;
            case FieldType::Logical:
                if (px().PX_get_data_byte(doc, data, column.size, &b) > 0)
                    value = b != 0;
                break;
            case FieldType::Other:
                break;
            }
            record.append(value);
        }
        records_.append(record);
    }
    return true;
}

QString ParadoxTable::problemWith(const Record& record) const {
    if (record.size() != columns_.size())
        return QStringLiteral("The record has %1 fields, the table %2 columns.")
            .arg(record.size())
            .arg(columns_.size());
    for (int i = 0; i < columns_.size(); ++i) {
        const Column& column = columns_[i];
        const QVariant& value = record[i];
        if (value.isNull() || column.type != FieldType::Alpha)
            continue;
        const auto bytes = encodeText(value.toString(), codePage_);
        if (!bytes)
            return QStringLiteral("The field %1 holds characters that the table cannot keep.")
                .arg(column.name);
        if (bytes->size() > column.size)
            return QStringLiteral("The field %1 takes at most %2 characters.")
                .arg(column.name)
                .arg(column.size);
    }
    return {};
}

bool ParadoxTable::write(int n, const Record& record, QString* error) {
    if (readOnly_) {
        *error = QStringLiteral("The log book %1 is read-only: it cannot be changed.").arg(path_);
        return false;
    }
    if (const QString problem = problemWith(record); !problem.isEmpty()) {
        *error = problem;
        return false;
    }
    QList<QByteArray> texts;
    std::vector<pxval_t> values(std::size_t(columns_.size()));
    std::vector<pxval_t*> pointers(std::size_t(columns_.size()));
    for (int i = 0; i < columns_.size(); ++i) {
        pxval_t& v = values[std::size_t(i)];
        pointers[std::size_t(i)] = &v;
        std::memset(&v, 0, sizeof v);
        const QVariant& value = record[i];
        v.type = pxTypeOf(columns_[i].type);
        v.isnull = value.isNull() ? 1 : 0;
        if (v.isnull)
            continue;
        switch (columns_[i].type) {
        case FieldType::Alpha:
            texts.append(*encodeText(value.toString(), codePage_));
            v.value.str.val = texts.last().data();
            v.value.str.len = int(texts.last().size());
            break;
        case FieldType::Date:
            v.value.lval = long(value.toDate().toJulianDay() - kJulianOffset);
            break;
        case FieldType::Time:
            v.value.lval = value.toTime().msecsSinceStartOfDay();
            break;
        case FieldType::Timestamp: {
            const QDateTime when = value.toDateTime();
            v.value.dval = double(when.date().toJulianDay() - kJulianOffset) * kMsPerDay +
                           when.time().msecsSinceStartOfDay();
            break;
        }
        case FieldType::Currency:
        case FieldType::Number:
            v.value.dval = value.toDouble();
            break;
        case FieldType::Logical:
            v.value.lval = value.toBool() ? 1 : 0;
            break;
        default:
            v.value.lval = long(value.toLongLong());
            break;
        }
    }
    return change(
        [&](pxdoc_t* doc) {
            return n < 0 ? px().PX_insert_record(doc, pointers.data())
                         : px().PX_update_record(doc, pointers.data(), n);
        },
        QStringLiteral("The record cannot be written to %1: %2"), error);
}

bool ParadoxTable::change(const std::function<int(pxdoc_t*)>& edit, const QString& failure,
                          QString* error) {
    if (!backedUp_) {
        if (const QString problem = keepBackup(); !problem.isEmpty()) {
            *error = QStringLiteral("The log book %1 is not changed: no backup could be kept (%2).")
                         .arg(path_, problem);
            return false;
        }
        backedUp_ = true;
    }
    // The change is made on a copy beside the table, which is flushed to the disk and renamed
    // over it: whenever the program dies, and on a full disk, the table is as before or as after.
    const QByteArray target = QFile::encodeName(path_);
    QByteArray temp = target + kTemporaryMarker + "XXXXXX";
    const int fd = ::mkstemp(temp.data());
    if (fd < 0) {
        *error = failure.arg(path_, QString::fromLocal8Bit(std::strerror(errno)));
        return false;
    }
    QString problem;
    {
        QFile original(path_);
        QFile copy;
        if (!original.open(QIODevice::ReadOnly) ||
            !copy.open(fd, QIODevice::WriteOnly, QFileDevice::DontCloseHandle) ||
            copy.write(original.readAll()) != original.size() || !copy.flush())
            problem = copy.errorString().isEmpty() ? original.errorString() : copy.errorString();
    }
    Handle edited;
    if (problem.isEmpty()) {
        edited.fp = ::fdopen(fd, "r+b");
        if (!edited.fp || !edited.start() || px().PX_open_fp(edited.doc, edited.fp) < 0)
            problem = edited.error(QStringLiteral("the copy cannot be opened"));
        else if (edit(edited.doc) < 0)
            problem = edited.error(QStringLiteral("the table refused it"));
        if (edited.doc) {
            px().PX_close(edited.doc);
            px().PX_delete(edited.doc);
            edited.doc = nullptr;
        }
    }
    if (problem.isEmpty() && edited.fp) {
        struct stat old = {};
        if (std::fflush(edited.fp) != 0 || std::ferror(edited.fp) ||
            (::stat(target.constData(), &old) == 0 && ::fchmod(fd, old.st_mode & 07777) != 0) ||
            ::fsync(fd) != 0)
            problem = QString::fromLocal8Bit(std::strerror(errno ? errno : EIO));
    }
    if (edited.fp) {
        if (std::fclose(edited.fp) != 0 && problem.isEmpty())
            problem = QString::fromLocal8Bit(std::strerror(errno));
        edited.fp = nullptr;
    } else {
        ::close(fd);
    }
    if (problem.isEmpty() && ::rename(temp.constData(), target.constData()) != 0)
        problem = QString::fromLocal8Bit(std::strerror(errno));
    if (!problem.isEmpty()) {
        ::unlink(temp.constData());
        *error = failure.arg(path_, problem);
        QString ignored;
        reopen(&ignored);
        return false;
    }
    // The rename reaches the disk only with its folder.
    const QByteArray folder = QFile::encodeName(QFileInfo(path_).absolutePath());
    if (const int dir = ::open(folder.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC); dir >= 0) {
        ::fsync(dir);
        ::close(dir);
    }
    return reopen(error);
}

QString ParadoxTable::keepBackup() const {
    // One backup a day, of the table as it was before that day's first change: "QSO.DB" gives
    // "QSO.DB.2026-12-08.bak".
    const QString backup =
        QStringLiteral("%1.%2.bak").arg(path_, QDate::currentDate().toString(Qt::ISODate));
    if (QFileInfo::exists(backup))
        return {};
    QFile original(path_);
    if (!original.open(QIODevice::ReadOnly))
        return original.errorString();
    return replaceFileContents(backup, original.readAll());
}

bool ParadoxTable::insert(const Record& record, QString* error) {
    return write(-1, record, error);
}

bool ParadoxTable::update(int n, const Record& record, QString* error) {
    if (n < 0 || n >= records_.size()) {
        *error = QStringLiteral("There is no record %1.").arg(n + 1);
        return false;
    }
    return write(n, record, error);
}

bool ParadoxTable::remove(int n, QString* error) {
    if (readOnly_) {
        *error = QStringLiteral("The log book %1 is read-only: it cannot be changed.").arg(path_);
        return false;
    }
    if (n < 0 || n >= records_.size()) {
        *error = QStringLiteral("There is no record %1.").arg(n + 1);
        return false;
    }
    return change([n](pxdoc_t* doc) { return px().PX_delete_record(doc, n); },
                  QStringLiteral("The record cannot be deleted from %1: %2"), error);
}

bool ParadoxTable::create(const QString& path, const QList<Column>& columns, QString* error) {
    Handle handle;
    if (!handle.start()) {
        *error = handle.startError();
        return false;
    }
    pxdoc_t* doc = handle.doc;
    auto* fields = static_cast<pxfield_t*>(doc->malloc(
        doc, sizeof(pxfield_t) * std::size_t(std::max<qsizetype>(columns.size(), 1)), "fields"));
    for (int i = 0; i < columns.size(); ++i) {
        const auto name = encodeText(columns[i].name, 1252);
        if (!name || name->isEmpty() || name->size() > 25) {
            *error = QStringLiteral("The column name %1 cannot be used.").arg(columns[i].name);
            doc->free(doc, fields);
            return false;
        }
        fields[i].px_fname = px().PX_strdup(doc, name->constData());
        fields[i].px_ftype = pxTypeOf(columns[i].type);
        fields[i].px_flen = sizeOf(columns[i].type, std::clamp(columns[i].size, 1, 255));
        fields[i].px_fdc = 0;
    }
    const QByteArray name = QFile::encodeName(path);
    if (px().PX_create_file(doc, fields, int(columns.size()), name.constData(),
                            pxfFileTypNonIndexDB) < 0) {
        *error = QStringLiteral("The log book %1 cannot be made: %2")
                     .arg(path, handle.error(QStringLiteral("the file cannot be written")));
        return false;
    }
    px().PX_set_value(doc, "codepage", 1252);
    return true;
}

QVariant ParadoxTable::fromText(const Column& column, const QString& text, QString* error) {
    const QString t = text.trimmed();
    if (column.type == FieldType::Alpha)
        return text.isEmpty() ? QVariant() : QVariant(text);
    if (t.isEmpty())
        return {};
    bool ok = true;
    QVariant value;
    switch (column.type) {
    case FieldType::Date: {
        QDate d = QDate::fromString(t, Qt::ISODate);
        if (!d.isValid())
            d = QDate::fromString(t, QStringLiteral("d.M.yyyy"));
        ok = d.isValid();
        value = d;
        break;
    }
    case FieldType::Time: {
        QTime time = QTime::fromString(t, QStringLiteral("H:mm:ss"));
        if (!time.isValid())
            time = QTime::fromString(t, QStringLiteral("H:mm"));
        ok = time.isValid();
        value = time;
        break;
    }
    case FieldType::Timestamp: {
        const QDateTime when = QDateTime::fromString(t, Qt::ISODate);
        ok = when.isValid();
        value = when;
        break;
    }
    case FieldType::Short:
        value = qlonglong(t.toShort(&ok));
        break;
    case FieldType::Long:
    case FieldType::AutoInc:
        value = qlonglong(t.toInt(&ok));
        break;
    case FieldType::Currency:
    case FieldType::Number: {
        QString number = t;
        number.replace(',', '.');
        value = number.toDouble(&ok);
        break;
    }
    case FieldType::Logical: {
        const QString lower = t.toLower();
        ok = QStringList{"true", "false", "ja", "nein", "yes", "no", "1", "0"}.contains(lower);
        value = lower == "true" || lower == "ja" || lower == "yes" || lower == "1";
        break;
    }
    default:
        ok = false;
    }
    if (!ok) {
        *error = QStringLiteral("'%1' is no valid value for the field %2.").arg(text, column.name);
        return {};
    }
    return value;
}

Record ParadoxTable::recordFromTexts(const QStringList& texts, QString* error) const {
    Record record;
    for (int i = 0; i < columns_.size(); ++i) {
        QString problem;
        record.append(fromText(columns_[i], texts.value(i), &problem));
        if (!problem.isEmpty()) {
            *error = problem;
            return {};
        }
    }
    return record;
}

QString ParadoxTable::toText(const QVariant& value) {
    if (value.isNull())
        return {};
    switch (value.typeId()) {
    case QMetaType::QDate:
        return value.toDate().toString(Qt::ISODate);
    case QMetaType::QTime:
        return value.toTime().toString(QStringLiteral("HH:mm:ss"));
    case QMetaType::QDateTime:
        return value.toDateTime().toString(Qt::ISODate);
    case QMetaType::Bool:
        return value.toBool() ? QStringLiteral("true") : QStringLiteral("false");
    default:
        return value.toString();
    }
}

} // namespace winorbis::logbook
