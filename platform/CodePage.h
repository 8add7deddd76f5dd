// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QString>

namespace winorbis {

// Text files shared with existing installations are 8-bit text in the Windows Latin code page
// (1252). Decoding maps every byte; encoding writes '?' for a character the code page lacks.
QString fromWinLatin(QByteArrayView bytes);
QByteArray toWinLatin(QStringView text);

} // namespace winorbis
