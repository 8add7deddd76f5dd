// SPDX-License-Identifier: GPL-3.0-or-later
#include "Settings.h"

namespace winorbis {

Settings Settings::defaults(const QString& defaultFace) {
    Settings s;
    s.callsignFont.faceName = defaultFace.left(kFaceNameMax);
    for (int i = 0; i < kStandardTextCount; ++i) {
        FontBlock& block = s.standardTexts[std::size_t(i)];
        block = s.callsignFont;
        block.text = QStringLiteral("Message%1").arg(i + 1);
    }
    for (int i = 0; i < kSlotCount; ++i)
        s.slotNames[std::size_t(i)] = QStringLiteral("RxPic%1").arg(i);
    s.txNames.fill(QStringLiteral("Comment"));
    for (int i = 0; i < kPageCount; ++i)
        s.pageNames[std::size_t(i)] = QStringLiteral("IMAGE%1").arg(i + 1);
    return s;
}

} // namespace winorbis
