// SPDX-License-Identifier: GPL-3.0-or-later
#include "Colour.h"

#include <QGuiApplication>
#include <QPalette>

#include <array>

namespace winorbis {

namespace {

// The classic Windows desktop colours, used where no desktop palette says otherwise.
constexpr std::array<std::uint32_t, 31> kClassic = {
    0xC8C8C8, 0x000000, 0xD1B499, 0xDBCDBF, 0xF0F0F0, 0xFFFFFF, 0x646464, 0x000000,
    0x000000, 0x000000, 0xB4B4B4, 0xFCF7F4, 0xABABAB, 0xFF9933, 0xFFFFFF, 0xF0F0F0,
    0xA0A0A0, 0x6D6D6D, 0x000000, 0x000000, 0xFFFFFF, 0x696969, 0xE3E3E3, 0x000000,
    0xE1FFFF, 0x000000, 0xCC6600, 0xEAD1B9, 0xF2E4D7, 0xFF9933, 0xF0F0F0};

QColor fromRgbValue(std::uint32_t v) {
    return QColor(int(v & 0xFF), int(v >> 8 & 0xFF), int(v >> 16 & 0xFF));
}

// The desktop palette's role for a system colour index, where the palette has one.
bool paletteRole(int index, QPalette::ColorGroup& group, QPalette::ColorRole& role) {
    group = QPalette::Active;
    switch (index) {
    case 1:  // clBackground
    case 12: // clAppWorkSpace
        role = QPalette::Window;
        return true;
    case 4:  // clMenu
    case 15: // clBtnFace
    case 30: // clMenuBar
        role = QPalette::Button;
        return true;
    case 5: // clWindow
        role = QPalette::Base;
        return true;
    case 7: // clMenuText
    case 8: // clWindowText
        role = QPalette::WindowText;
        return true;
    case 13: // clHighlight
    case 29: // clMenuHighlight
        role = QPalette::Highlight;
        return true;
    case 14: // clHighlightText
        role = QPalette::HighlightedText;
        return true;
    case 16: // clBtnShadow
        role = QPalette::Mid;
        return true;
    case 17: // clGrayText
        group = QPalette::Disabled;
        role = QPalette::Text;
        return true;
    case 18: // clBtnText
        role = QPalette::ButtonText;
        return true;
    case 20: // clBtnHighlight
        role = QPalette::Light;
        return true;
    case 21: // cl3DDkShadow
        role = QPalette::Shadow;
        return true;
    case 22: // cl3DLight
        role = QPalette::Midlight;
        return true;
    case 23: // clInfoText
        role = QPalette::ToolTipText;
        return true;
    case 24: // clInfoBk
        role = QPalette::ToolTipBase;
        return true;
    case 26: // clHotLight
        role = QPalette::Link;
        return true;
    default:
        return false;
    }
}

} // namespace

QColor TColor::toQColor() const {
    if (!isSystem())
        return fromRgbValue(value_ & 0xFFFFFF);
    const int index = systemIndex();
    QPalette::ColorGroup group;
    QPalette::ColorRole role;
    if (qobject_cast<QGuiApplication*>(QCoreApplication::instance()) &&
        paletteRole(index, group, role))
        return QGuiApplication::palette().color(group, role);
    if (index < int(kClassic.size()))
        return fromRgbValue(kClassic[std::size_t(index)]);
    return QColor(Qt::black);
}

} // namespace winorbis
