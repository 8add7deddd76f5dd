// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QDateTime>
#include <QString>

namespace winorbis {

// The log of received pictures "received.log": one line per picture with its time (UTC, ISO
// 8601), mode, slot file and JPEG file, separated by tabs ("-" for a field that has no value),
// and as a fifth field the callsign sent in FSK after the picture, only when one came.
// Lines are only ever appended, each with one write, so the log is never rewritten and a line of
// another writer is never cut in two.
class ReceptionLog {
public:
    static inline const QString kFileName = QStringLiteral("received.log");

    struct Entry {
        QDateTime when;
        QString mode;
        QString slotFile;
        QString jpegFile;
        QString callsign = {}; // sent in FSK after the picture; empty: none
    };

    // The log in the native folder (the program folder's "AutoSpeichern", or a watch's folder).
    explicit ReceptionLog(const QString& folder);

    // "2026-12-08T15:50:30Z\tMartin 1\t/station/Kleinbilder/Bild3.bmp\t-\n", with a callsign
    // "2026-12-08T15:50:30Z\tPD 120\t-\t/rx/081226_155030.jpg\tDL1ABC\n"
    static QByteArray line(const Entry& entry);
    // The slot's hint: "Received 2026-12-08 15:50:30 UTC, Martin 1", with " from DL1ABC" after
    // it when a callsign came.
    static QString hint(const Entry& entry);

    // Appends the entry's line; the reason when it cannot be written, empty otherwise.
    QString append(const Entry& entry) const;
    QString filePath() const { return path_; }

private:
    QString path_;
};

} // namespace winorbis
