// SPDX-License-Identifier: GPL-3.0-or-later
#include "QsoLog.h"

#include "platform/ProgramFolder.h"

#include <QHash>

namespace winorbis::logbook {

QList<Column> starterColumns() {
    return {{QStringLiteral("Datum"), FieldType::Date, 0, 0},
            {QStringLiteral("UTC"), FieldType::Time, 0, 0},
            {QStringLiteral("Rufzeichen"), FieldType::Alpha, 15, 0},
            {QStringLiteral("Frequenz"), FieldType::Number, 0, 0},
            {QStringLiteral("Band"), FieldType::Alpha, 6, 0},
            {QStringLiteral("Betriebsart"), FieldType::Alpha, 12, 0},
            {QStringLiteral("RST_gesendet"), FieldType::Alpha, 5, 0},
            {QStringLiteral("RST_empfangen"), FieldType::Alpha, 5, 0},
            {QStringLiteral("Name"), FieldType::Alpha, 20, 0},
            {QStringLiteral("QTH"), FieldType::Alpha, 30, 0},
            {QStringLiteral("Bemerkung"), FieldType::Alpha, 60, 0},
            {QStringLiteral("Bilddatei"), FieldType::Alpha, 60, 0}};
}

QString createStarterLogIfMissing(const ProgramFolder& folder) {
    if (folder.exists(kStarterLogName))
        return {};
    QString error;
    if (!ParadoxTable::create(folder.path(kStarterLogName), starterColumns(), &error))
        return error;
    return {};
}

QString adifFieldFor(const QString& columnName) {
    static const QHash<QString, QString> fields = {
        {"call", "CALL"},         {"callsign", "CALL"},
        {"rufzeichen", "CALL"},   {"rufz", "CALL"},
        {"date", "QSO_DATE"},     {"datum", "QSO_DATE"},
        {"qso_date", "QSO_DATE"}, {"time", "TIME_ON"},
        {"time_on", "TIME_ON"},   {"utc", "TIME_ON"},
        {"zeit", "TIME_ON"},      {"uhrzeit", "TIME_ON"},
        {"zeit_utc", "TIME_ON"},  {"freq", "FREQ"},
        {"frequency", "FREQ"},    {"frequenz", "FREQ"},
        {"qrg", "FREQ"},          {"band", "BAND"},
        {"rst_sent", "RST_SENT"}, {"rst_gesendet", "RST_SENT"},
        {"sent", "RST_SENT"},     {"gesendet", "RST_SENT"},
        {"rst_rcvd", "RST_RCVD"}, {"rst_empfangen", "RST_RCVD"},
        {"rcvd", "RST_RCVD"},     {"empfangen", "RST_RCVD"},
        {"name", "NAME"},         {"qth", "QTH"},
        {"ort", "QTH"},           {"comment", "COMMENT"},
        {"comments", "COMMENT"},  {"remarks", "COMMENT"},
        {"bemerkung", "COMMENT"}, {"bemerkungen", "COMMENT"},
        {"notiz", "COMMENT"},
    };
    return fields.value(columnName.trimmed().toLower());
}

namespace {

// ADIF's files (.adi) hold ASCII only: their fields count characters as bytes, and the
// international fields of ADIF 3 may appear only in its XML files. Letters with marks lose them
// (the German ones are written out: Jürgen as Juergen, Straße as Strasse); what has no ASCII
// form becomes '?'.
QString transliterated(const QString& text) {
    static const QHash<QChar, QString> german = {
        {QChar(0xE4), "ae"}, {QChar(0xF6), "oe"},  {QChar(0xFC), "ue"},  {QChar(0xC4), "Ae"},
        {QChar(0xD6), "Oe"}, {QChar(0xDC), "Ue"},  {QChar(0xDF), "ss"},  {QChar(0x141), "L"},
        {QChar(0x142), "l"}, {QChar(0xD8), "O"},   {QChar(0xF8), "o"},   {QChar(0xC6), "AE"},
        {QChar(0xE6), "ae"}, {QChar(0x152), "OE"}, {QChar(0x153), "oe"}, {QChar(0x110), "D"},
        {QChar(0x111), "d"}};
    QString out;
    for (const QChar c : text) {
        if (c.unicode() < 0x80) {
            out += c;
        } else if (german.contains(c)) {
            out += german.value(c);
        } else {
            QString plain;
            for (const QChar part : QString(c).normalized(QString::NormalizationForm_KD))
                if (part.unicode() < 0x80)
                    plain += part;
            out += plain.isEmpty() ? QStringLiteral("?") : plain;
        }
    }
    return out;
}

QByteArray tag(const QString& name, const QString& text) {
    const QByteArray bytes = transliterated(text).toLatin1();
    return '<' + name.toLatin1() + ':' + QByteArray::number(bytes.size()) + '>' + bytes;
}

QString adifValue(const QString& field, const QVariant& value) {
    if (value.isNull())
        return {};
    if (field == "QSO_DATE") {
        const QDate date = value.typeId() == QMetaType::QDateTime ? value.toDateTime().date()
                           : value.typeId() == QMetaType::QDate
                               ? value.toDate()
                               : QDate::fromString(value.toString().trimmed(), Qt::ISODate);
        return date.isValid() ? date.toString(QStringLiteral("yyyyMMdd")) : QString();
    }
    if (field == "TIME_ON") {
        QTime time =
            value.typeId() == QMetaType::QDateTime ? value.toDateTime().time() : value.toTime();
        if (!time.isValid())
            time = QTime::fromString(value.toString().trimmed(), QStringLiteral("H:mm"));
        return time.isValid() ? time.toString(QStringLiteral("HHmmss")) : QString();
    }
    if (field == "FREQ") {
        bool ok = false;
        double mhz = value.toString().replace(',', '.').toDouble(&ok);
        if (!ok || mhz <= 0)
            return {};
        if (mhz > 1000) // kept in kHz
            mhz /= 1000;
        QString text = QString::number(mhz, 'f', 6);
        while (text.endsWith('0'))
            text.chop(1);
        if (text.endsWith('.'))
            text.chop(1);
        return text;
    }
    return value.toString().simplified();
}

} // namespace

QByteArray adifExport(const ParadoxTable& table, const QDateTime& created, QStringList* warnings) {
    QByteArray out = "WinOrbis 70p log book export of " + table.path().toUtf8() + "\n";
    out += tag("ADIF_VER", "3.1.0") + ' ' + tag("PROGRAMID", "WinOrbis") + ' ' +
           tag("CREATED_TIMESTAMP", created.toString(QStringLiteral("yyyyMMdd HHmmss"))) +
           "\n<EOH>\n";
    // Which column fills which field; the first column of a field wins.
    static const QStringList order = {"CALL",     "QSO_DATE", "TIME_ON", "FREQ", "BAND",   "MODE",
                                      "RST_SENT", "RST_RCVD", "NAME",    "QTH",  "COMMENT"};
    QHash<QString, int> columnOf;
    for (int i = 0; i < table.columns().size(); ++i) {
        const QString field = adifFieldFor(table.columns()[i].name);
        if (!field.isEmpty() && !columnOf.contains(field))
            columnOf.insert(field, i);
    }
    for (int n = 0; n < table.recordCount(); ++n) {
        const Record record = table.record(n);
        const int callColumn = columnOf.value("CALL", -1);
        const QString call = callColumn < 0 ? QString() : adifValue("CALL", record[callColumn]);
        if (call.isEmpty()) {
            if (warnings)
                warnings->append(
                    QStringLiteral("record %1 has no call sign and is left out").arg(n + 1));
            continue;
        }
        QByteArray line;
        for (const QString& field : order) {
            const QString text = field == "MODE" ? QStringLiteral("SSTV")
                                 : columnOf.contains(field)
                                     ? adifValue(field, record[columnOf.value(field)])
                                     : QString();
            if (!text.isEmpty())
                line +=
                    tag(field, field == "CALL" || field == "BAND" ? text.toUpper() : text) + ' ';
        }
        out += line + "<EOR>\n";
    }
    return out;
}

} // namespace winorbis::logbook
