// SPDX-License-Identifier: GPL-3.0-or-later
#include "CommandRow.h"

#include "controls/TFlyingButton.h"
#include "platform/Colour.h"

namespace winorbis {

namespace {

struct RowButton {
    const char* name;
    const char* text;
    int width;
    const char* hint;
};

// In the order of RowCommand, 5 pixels apart, from (520, 372) of the main window's client area:
// below the RX window, clear of the caption panel and the "341 x 256" button.
constexpr RowButton kRow[] = {
    {"FlyingButton13", "Exit", 44, ""},
    {"FlyingButton14", "Help", 44, ""},
    {"FlyingButton15", "Info", 44, ""},
    {"FlyingButton16", "Setup", 57, ""},
    {"FlyingButton22", "Tune", 57, "Spectrum Analyzer"},
};
constexpr int kLeft = 520;
constexpr int kTop = 372;
constexpr int kHeight = 23;
constexpr int kGap = 5;

} // namespace

std::array<TFlyingButton*, kRowCommands> makeCommandRow(QWidget* clientArea) {
    static_assert(std::size(kRow) == kRowCommands);
    std::array<TFlyingButton*, kRowCommands> row{};
    int left = kLeft;
    for (std::size_t i = 0; i < row.size(); ++i) {
        const RowButton& b = kRow[i];
        row[i] =
            TFlyingButton::make(clientArea, QString::fromLatin1(b.name),
                                QString::fromLatin1(b.text), QRect(left, kTop, b.width, kHeight),
                                colours::clSilver, TFlyingButton::systemFont(13, true));
        if (*b.hint)
            row[i]->setToolTip(QString::fromLatin1(b.hint));
        row[i]->show();
        left += b.width + kGap;
    }
    return row;
}

} // namespace winorbis
