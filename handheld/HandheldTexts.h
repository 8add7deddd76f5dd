// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

#include <array>

namespace winorbis::handheldtext {

// The messages of the VC-H1 exchange, as the operator sees them.
// No first answer to a command byte.
inline const QString kInactive = QStringLiteral("Communication inactive");
// No answer after the command's parameters.
inline const QString kInactiveAfterParameters = QStringLiteral("! Communication inactive");
// A collecting read gave up; the number of bytes follows the blank.
inline const QString kInactiveCount = QStringLiteral("Communication inactive ");

// The colour table: the index travels on the wire, the names are the items of the colour lists.
inline const std::array<QString, 8> kColourNames = {
    QStringLiteral("White"), QStringLiteral("Yellow"),  QStringLiteral("Cyanic"),
    QStringLiteral("Green"), QStringLiteral("Magenta"), QStringLiteral("Red"),
    QStringLiteral("Blue"),  QStringLiteral("Black")};

// The settings window: caption, default TX mode items and the status texts of its commands
// (%1: the page number 1..10).
inline const QString kWindowCaption = QStringLiteral("VC-H1 Setting");
// Fits the window's status field; the manual says what to check.
inline const QString kNoAnswer = QStringLiteral("No answer from the VC-H1");
inline const QString kModeFastFm = QStringLiteral("Fast FM");
inline const QString kModeRobot36 = QStringLiteral("Robot 36");
inline const QString kStore = QStringLiteral("Store to P%1");
inline const QString kStoreComplete = QStringLiteral("Store to P%1 Complete");
inline const QString kStoreIncomplete = QStringLiteral("Store to P%1 Incomplete");
inline const QString kRecall = QStringLiteral("ReCall from P%1");
inline const QString kRecallComplete = QStringLiteral("ReCall from P%1 Complete");
inline const QString kRecallIncomplete = QStringLiteral("ReCall from P%1 Incomplete");
inline const QString kHoldSet = QStringLiteral("P%1 Hold Set");
inline const QString kHoldSetComplete = QStringLiteral("P%1 Hold Set Complete");
inline const QString kHoldSetIncomplete = QStringLiteral("P%1 Hold Set Incomplete");
inline const QString kHoldReset = QStringLiteral("P%1 Hold Reset");
inline const QString kHoldResetComplete = QStringLiteral("P%1 Hold Reset Complete");
inline const QString kHoldResetIncomplete = QStringLiteral("P%1 Hold Reset Incomplete");
inline const QString kNoReport = QStringLiteral("No RSV report!");
inline const QString kNoMessage = QStringLiteral("No Message!");
inline const QString kReportSetComplete = QStringLiteral("RSV Report Set Complete");
inline const QString kReportSetIncomplete = QStringLiteral("RSV Report Set Incomplete");
inline const QString kMessageSetComplete = QStringLiteral("Message Set Complete");
inline const QString kMessageSetIncomplete = QStringLiteral("Message Set Incomplete");
inline const QString kCallSignSetComplete = QStringLiteral("CallSign Set Complete");
inline const QString kCallSignSetIncomplete = QStringLiteral("CallSign Set Incomplete");
// The function command's texts, spelt as the program has always shown them.
inline const QString kFunctionSetComplete = QStringLiteral("Function Set Compleat");
inline const QString kFunctionSetIncomplete = QStringLiteral("Function Set Incompleat");

// The main window's item that opens the settings window, and what the status bar says when the
// converter is busy with a reception then.
inline const QString kMenuItem = QStringLiteral("VC-H1 Setting...");
inline const QString kConverterBusy =
    QStringLiteral("The converter is busy. Try again when the reception has ended.");

} // namespace winorbis::handheldtext
