// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "ParadoxTable.h"

#include <QByteArray>
#include <QDateTime>
#include <QStringList>

namespace winorbis {
class ProgramFolder;
}

namespace winorbis::logbook {

// The starter log of a new program folder: "\QSO.DB" with the columns an SSTV operator keeps.
inline const QString kStarterLogName = QStringLiteral("\\QSO.DB");
QList<Column> starterColumns();
// Makes "\QSO.DB" when the folder has none; the reason when it cannot be made, empty otherwise.
QString createStarterLogIfMissing(const ProgramFolder& folder);

// The ADIF fields a log column fills, found by the column's name (German or English, whatever
// the letter case); empty for a column that fills none.
QString adifFieldFor(const QString& columnName);

// The whole table as an ADIF 3.1 file: the header (ADIF_VER, PROGRAMID, CREATED_TIMESTAMP), then
// one record per QSO with CALL, QSO_DATE, TIME_ON, FREQ, BAND, MODE SSTV, RST_SENT, RST_RCVD,
// NAME, QTH and COMMENT where the table has them. The text is UTF-8 and every length counts its
// bytes. A record without a call sign is left out with a line in warnings.
QByteArray adifExport(const ParadoxTable& table, const QDateTime& created, QStringList* warnings);

} // namespace winorbis::logbook
