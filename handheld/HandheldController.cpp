// SPDX-License-Identifier: GPL-3.0-or-later
#include "HandheldController.h"

#include "HandheldTexts.h"

#include "platform/Dialogs.h"

#include <algorithm>

namespace winorbis {

namespace ht = handheldtext;
namespace hf = handheldflag;

std::array<PageState, handheldpage::kCount>
pageStates(const std::array<PageRecord, handheldpage::kCount>& records) {
    std::array<PageState, handheldpage::kCount> states{};
    for (int i = 0; i < handheldpage::kCount; ++i) {
        if (states[std::size_t(i)] == PageState::Unusable)
            continue;
        const PageRecord& record = records[std::size_t(i)];
        if (!record.holdsPicture()) {
            states[std::size_t(i)] = PageState::Empty;
            continue;
        }
        states[std::size_t(i)] = record.isHeld() ? PageState::PictureHeld : PageState::Picture;
        if (record.blocksNextPage() && i + 1 < handheldpage::kCount)
            states[std::size_t(i + 1)] = PageState::Unusable;
    }
    return states;
}

void HandheldFunctions::takeFlags(std::uint8_t flags) {
    afMonitor = !(flags & hf::kAfMonitorOff);
    callDisplay = flags & hf::kCallSignDisplay;
    powerSave = flags & hf::kPowerSave;
    fastFm = flags & hf::kFastFm;
    variableInterval = flags & hf::kVariableInterval;
    repeaterId = flags & hf::kRepeaterId;
}

std::uint8_t HandheldFunctions::toFlags(std::uint8_t previous) const {
    constexpr std::uint8_t kShown = hf::kAfMonitorOff | hf::kCallSignDisplay | hf::kPowerSave |
                                    hf::kFastFm | hf::kVariableInterval | hf::kRepeaterId;
    std::uint8_t flags = previous & std::uint8_t(~kShown);
    if (!afMonitor)
        flags |= hf::kAfMonitorOff;
    if (callDisplay)
        flags |= hf::kCallSignDisplay;
    if (powerSave)
        flags |= hf::kPowerSave;
    if (fastFm)
        flags |= hf::kFastFm;
    if (variableInterval)
        flags |= hf::kVariableInterval;
    if (repeaterId)
        flags |= hf::kRepeaterId;
    return flags;
}

std::optional<QChar> filterTextCharacter(QChar c) {
    const char16_t u = c.unicode();
    if (u >= u'a' && u <= u'z')
        return QChar(char16_t(u - u'a' + u'A'));
    if ((u >= u'A' && u <= u'Z') || (u >= u'0' && u <= u'9') || u == u' ' || u == u'!' ||
        u == u'-' || u == u'/' || u == u'?')
        return c;
    return std::nullopt;
}

QString filterText(const QString& text) {
    QString out;
    for (const QChar c : text) {
        if (const auto kept = filterTextCharacter(c))
            out.append(*kept);
    }
    return out;
}

int maxTextLength(HandheldExchange::Text which) {
    switch (which) {
    case HandheldExchange::Text::CallSign:
        return 8;
    case HandheldExchange::Text::Report:
        return 10;
    case HandheldExchange::Text::Message:
        return 9;
    }
    return 0;
}

HandheldPanel::TextLine& HandheldPanel::line(HandheldExchange::Text which) {
    return which == HandheldExchange::Text::CallSign ? call
           : which == HandheldExchange::Text::Report ? report
                                                     : message;
}

const HandheldPanel::TextLine& HandheldPanel::line(HandheldExchange::Text which) const {
    return const_cast<HandheldPanel*>(this)->line(which);
}

HandheldController::HandheldController(std::function<void()> changed)
    : changed_(std::move(changed)) {}

void HandheldController::setStatus(const QString& text) {
    panel_.status = text;
    if (changed_)
        changed_();
}

void HandheldController::showFunctions(const HandheldFunctions& functions) {
    // Setting a function control runs its change rule when the value really changes.
    if (functions != panel_.functions)
        panel_.funcSetEnabled = true;
    panel_.functions = functions;
}

void HandheldController::FormShow(HandheldExchange& exchange) {
    setStatus(QString());
    // The colours the operator has not chosen yet; a choice made stays across showings.
    if (panel_.report.colour < 0)
        colourChosen(Text::Report, int(HandheldColour::Red));
    if (panel_.message.colour < 0)
        colourChosen(Text::Message, int(HandheldColour::Cyanic));
    if (panel_.call.colour < 0)
        colourChosen(Text::CallSign, int(HandheldColour::Blue));

    HandheldData& data = exchange.data();
    panel_.answered = false;
    // Something else on the port (the converter) may answer a byte or two: the handheld counts
    // as answering once its switches and its block have been read.
    if (!exchange.HandheldReadFlags()) {
        setStatus(handheldtext::kNoAnswer);
        return;
    }
    HandheldFunctions functions = panel_.functions;
    functions.takeFlags(data.HandheldFlags);
    showFunctions(functions);
    if (changed_)
        changed_();

    if (!exchange.HandheldReadBlock()) {
        setStatus(handheldtext::kNoAnswer);
        return;
    }
    panel_.answered = true;
    textChanged(Text::CallSign, data.callSign());
    // A colour index outside the table leaves the list as it is, as a list given an item it does
    // not have would.
    if (data.callColour() < kHandheldColourCount)
        colourChosen(Text::CallSign, data.callColour());
    // The number field takes 1..960 s; an interval outside shows at the nearer end.
    functions.intervalSeconds =
        std::clamp(handheldinterval::ticksToSeconds(data.intervalTicks()),
                   handheldinterval::kMinSeconds, handheldinterval::kMaxSeconds);
    showFunctions(functions);
    panel_.funcSetEnabled = false;
    panel_.call.setEnabled = false;
    if (changed_)
        changed_();

    for (int index = 0; index < handheldpage::kCount; ++index) {
        if (!exchange.HandheldReadPageStatus(index))
            return;
    }
    fillPages(data.PageRecords);
}

void HandheldController::fillPages(const std::array<PageRecord, handheldpage::kCount>& records) {
    fillingPages_ = true;
    const auto states = pageStates(records);
    for (int i = 0; i < handheldpage::kCount; ++i) {
        HandheldPanel::Page& page = panel_.pages[std::size_t(i)];
        switch (states[std::size_t(i)]) {
        case PageState::Unusable:
            page.storeEnabled = page.recallEnabled = page.holdEnabled = false;
            break;
        case PageState::Picture:
        case PageState::PictureHeld: {
            const bool held = states[std::size_t(i)] == PageState::PictureHeld;
            page.recallEnabled = page.holdEnabled = true;
            page.holdChecked = held;
            page.storeEnabled = !held;
            break;
        }
        case PageState::Empty:
            // The hold box keeps its check mark.
            page.storeEnabled = true;
            page.recallEnabled = page.holdEnabled = false;
            break;
        }
    }
    fillingPages_ = false;
}

void HandheldController::store(HandheldExchange& exchange, int pageIndex) {
    if (!handheldpage::isValidIndex(pageIndex))
        return;
    const int n = pageIndex + 1;
    setStatus(ht::kStore.arg(n));
    if (exchange.HandheldStorePage(pageIndex)) {
        panel_.status = ht::kStoreComplete.arg(n);
        panel_.pages[std::size_t(pageIndex)].recallEnabled = true;
        panel_.pages[std::size_t(pageIndex)].holdEnabled = true;
    } else {
        panel_.status = ht::kStoreIncomplete.arg(n);
    }
}

void HandheldController::recall(HandheldExchange& exchange, int pageIndex) {
    if (!handheldpage::isValidIndex(pageIndex))
        return;
    const int n = pageIndex + 1;
    setStatus(ht::kRecall.arg(n));
    panel_.status = exchange.HandheldRecallPage(pageIndex) ? ht::kRecallComplete.arg(n)
                                                           : ht::kRecallIncomplete.arg(n);
}

void HandheldController::holdChanged(HandheldExchange& exchange, int pageIndex, bool checked) {
    if (!handheldpage::isValidIndex(pageIndex) || fillingPages_)
        return;
    HandheldPanel::Page& page = panel_.pages[std::size_t(pageIndex)];
    if (page.holdChecked == checked)
        return;
    page.holdChecked = checked;
    const int n = pageIndex + 1;
    if (checked) {
        setStatus(ht::kHoldSet.arg(n));
        panel_.status = exchange.HandheldSetHold(pageIndex, true) ? ht::kHoldSetComplete.arg(n)
                                                                  : ht::kHoldSetIncomplete.arg(n);
    } else {
        setStatus(ht::kHoldReset.arg(n));
        panel_.status = exchange.HandheldSetHold(pageIndex, false)
                            ? ht::kHoldResetComplete.arg(n)
                            : ht::kHoldResetIncomplete.arg(n);
    }
    // A held page takes no picture, whatever the handheld answered.
    page.storeEnabled = !checked;
}

void HandheldController::textChanged(Text which, const QString& text) {
    HandheldPanel::TextLine& line = panel_.line(which);
    if (line.text == text)
        return;
    line.text = text;
    line.setEnabled = !text.isEmpty();
}

void HandheldController::colourChosen(Text which, int colour) {
    if (colour < 0 || colour >= kHandheldColourCount)
        return;
    HandheldPanel::TextLine& line = panel_.line(which);
    if (line.colour == colour)
        return;
    line.colour = colour;
    if (!line.text.isEmpty())
        line.setEnabled = true;
}

void HandheldController::functionsChanged(const HandheldFunctions& functions) {
    showFunctions(functions);
}

void HandheldController::sendText(HandheldExchange& exchange, Text which) {
    HandheldPanel::TextLine& line = panel_.line(which);
    if (line.text.isEmpty()) {
        // The call sign's button is enabled only while there is a call sign.
        if (which == Text::Report)
            exchange.dialogs().message(ht::kNoReport, Dialogs::Kind::Plain);
        else if (which == Text::Message)
            exchange.dialogs().message(ht::kNoMessage, Dialogs::Kind::Plain);
        return;
    }
    const auto colour = std::uint8_t(std::max(line.colour, 0));
    const bool sent = exchange.sendText(which, line.text, colour);
    switch (which) {
    case Text::Report:
        panel_.status = sent ? ht::kReportSetComplete : ht::kReportSetIncomplete;
        break;
    case Text::Message:
        panel_.status = sent ? ht::kMessageSetComplete : ht::kMessageSetIncomplete;
        break;
    case Text::CallSign:
        panel_.status = sent ? ht::kCallSignSetComplete : ht::kCallSignSetIncomplete;
        if (sent)
            line.setEnabled = false;
        break;
    }
}

void HandheldController::FunctionSet(HandheldExchange& exchange) {
    HandheldData& data = exchange.data();
    data.HandheldFlags = panel_.functions.toFlags(data.HandheldFlags);
    const bool done = exchange.HandheldWriteFlags() &&
                      exchange.HandheldWriteInterval(
                          handheldinterval::secondsToTicks(panel_.functions.intervalSeconds));
    if (done) {
        panel_.status = ht::kFunctionSetComplete;
        panel_.funcSetEnabled = false;
    } else {
        panel_.status = ht::kFunctionSetIncomplete;
    }
}

} // namespace winorbis
