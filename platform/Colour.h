// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QColor>

#include <cstdint>

namespace winorbis {

// The program's 32-bit colour value: either an RGB value 0x00BBGGRR (red in the low byte) or a
// system colour, 0x80000000 plus the index of a desktop colour. The one place where such a value
// becomes a QColor.
class TColor {
public:
    constexpr TColor() = default;
    constexpr TColor(std::uint32_t value)
        : value_(value) {} // NOLINT: colours read as numbers

    static constexpr TColor rgb(int r, int g, int b) {
        return TColor(std::uint32_t(r & 0xFF) | std::uint32_t(g & 0xFF) << 8 |
                      std::uint32_t(b & 0xFF) << 16);
    }
    static TColor fromQColor(const QColor& colour) {
        return rgb(colour.red(), colour.green(), colour.blue());
    }

    constexpr std::uint32_t value() const { return value_; }
    // The value as the settings file writes it: a signed 32-bit decimal, so system colours are
    // negative as in files of existing installations.
    constexpr std::int32_t signedValue() const { return static_cast<std::int32_t>(value_); }
    constexpr bool isSystem() const { return (value_ & 0xFF000000u) == 0x80000000u; }
    constexpr int systemIndex() const { return int(value_ & 0xFFu); }
    constexpr int red() const { return int(value_ & 0xFF); }
    constexpr int green() const { return int(value_ >> 8 & 0xFF); }
    constexpr int blue() const { return int(value_ >> 16 & 0xFF); }

    // RGB values directly; system colours from the desktop's palette (the application palette
    // when a GUI application runs, the classic Windows colours otherwise).
    QColor toQColor() const;

    friend constexpr bool operator==(TColor, TColor) = default;

private:
    std::uint32_t value_ = 0;
};

// The named colours of the window framework.
namespace colours {
inline constexpr TColor clBlack{0x000000}, clMaroon{0x000080}, clGreen{0x008000}, clOlive{0x008080},
    clNavy{0x800000}, clPurple{0x800080}, clTeal{0x808000}, clGray{0x808080}, clSilver{0xC0C0C0},
    clRed{0x0000FF}, clLime{0x00FF00}, clYellow{0x00FFFF}, clBlue{0xFF0000}, clFuchsia{0xFF00FF},
    clAqua{0xFFFF00}, clWhite{0xFFFFFF};

inline constexpr TColor clScrollBar{0x80000000}, clBackground{0x80000001},
    clActiveCaption{0x80000002}, clInactiveCaption{0x80000003}, clMenu{0x80000004},
    clWindow{0x80000005}, clWindowFrame{0x80000006}, clMenuText{0x80000007},
    clWindowText{0x80000008}, clCaptionText{0x80000009}, clActiveBorder{0x8000000A},
    clInactiveBorder{0x8000000B}, clAppWorkSpace{0x8000000C}, clHighlight{0x8000000D},
    clHighlightText{0x8000000E}, clBtnFace{0x8000000F}, clBtnShadow{0x80000010},
    clGrayText{0x80000011}, clBtnText{0x80000012}, clInactiveCaptionText{0x80000013},
    clBtnHighlight{0x80000014}, cl3DDkShadow{0x80000015}, cl3DLight{0x80000016},
    clInfoText{0x80000017}, clInfoBk{0x80000018}, clHotLight{0x8000001A},
    clGradientActiveCaption{0x8000001B}, clGradientInactiveCaption{0x8000001C},
    clMenuHighlight{0x8000001D}, clMenuBar{0x8000001E};
} // namespace colours

} // namespace winorbis
