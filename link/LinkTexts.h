// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

namespace winorbis::linktext {

// The messages of the converter link, as the operator sees them.
inline const QString kNoInterface = QStringLiteral("No response from the interface");
inline const QString kNoConnection =
    QStringLiteral("No connection to Orbis 70p. Control please the interface (Setup) and the "
                   "jumper in the Orbis 70p.");
inline const QString kCommunicationCom = QStringLiteral("Communication error[com]");
inline const QString kCommunicationAck = QStringLiteral("Communication error[ack]");
inline const QString kCommunicationData = QStringLiteral("Communication error[data]");

} // namespace winorbis::linktext
