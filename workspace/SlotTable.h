// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QPoint>
#include <QString>

#include <array>

namespace winorbis {

// The sixteen mini picture slots below the picture windows: per slot its thumbnail control, the
// visible label as the operator reads it, the hidden label that holds its name, the name a slot
// has when nobody named it, and its place on the thumbnail panel.
struct Slot {
    int number;          // 1..16
    QString image;       // objectName of the thumbnail ("Image3")
    QString label;       // the visible label, spelled as the window shows it
    QString nameLabel;   // objectName of the hidden name label ("PIC1")
    QString defaultName; // "Bild1", "RxTemp2" .. "RxTemp16"
    QPoint position;     // top-left of the thumbnail on the thumbnail panel
};

inline constexpr int kSlotWidth = 60;
inline constexpr int kSlotHeight = 46;

// Slot 1 first.
const std::array<Slot, 16>& slotTable();
// Slot n (1..16).
const Slot& slot(int n);

// The slot file of slot n in the program's file naming: "\Kleinbilder\Bild" n ".bmp".
QString slotFileName(int n);
// The empty-slot picture, written at every start.
inline const QString kGrayPictureName = QStringLiteral("\\Gray.BMP");

} // namespace winorbis
