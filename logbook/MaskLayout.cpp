// SPDX-License-Identifier: GPL-3.0-or-later
#include "MaskLayout.h"

#include <algorithm>

namespace winorbis::logbook {

bool isIdentifier(const QString& name) {
    if (name.isEmpty())
        return false;
    for (int i = 0; i < name.size(); ++i) {
        const QChar c = name[i];
        const bool letter = (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '_';
        const bool digit = c >= '0' && c <= '9';
        if (!letter && !(digit && i > 0))
            return false;
    }
    return true;
}

MaskLayout maskLayout(const QList<Column>& columns, int maxCharWidth) {
    MaskLayout layout;
    if (columns.isEmpty())
        return layout;
    qsizetype longest = 0;
    for (const Column& column : columns)
        longest = std::max(longest, std::min<qsizetype>(column.name.size(), 20));
    const int labelWidth = int(10 * longest);
    const int editLeft = labelWidth + 20;
    int top = 45;
    for (int i = 0; i < columns.size(); ++i) {
        const Column& column = columns[i];
        MaskRow row;
        row.label = column.name.left(25);
        row.fieldName = column.name.left(25);
        const bool identifier = isIdentifier(row.label);
        row.labelName = identifier ? (QStringLiteral("Label") + row.label).left(30)
                                   : QStringLiteral("Label_%1").arg(i);
        row.editName = identifier ? (QStringLiteral("Ed") + row.label).left(27)
                                  : QStringLiteral("Ed_%1").arg(i);
        row.labelAt = QPoint(10, top);
        row.labelWidth = i == 0 ? labelWidth : 0;
        row.edit = QRect(editLeft, top, column.displayWidth * maxCharWidth + 10, 21);
        layout.rows.append(row);
        top += 30;
    }
    // The last row and a margin below it stay reachable.
    layout.scrollRange = std::max(1500, top + 15);
    return layout;
}

} // namespace winorbis::logbook
