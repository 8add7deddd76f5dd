// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "HandheldData.h"
#include "HandheldExchange.h"

#include <QString>

#include <array>
#include <cstdint>
#include <functional>
#include <optional>

namespace winorbis {

// What the ten page records say about the pages, by the settings window's rule: a page holds a
// picture when r0 XOR r1 = 255 and is held when r2 XOR r3 = 255; a page with a picture whose r1
// is above 100 makes the page after it unusable, and that page's own record is not looked at.
enum class PageState { Empty, Picture, PictureHeld, Unusable };
std::array<PageState, handheldpage::kCount>
pageStates(const std::array<PageRecord, handheldpage::kCount>& records);

// The function switches as the settings window shows them, and the interval in seconds.
struct HandheldFunctions {
    bool afMonitor = false; // shown inverse of flag bit 0
    bool callDisplay = false;
    bool powerSave = false;
    bool fastFm = false; // default TX mode "Fast FM", else "Robot 36"
    bool variableInterval = false;
    bool repeaterId = false;
    int intervalSeconds = handheldinterval::kDefaultSeconds;

    bool operator==(const HandheldFunctions&) const = default;

    // The switches of a flags byte; the interval is left as it is.
    void takeFlags(std::uint8_t flags);
    // The flags byte to write: the shown bits from the switches, bits 3 and 7 from previous.
    std::uint8_t toFlags(std::uint8_t previous) const;
};

// The character filter of the three texts: blank, "!", "-", "/", the digits, "?" and the capitals
// pass, a small letter becomes its capital, everything else is dropped (nullopt).
std::optional<QChar> filterTextCharacter(QChar c);
// The text through the filter, character by character.
QString filterText(const QString& text);
// The longest text each of the three lines takes.
int maxTextLength(HandheldExchange::Text which);

// The state of the settings window's controls, as the controller keeps it.
struct HandheldPanel {
    struct Page {
        bool storeEnabled = true;
        bool recallEnabled = true;
        bool holdEnabled = true;
        bool holdChecked = false;
    };
    struct TextLine {
        QString text;
        int colour = -1; // colour table index, -1 while none is chosen
        bool setEnabled = true;
    };

    QString status;
    // The handheld answered this opening's first read: until then no control is enabled and no
    // switch shows a state.
    bool answered = false;
    std::array<Page, handheldpage::kCount> pages{};
    TextLine call{QString(), -1, false};
    TextLine report;
    TextLine message;
    HandheldFunctions functions;
    bool funcSetEnabled = false;

    TextLine& line(HandheldExchange::Text which);
    const TextLine& line(HandheldExchange::Text which) const;
};

// The rules of the VC-H1 settings window without the window: what its opening reads and shows,
// the page commands with their status texts, the three texts, the function switches, and which
// control is enabled when. The window shows panel() after every call (and whenever changed() is
// called during a long exchange) and hands every operator change to the controller. Exchanges are
// passed in per call: they live only while the window keeps the receive monitor off the port.
class HandheldController {
public:
    using Text = HandheldExchange::Text;

    // changed: the panel has changed while an exchange is still to come (a status text shown
    // before the exchange begins). Boxes go to the exchange's dialogs.
    explicit HandheldController(std::function<void()> changed = {});

    const HandheldPanel& panel() const { return panel_; }
    // True while the page states are being written into the hold boxes: those changes send
    // nothing.
    bool FillingPages() const { return fillingPages_; }

    // Reads and shows the handheld's state; stops at the first failed read, leaving what it has
    // not reached as it was.
    void FormShow(HandheldExchange& exchange);

    // The page commands (index 0..9).
    void store(HandheldExchange& exchange, int pageIndex);
    void recall(HandheldExchange& exchange, int pageIndex);
    // The hold box of the page now shows checked; holds or releases the page unless the change
    // is the controller's own (FillingPages) or no change at all.
    void holdChanged(HandheldExchange& exchange, int pageIndex, bool checked);

    // The operator's edits: the text (already filtered), a colour chosen, a function control.
    void textChanged(Text which, const QString& text);
    void colourChosen(Text which, int colour);
    void functionsChanged(const HandheldFunctions& functions);

    // The three set buttons and "Function Set".
    void sendText(HandheldExchange& exchange, Text which);
    void FunctionSet(HandheldExchange& exchange);

private:
    void setStatus(const QString& text);
    void showFunctions(const HandheldFunctions& functions);
    void fillPages(const std::array<PageRecord, handheldpage::kCount>& records);

    std::function<void()> changed_;
    HandheldPanel panel_;
    bool fillingPages_ = false;
};

} // namespace winorbis
