// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

namespace winorbis::linktext {

// The messages and texts of the converter link, as the operator sees them.
inline const QString kNoInterface = QStringLiteral("No response from the interface");
inline const QString kNoConnection =
    QStringLiteral("No connection to Orbis 70p. Control please the interface (Setup) and the "
                   "jumper in the Orbis 70p.");
inline const QString kCommunicationCom = QStringLiteral("Communication error[com]");
inline const QString kCommunicationAck = QStringLiteral("Communication error[ack]");
inline const QString kCommunicationData = QStringLiteral("Communication error[data]");

// Status texts and button texts of the converter commands; the per-mode texts stand in the mode
// table.
inline const QString kUploadStatus = QStringLiteral("Load picture from PC to Orbis 70");
inline const QString kFetchStatus = QStringLiteral("Load picture from Orbis 70 to PC");
inline const QString kDigitizeStatus = QStringLiteral("Picture digitize");
inline const QString kSelfTimer2Status = QStringLiteral("Self - timer after 2s");
inline const QString kMemory1Status = QStringLiteral("Orbis 70 - Memory 1");
inline const QString kMemory2Status = QStringLiteral("Orbis 70 - Memory 2");
inline const QString kReceiveStopped = QStringLiteral("Receive stopped, ready for receive");
inline const QString kReadyForReceive = QStringLiteral(" Ready for Receive ");
inline const QString kRepeaterNote = QStringLiteral("Repeater Function is switched on.");
inline const QString kRxStopText = QStringLiteral("RX Stop");
inline const QString kLoadingText = QStringLiteral("Lade");

// The serial device vanished (%1: its name), and came back.
inline const QString kConnectionLost =
    QStringLiteral("Connection to the converter lost: waiting for %1");
inline const QString kConnectedAgain = QStringLiteral("Converter connected again");

} // namespace winorbis::linktext
