// SPDX-License-Identifier: GPL-3.0-or-later
#include "tools/orbisctl/Log.h"

#include "logbook/ParadoxTable.h"
#include "logbook/QsoLog.h"
#include "platform/SafeFile.h"

#include <QDateTime>
#include <QFileInfo>

namespace winorbis {

namespace {

const char* typeName(logbook::FieldType type) {
    using logbook::FieldType;
    switch (type) {
    case FieldType::Alpha:
        return "Alpha";
    case FieldType::Date:
        return "Date";
    case FieldType::Short:
        return "Short";
    case FieldType::Long:
        return "Long";
    case FieldType::Currency:
        return "Currency";
    case FieldType::Number:
        return "Number";
    case FieldType::Logical:
        return "Logical";
    case FieldType::Time:
        return "Time";
    case FieldType::Timestamp:
        return "Timestamp";
    case FieldType::AutoInc:
        return "AutoInc";
    case FieldType::Other:
        break;
    }
    return "Other";
}

// One record into the table, its fields by column name (whatever the letter case), checked as the
// log book's input mask checks them.
int addRecord(const QStringList& arguments, std::FILE* out, std::FILE* err) {
    if (arguments.size() < 2) {
        std::fprintf(err,
                     "orbisctl: log add takes TABLE.DB FIELD=VALUE ...; see orbisctl --help\n");
        return 2;
    }
    // The copies of changes that a killed program left beside the table go first.
    removeStaleTemporaryFiles(QFileInfo(arguments[0]).absolutePath());
    QString error;
    const auto table = logbook::ParadoxTable::open(arguments[0], &error);
    if (!table) {
        std::fprintf(err, "orbisctl: %s\n", qPrintable(error));
        return 1;
    }
    QStringList texts(table->columns().size());
    QList<bool> given(table->columns().size(), false);
    for (const QString& field : arguments.mid(1)) {
        const qsizetype equals = field.indexOf('=');
        const int column = equals > 0 ? table->columnIndex(field.left(equals)) : -1;
        if (column < 0) {
            QStringList names;
            for (const auto& c : table->columns())
                names << c.name;
            std::fprintf(err, "orbisctl: %s is no FIELD=VALUE of this table (fields: %s)\n",
                         qPrintable(field), qPrintable(names.join(' ')));
            return 2;
        }
        if (given[column]) {
            std::fprintf(err, "orbisctl: the field %s is given twice\n",
                         qPrintable(table->columns()[column].name));
            return 2;
        }
        given[column] = true;
        texts[column] = field.mid(equals + 1);
    }
    const logbook::Record record = table->recordFromTexts(texts, &error);
    if (!error.isEmpty() || !table->insert(record, &error)) {
        std::fprintf(err, "orbisctl: %s\n", qPrintable(error));
        return 1;
    }
    std::fprintf(out, "added record %d to %s\n", table->recordCount(), qPrintable(arguments[0]));
    return 0;
}

} // namespace

int runLog(const QStringList& arguments, std::FILE* out, std::FILE* err) {
    const auto usage = [err](const QString& why) {
        std::fprintf(err, "orbisctl: %s; see orbisctl --help\n", qPrintable(why));
        return 2;
    };
    const QString verb = arguments.value(0);
    if (verb == "add")
        return addRecord(arguments.mid(1), out, err);
    if ((verb != "show" && verb != "export") || arguments.size() < 2)
        return usage(QStringLiteral("log takes show TABLE.DB, export TABLE.DB [--out FILE] or add "
                                    "TABLE.DB FIELD=VALUE..."));
    QString outFile;
    for (int i = 2; i < arguments.size(); ++i) {
        if (verb == "export" && arguments[i] == "--out" && i + 1 < arguments.size())
            outFile = arguments[++i];
        else
            return usage(QStringLiteral("unknown log option %1").arg(arguments[i]));
    }
    QString error;
    const auto table =
        logbook::ParadoxTable::open(arguments[1], &error, logbook::ParadoxTable::Mode::ReadOnly);
    if (!table) {
        std::fprintf(err, "orbisctl: %s\n", qPrintable(error));
        return 1;
    }
    if (verb == "show") {
        for (const auto& column : table->columns())
            std::fprintf(out, "%s\t%s\t%d\n", qPrintable(column.name), typeName(column.type),
                         column.displayWidth);
        std::fputs("\n", out);
        for (int n = 0; n < table->recordCount(); ++n) {
            QStringList fields;
            for (const QVariant& value : table->record(n))
                fields << logbook::ParadoxTable::toText(value).replace('\t', ' ');
            std::fprintf(out, "%s\n", fields.join('\t').toUtf8().constData());
        }
        return 0;
    }
    QStringList warnings;
    const QByteArray adif = logbook::adifExport(*table, QDateTime::currentDateTimeUtc(), &warnings);
    for (const QString& warning : warnings)
        std::fprintf(err, "orbisctl: %s\n", qPrintable(warning));
    if (outFile.isEmpty()) {
        std::fwrite(adif.constData(), 1, std::size_t(adif.size()), out);
        return 0;
    }
    if (const QString problem = replaceFileContents(outFile, adif); !problem.isEmpty()) {
        std::fprintf(err, "orbisctl: %s cannot be written: %s\n", qPrintable(outFile),
                     qPrintable(problem));
        return 1;
    }
    return 0;
}

} // namespace winorbis
