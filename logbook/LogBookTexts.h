// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>
#include <QStringList>

// What the log book and its input mask say to the operator.
namespace winorbis::logbooktext {

inline const QString kWindowTitle = QStringLiteral("SSTV Logbuch");
inline const QString kMaskTitle = QStringLiteral("Eingabemaske");
inline const QString kOpenHint = QStringLiteral("Logbuch öffnen");
inline const QString kMaskHint = QStringLiteral("Eingabemaske anzeigen");
inline const QString kExitHint = QStringLiteral("Programm beenden");
inline const QString kMaskStatus =
    QStringLiteral("Eingabemaske zum Bearbeiten und zur Eingabe des QSO");
inline const QString kOpenStatus = QStringLiteral("Logbuch Datei QSO.DB öffnen ");
inline const QString kFileMenu = QStringLiteral("&Datei");
inline const QString kOpenItem = QStringLiteral("Logbuch &öffnen");
inline const QString kExportItem = QStringLiteral("ADIF &exportieren...");
inline const QString kExitItem = QStringLiteral("Programm &beenden");
inline const QString kOpenFilter = QStringLiteral("Paradox-Tabellen|*.DB");
inline const QString kAdifFilter = QStringLiteral("ADIF|*.adi");
inline const QString kDeleteQuestion = QStringLiteral("Datensatz löschen?");
inline const QString kMenuItem = QStringLiteral("Log Book...");
// The navigator's ten buttons, in order.
inline const QStringList kNavigatorHints = {
    QStringLiteral("Erster Datensatz"),     QStringLiteral("Vorheriger Datensatz"),
    QStringLiteral("Nächster Datensatz"),   QStringLiteral("Letzter Datensatz"),
    QStringLiteral("Datensatz einfügen"),   QStringLiteral("Datensatz löschen"),
    QStringLiteral("Datensatz bearbeiten"), QStringLiteral("Übernehmen"),
    QStringLiteral("Bearbeiten abbrechen"), QStringLiteral("Daten aktualisieren")};
inline QString cannotWriteExport(const QString& path, const QString& reason) {
    return QStringLiteral("%1 cannot be written: %2").arg(path, reason);
}

} // namespace winorbis::logbooktext
