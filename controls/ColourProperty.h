// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

namespace winorbis {

// Makes the colour type usable as a property value by name: QVariant conversions between
// winorbis::TColor and int, unsigned int and QColor, so that setProperty("FaceColor", 255) or a
// system colour such as 0x8000000F (clBtnFace) work as well as the typed setters that the
// generated layout code calls. Safe to call any number of times.
void RegisterColourProperty();

} // namespace winorbis
