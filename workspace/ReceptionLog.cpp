// SPDX-License-Identifier: GPL-3.0-or-later
#include "ReceptionLog.h"

#include <QDir>
#include <QFile>

namespace winorbis {

namespace {

QString field(const QString& text) {
    QString value = text.trimmed();
    // A tab or line break in a value would break the line into other fields or lines.
    value.replace(QLatin1Char('\t'), QLatin1Char(' '));
    value.replace(QLatin1Char('\n'), QLatin1Char(' '));
    value.replace(QLatin1Char('\r'), QLatin1Char(' '));
    return value.isEmpty() ? QStringLiteral("-") : value;
}

} // namespace

ReceptionLog::ReceptionLog(const QString& folder)
    : path_(QDir(folder).filePath(kFileName)) {}

QByteArray ReceptionLog::line(const Entry& entry) {
    QStringList fields{entry.when.toUTC().toString(Qt::ISODate), field(entry.mode),
                       field(QDir::toNativeSeparators(entry.slotFile)),
                       field(QDir::toNativeSeparators(entry.jpegFile))};
    // Readers of the first four fields see a line with a callsign as one without.
    if (!entry.callsign.trimmed().isEmpty())
        fields << field(entry.callsign);
    return fields.join(QLatin1Char('\t')).toUtf8() + '\n';
}

QString ReceptionLog::hint(const Entry& entry) {
    const QString hint =
        QStringLiteral("Received %1 UTC, %2")
            .arg(entry.when.toUTC().toString(QStringLiteral("yyyy-MM-dd HH:mm:ss")),
                 field(entry.mode));
    return entry.callsign.isEmpty() ? hint : hint + QStringLiteral(" from ") + entry.callsign;
}

QString ReceptionLog::append(const Entry& entry) const {
    QFile file(path_);
    // Unbuffered: the line goes out in the one write below, at the file's end whatever else
    // appended in the meantime.
    if (!file.open(QIODevice::WriteOnly | QIODevice::Append | QIODevice::Unbuffered))
        return QStringLiteral("The reception log %1 cannot be written: %2")
            .arg(QDir::toNativeSeparators(path_), file.errorString());
    const QByteArray bytes = line(entry);
    if (file.write(bytes) != bytes.size())
        return QStringLiteral("The reception log %1 cannot be written: %2")
            .arg(QDir::toNativeSeparators(path_), file.errorString());
    return {};
}

} // namespace winorbis
