// SPDX-License-Identifier: GPL-3.0-or-later
#include "SlotTable.h"

namespace winorbis {

namespace {

constexpr int kRow1 = 24;
constexpr int kRow2 = 112;
constexpr std::array<int, 8> kColumns = {8, 104, 200, 296, 408, 504, 600, 696};

Slot makeSlot(int n, int imageNumber, const char* label) {
    const int row = n <= 8 ? kRow1 : kRow2;
    const int column = kColumns[std::size_t((n - 1) % 8)];
    return Slot{n,
                QStringLiteral("Image%1").arg(imageNumber),
                QString::fromLatin1(label),
                QStringLiteral("PIC%1").arg(n),
                n == 1 ? QStringLiteral("Bild1") : QStringLiteral("RxTemp%1").arg(n),
                QPoint(column, row)};
}

} // namespace

const std::array<Slot, 16>& slotTable() {
    // The labels as the window has always spelled them, blanks included.
    static const std::array<Slot, 16> table = {
        makeSlot(1, 3, "Picture 1"),    makeSlot(2, 4, "Picture 2"),
        makeSlot(3, 7, "Picture 3 "),   makeSlot(4, 9, "Picture 4"),
        makeSlot(5, 11, "Picture 5"),   makeSlot(6, 13, "Picture 6"),
        makeSlot(7, 16, "Picture 7"),   makeSlot(8, 18, "Picture 8"),
        makeSlot(9, 5, "Picture 9"),    makeSlot(10, 6, "Picture 10"),
        makeSlot(11, 8, "Picture11"),   makeSlot(12, 10, "Picture 12"),
        makeSlot(13, 12, "Picture 13"), makeSlot(14, 15, "Picture 14"),
        makeSlot(15, 17, "Picture 15"), makeSlot(16, 19, "Picture 16"),
    };
    return table;
}

const Slot& slot(int n) {
    return slotTable().at(std::size_t(n - 1));
}

QString slotFileName(int n) {
    return QStringLiteral("\\Kleinbilder\\Bild%1.bmp").arg(n);
}

} // namespace winorbis
