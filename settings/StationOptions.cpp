// SPDX-License-Identifier: GPL-3.0-or-later
#include "StationOptions.h"

#include "platform/ProgramFolder.h"
#include "platform/SafeFile.h"

#include <QFile>

namespace winorbis {

const QString StationOptions::kFileName = QStringLiteral("\\station.conf");

namespace {

bool validKey(const QString& key) {
    return !key.isEmpty() && !key.contains('=') && !key.contains('\n') && !key.startsWith('#') &&
           key == key.trimmed();
}

} // namespace

QString StationOptions::value(const QString& key, const QString& fallback) const {
    for (const auto& [k, v] : lines_) {
        if (!k.isEmpty() && k.compare(key, Qt::CaseInsensitive) == 0)
            return v;
    }
    return fallback;
}

bool StationOptions::flag(const QString& key, bool fallback) const {
    const QString v = value(key).trimmed().toLower();
    if (v == "1" || v == "on" || v == "yes" || v == "true")
        return true;
    if (v == "0" || v == "off" || v == "no" || v == "false")
        return false;
    return fallback;
}

void StationOptions::setValue(const QString& key, const QString& value) {
    if (!validKey(key))
        return;
    QString clean = value;
    clean.replace('\n', ' ').replace('\r', ' ');
    for (auto& [k, v] : lines_) {
        if (!k.isEmpty() && k.compare(key, Qt::CaseInsensitive) == 0) {
            v = clean;
            return;
        }
    }
    lines_.append({key, clean});
}

QByteArray StationOptions::toText() const {
    QByteArray text;
    if (lines_.isEmpty() || !lines_.first().first.isEmpty())
        text = "# WinOrbis: the station's own options; one key=value per line.\n";
    for (const auto& [k, v] : lines_)
        text += (k.isEmpty() ? v : k + '=' + v).toUtf8() + '\n';
    return text;
}

StationOptions StationOptions::fromText(const QByteArray& text) {
    StationOptions options;
    QList<QByteArray> raw = text.split('\n');
    if (!raw.isEmpty() && raw.last().isEmpty())
        raw.removeLast();
    for (const QByteArray& bytes : raw) {
        QString line = QString::fromUtf8(bytes);
        if (line.endsWith('\r'))
            line.chop(1);
        const int eq = line.indexOf('=');
        const QString key = eq < 0 ? QString() : line.left(eq).trimmed();
        if (line.trimmed().startsWith('#') || !validKey(key))
            options.lines_.append({QString(), line});
        else
            options.setValue(key, line.mid(eq + 1).trimmed()); // a repeated key: the last counts
    }
    return options;
}

StationOptions StationOptions::load(const ProgramFolder& folder) {
    QFile file(folder.path(kFileName));
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return fromText(file.read(256 * 1024));
}

QString StationOptions::save(const ProgramFolder& folder) const {
    return replaceFileContents(folder.path(kFileName), toText());
}

QString StationOptions::store(const ProgramFolder& folder, const QString& key,
                              const QString& value) {
    StationOptions options = load(folder);
    options.setValue(key, value);
    return options.save(folder);
}

} // namespace winorbis
