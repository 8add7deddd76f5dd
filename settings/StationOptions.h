// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QList>
#include <QPair>
#include <QString>

namespace winorbis {

class ProgramFolder;

// The station's own choices that the settings file "\COM.DAT" has no line for (the callsign
// insert switch, the recording device of the tuning display, ...). Kept beside the port map in
// the program folder's "\station.conf", one "key=value" line each, so the 585 lines of the settings
// file stay as they are. Lines the program does not know are kept as they stand.
class StationOptions {
public:
    static const QString kFileName; // "\station.conf"

    // The value of a key; fallback when the key is missing.
    QString value(const QString& key, const QString& fallback = {}) const;
    bool flag(const QString& key, bool fallback = false) const;
    void setValue(const QString& key, const QString& value);
    void setFlag(const QString& key, bool on) { setValue(key, on ? "1" : "0"); }

    // Reads the file; a missing or unreadable file gives no options.
    static StationOptions load(const ProgramFolder& folder);
    // Writes the file whole or not at all; empty text on success, otherwise the reason.
    QString save(const ProgramFolder& folder) const;
    // Reads the file, sets one key and writes it back, so that two parts of the program that each
    // keep one option never undo the other's.
    static QString store(const ProgramFolder& folder, const QString& key, const QString& value);

    QByteArray toText() const;
    static StationOptions fromText(const QByteArray& text);

private:
    // Every line in file order: a key with its value, or a comment / unknown line with an empty
    // key.
    QList<QPair<QString, QString>> lines_;
};

} // namespace winorbis
