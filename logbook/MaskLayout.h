// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "ParadoxTable.h"

#include <QList>
#include <QRect>
#include <QString>

namespace winorbis::logbook {

// Where the input mask puts the label and the edit field of each column: labels at
// (10, 45 + 30 i), edit fields at the label column's width + 20, the label column 10 pixels per
// character of the longest column name (each counted with at most 20), each edit field as wide
// as its column's display width in the edit font's widest character, plus 10.
struct MaskRow {
    QString label;     // the column name cut to 25 characters
    QString labelName; // "Label" + name (30 characters in all), or "Label_" + i
    QString editName;  // "Ed" + name (27 characters in all), or "Ed_" + i
    QString fieldName; // the column's name cut to 25 characters
    QPoint labelAt;
    int labelWidth = 0; // set on the first row only; 0 = the label's own size
    QRect edit;
};

struct MaskLayout {
    QList<MaskRow> rows;
    int scrollRange = 1500; // grows so that every row can be scrolled into view
};

MaskLayout maskLayout(const QList<Column>& columns, int maxCharWidth);
bool isIdentifier(const QString& name);

} // namespace winorbis::logbook
