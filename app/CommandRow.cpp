// SPDX-License-Identifier: GPL-3.0-or-later
#include "CommandRow.h"

#include "TForm1.h"
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

// In the row's order, 5 pixels apart, from (520, 372) of the main window's client area: below
// the RX window, clear of the caption panel and the "341 x 256" button.
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

TFlyingButton* commandRowButton(TForm1& main, const QString& objectName) {
    if (auto* existing = main.centralWidget()->findChild<TFlyingButton*>(objectName))
        return existing;
    int left = kLeft;
    for (const RowButton& b : kRow) {
        if (objectName == QLatin1String(b.name)) {
            auto* button =
                TFlyingButton::make(main.centralWidget(), objectName, QString::fromLatin1(b.text),
                                    QRect(left, kTop, b.width, kHeight), colours::clSilver,
                                    TFlyingButton::systemFont(13, true));
            if (*b.hint)
                button->setToolTip(QString::fromLatin1(b.hint));
            button->show();
            return button;
        }
        left += b.width + kGap;
    }
    return nullptr;
}

} // namespace winorbis
