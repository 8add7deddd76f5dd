// SPDX-License-Identifier: GPL-3.0-or-later
#include "tools/orbisctl/Log.h"

#include "logbook/ParadoxTable.h"
#include "logbook/QsoLog.h"
#include "platform/SafeFile.h"

#include <QDateTime>

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

} // namespace

int runLog(const QStringList& arguments, std::FILE* out, std::FILE* err) {
    const auto usage = [err](const QString& why) {
        std::fprintf(err, "orbisctl: %s; see orbisctl --help\n", qPrintable(why));
        return 2;
    };
    const QString verb = arguments.value(0);
    if ((verb != "show" && verb != "export") || arguments.size() < 2)
        return usage(QStringLiteral("log takes show TABLE.DB or export TABLE.DB [--out FILE]"));
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
