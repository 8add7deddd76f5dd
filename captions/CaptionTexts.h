// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

// What the captions, their font window and the standard-text window say to the operator.
namespace winorbis::captiontext {

// The status bar after a text has been armed, and while placing.
inline const QString kCallsignStatus = QStringLiteral("Callsign with the left mouse button place");
inline const QString kReportStatus = QStringLiteral("Rapport with the left mouse button place ");
inline const QString kContestStatus =
    QStringLiteral("Contestnumber with the left mouse button place ");
inline const QString kStandardTextStatus =
    QStringLiteral("Standardtext with the left mouse button place");
inline const QString kPictureInPictureStatus =
    QStringLiteral("Picture position select and with the left mouse button place (Doubleclick)");
inline const QString kTypedTextMoveStatus =
    QStringLiteral("Text with \"Enter\" confirm, with the left mouse button place or copy with "
                   "Drag & Drop on the desired button( max. 16 Character )");
inline const QString kTypedTextChangeStatus =
    QStringLiteral("Text with \"Enter\" confirm, with the left mouse button place or copy with "
                   "Drag & Drop on th desired button ( max. 16 Character )");

// Hints of the caption controls.
inline const QString kFontSizeHint = QStringLiteral("Font Size");
inline const QString kTurnHint =
    QStringLiteral("Text turn - Positiv - Turn to left /  Negativ - turn to right. This function "
                   "is not possible with all character fonts");
inline const QString kShadowHint = QStringLiteral("Shadow");
inline const QString kItalicHint = QStringLiteral("Italic");
inline const QString kColorHint = QStringLiteral("Color");
inline const QString kFontHint = QStringLiteral("Font");
inline const QString kFontExampleHint = QStringLiteral("Font Example");
inline const QString kReportHint = QStringLiteral("RSV Input");
inline const QString kCallsignInsertHint = QStringLiteral("Automatic callsign insert");

// Menu "Reference" > "Picture inscription".
inline const QString kPictureInscription =
    QStringLiteral("If you install the font editor Quillo. After you can the picture mark, they "
                   "use please windows routine copy and paste.");

// A contest-number drop that is no number.
inline QString notAnInteger(const QString& text) {
    return QStringLiteral("'%1' ist kein gültiger Integerwert").arg(text);
}
// A missing callsign picture.
inline QString cannotLoadCallsign(const QString& path, const QString& reason) {
    return QStringLiteral("Cannot load the picture %1: %2").arg(path, reason);
}

// The standard-text window.
inline const QString kLibraryTitle = QStringLiteral("Standardtext: ");
inline const QString kAddCaption = QStringLiteral("Text add...");
inline const QString kUnderEntryCaption = QStringLiteral("New under entry");
inline const QString kCultivateCaption = QStringLiteral("Text cultivate");
inline const QString kTextPrompt = QStringLiteral("Text:");
inline QString deleteQuestion(const QString& text) {
    return QStringLiteral("If you want the text   >") + text + QStringLiteral("<  deleted?");
}
inline const QString kOkHint = QStringLiteral("Text in das Texteingabefeld übernehmen");
inline const QString kSelectLabel = QStringLiteral("Select the text,");
inline const QString kConfirmLabel = QStringLiteral("confirm these");
inline const QString kWithOkLabel = QStringLiteral("with button \" OK \".");
inline QString cannotOpenLibrary(const QString& path) {
    return QStringLiteral("Cannot open file \"%1\". The file does not exist.").arg(path);
}
inline QString cannotSaveLibrary(const QString& path, const QString& reason) {
    return QStringLiteral("Cannot write file \"%1\": %2").arg(path, reason);
}

} // namespace winorbis::captiontext
