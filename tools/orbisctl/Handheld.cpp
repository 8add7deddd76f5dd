// SPDX-License-Identifier: GPL-3.0-or-later
#include "Handheld.h"

#include "handheld/HandheldController.h"
#include "handheld/HandheldTexts.h"
#include "link/TRecThread.h"

namespace winorbis {

namespace {

namespace ht = handheldtext;
using Text = HandheldExchange::Text;

std::optional<bool> onOff(const QString& word) {
    if (word == QLatin1String("on"))
        return true;
    if (word == QLatin1String("off"))
        return false;
    return std::nullopt;
}

QString onOffText(bool on) {
    return on ? QStringLiteral("on") : QStringLiteral("off");
}

std::optional<HandheldCommand> fail(QString* why, const QString& text) {
    if (why)
        *why = text;
    return std::nullopt;
}

void line(std::FILE* stream, const QString& text) {
    std::fprintf(stream, "%s\n", qPrintable(text));
}

// Prints the outcome's status text: on standard output when it succeeded, else on standard error.
int outcome(bool done, const QString& complete, const QString& incomplete, std::FILE* out,
            std::FILE* err) {
    line(done ? out : err, done ? complete : incomplete);
    return done ? 0 : 1;
}

int readState(HandheldExchange& exchange, std::FILE* out, std::FILE* err) {
    // The settings window's reads, in its order.
    if (!exchange.HandheldReadFlags() || !exchange.HandheldReadBlock())
        return 1;
    for (int index = 0; index < handheldpage::kCount; ++index) {
        if (!exchange.HandheldReadPageStatus(index))
            return 1;
    }
    const HandheldData& data = exchange.data();
    // Replies that break the record's rules are not shown as if a handheld had sent them.
    if (const QString problem = data.problem(); !problem.isEmpty()) {
        line(err,
             QStringLiteral("orbisctl: the answer is no VC-H1 settings block: %1").arg(problem));
        return 1;
    }
    HandheldFunctions f;
    f.takeFlags(data.HandheldFlags);
    line(out, QStringLiteral("flags: %1").arg(data.HandheldFlags));
    line(out, QStringLiteral("  bit 0: AF monitor %1").arg(onOffText(f.afMonitor)));
    line(out, QStringLiteral("  bit 1: call sign display %1").arg(onOffText(f.callDisplay)));
    line(out, QStringLiteral("  bit 2: power save %1").arg(onOffText(f.powerSave)));
    line(out, QStringLiteral("  bit 4: default TX mode %1")
                  .arg(f.fastFm ? ht::kModeFastFm : ht::kModeRobot36));
    line(out, QStringLiteral("  bit 5: variable interval %1").arg(onOffText(f.variableInterval)));
    line(out, QStringLiteral("  bit 6: repeater ID %1").arg(onOffText(f.repeaterId)));
    line(out, QStringLiteral("call sign: %1").arg(data.callSign()));
    const int colour = data.callColour();
    line(out, QStringLiteral("call sign colour: %1")
                  .arg(colour < kHandheldColourCount ? ht::kColourNames[std::size_t(colour)]
                                                     : QString::number(colour)));
    line(out, QStringLiteral("interval: %1 s")
                  .arg(handheldinterval::ticksToSeconds(data.intervalTicks())));
    const auto states = pageStates(data.PageRecords);
    for (int i = 0; i < handheldpage::kCount; ++i) {
        static const char* const kStateText[] = {"empty", "picture", "picture held", "unusable"};
        line(out, QStringLiteral("P%1 %2").arg(i + 1).arg(kStateText[int(states[std::size_t(i)])]));
    }
    return 0;
}

int sendText(HandheldExchange& exchange, const HandheldCommand& c, std::FILE* out, std::FILE* err) {
    const bool done = exchange.sendText(c.text, c.characters, c.colour);
    switch (c.text) {
    case Text::Report:
        return outcome(done, ht::kReportSetComplete, ht::kReportSetIncomplete, out, err);
    case Text::CallSign:
        return outcome(done, ht::kCallSignSetComplete, ht::kCallSignSetIncomplete, out, err);
    case Text::Message:
        break;
    }
    return outcome(done, ht::kMessageSetComplete, ht::kMessageSetIncomplete, out, err);
}

int setFunctions(HandheldExchange& exchange, const HandheldCommand& c, std::FILE* out,
                 std::FILE* err) {
    HandheldData& data = exchange.data();
    if (!exchange.HandheldReadFlags())
        return 1;
    HandheldFunctions f;
    f.takeFlags(data.HandheldFlags);
    if (c.intervalSeconds) {
        f.intervalSeconds = *c.intervalSeconds;
    } else {
        // The interval is written with the flags, as the window does: the one the handheld has.
        if (!exchange.HandheldReadBlock())
            return 1;
        f.intervalSeconds = handheldinterval::ticksToSeconds(data.intervalTicks());
    }
    const auto change = [](bool& value, const std::optional<bool>& given) {
        if (given)
            value = *given;
    };
    change(f.afMonitor, c.afMonitor);
    change(f.callDisplay, c.callDisplay);
    change(f.powerSave, c.powerSave);
    change(f.fastFm, c.fastFm);
    change(f.variableInterval, c.variableInterval);
    change(f.repeaterId, c.repeaterId);
    data.HandheldFlags = f.toFlags(data.HandheldFlags);
    const bool done =
        exchange.HandheldWriteFlags() &&
        exchange.HandheldWriteInterval(handheldinterval::secondsToTicks(f.intervalSeconds));
    return outcome(done, ht::kFunctionSetComplete, ht::kFunctionSetIncomplete, out, err);
}

} // namespace

std::optional<HandheldCommand> parseHandheldCommand(const QStringList& words, QString* why) {
    HandheldCommand c;
    const QString verb = words.value(0);
    if (verb == "read" && words.size() == 1) {
        c.verb = HandheldCommand::Verb::Read;
        return c;
    }
    if (verb == "store" || verb == "recall" || verb == "hold" || verb == "release") {
        bool ok = false;
        const int page = words.value(1).toInt(&ok);
        if (words.size() != 2 || !ok || page < 1 || page > handheldpage::kCount)
            return fail(why, QStringLiteral("handheld %1 takes a page 1 to 10").arg(verb));
        c.verb = verb == "store"    ? HandheldCommand::Verb::Store
                 : verb == "recall" ? HandheldCommand::Verb::Recall
                 : verb == "hold"   ? HandheldCommand::Verb::Hold
                                    : HandheldCommand::Verb::Release;
        c.pageIndex = page - 1;
        return c;
    }
    if (verb == "call" || verb == "report" || verb == "message") {
        if (words.size() != 3)
            return fail(why, QStringLiteral("handheld %1 takes TEXT COLOUR").arg(verb));
        c.verb = HandheldCommand::Verb::Text;
        c.text = verb == "call" ? Text::CallSign : verb == "report" ? Text::Report : Text::Message;
        const QString& text = words[1];
        for (const QChar ch : text) {
            if (!filterTextCharacter(ch))
                return fail(why, QStringLiteral("the handheld cannot show \"%1\"; it takes A-Z, "
                                                "0-9, blank, ! - / ?")
                                     .arg(ch));
        }
        c.characters = filterText(text);
        if (c.characters.isEmpty())
            return fail(why, c.text == Text::Report    ? ht::kNoReport
                             : c.text == Text::Message ? ht::kNoMessage
                                                       : QStringLiteral("no call sign"));
        if (c.characters.size() > maxTextLength(c.text))
            return fail(why, QStringLiteral("handheld %1 takes at most %2 characters")
                                 .arg(verb)
                                 .arg(maxTextLength(c.text)));
        for (int i = 0; i < kHandheldColourCount; ++i) {
            if (words[2].compare(ht::kColourNames[std::size_t(i)], Qt::CaseInsensitive) == 0) {
                c.colour = std::uint8_t(i);
                return c;
            }
        }
        return fail(why, QStringLiteral("unknown colour %1 (White Yellow Cyanic Green Magenta Red "
                                        "Blue Black)")
                             .arg(words[2]));
    }
    if (verb == "functions") {
        c.verb = HandheldCommand::Verb::Functions;
        for (int i = 1; i < words.size(); ++i) {
            const QString& option = words[i];
            if (i + 1 >= words.size())
                return fail(why, QStringLiteral("%1 needs a value").arg(option));
            const QString value = words[++i];
            std::optional<bool>* target = option == "--af-monitor"          ? &c.afMonitor
                                          : option == "--call-display"      ? &c.callDisplay
                                          : option == "--power-save"        ? &c.powerSave
                                          : option == "--variable-interval" ? &c.variableInterval
                                          : option == "--repeater-id"       ? &c.repeaterId
                                                                            : nullptr;
            if (target) {
                *target = onOff(value);
                if (!*target)
                    return fail(why, QStringLiteral("%1 takes on or off").arg(option));
            } else if (option == "--default-mode") {
                if (value != "fast-fm" && value != "robot36")
                    return fail(why, QStringLiteral("--default-mode takes fast-fm or robot36"));
                c.fastFm = value == "fast-fm";
            } else if (option == "--interval") {
                bool ok = false;
                const int seconds = value.toInt(&ok);
                if (!ok || seconds < handheldinterval::kMinSeconds ||
                    seconds > handheldinterval::kMaxSeconds)
                    return fail(why, QStringLiteral("--interval takes 1 to 960 seconds"));
                c.intervalSeconds = seconds;
            } else {
                return fail(why, QStringLiteral("unknown functions option %1").arg(option));
            }
        }
        return c;
    }
    return fail(why, QStringLiteral("unknown handheld command: %1").arg(words.join(' ')));
}

int runHandheld(const HandheldCommand& c, BytePort& port, Dialogs& dialogs, std::FILE* out,
                std::FILE* err) {
    HandheldData data;
    // No receive monitor runs in orbisctl: the hold holds nothing.
    const MonitorHold hold(nullptr);
    HandheldExchange exchange(port, dialogs, data, hold);
    const int n = c.pageIndex + 1;
    switch (c.verb) {
    case HandheldCommand::Verb::Read:
        return readState(exchange, out, err);
    case HandheldCommand::Verb::Store:
        return outcome(exchange.HandheldStorePage(c.pageIndex), ht::kStoreComplete.arg(n),
                       ht::kStoreIncomplete.arg(n), out, err);
    case HandheldCommand::Verb::Recall:
        return outcome(exchange.HandheldRecallPage(c.pageIndex), ht::kRecallComplete.arg(n),
                       ht::kRecallIncomplete.arg(n), out, err);
    case HandheldCommand::Verb::Hold:
        return outcome(exchange.HandheldSetHold(c.pageIndex, true), ht::kHoldSetComplete.arg(n),
                       ht::kHoldSetIncomplete.arg(n), out, err);
    case HandheldCommand::Verb::Release:
        return outcome(exchange.HandheldSetHold(c.pageIndex, false), ht::kHoldResetComplete.arg(n),
                       ht::kHoldResetIncomplete.arg(n), out, err);
    case HandheldCommand::Verb::Text:
        return sendText(exchange, c, out, err);
    case HandheldCommand::Verb::Functions:
        return setFunctions(exchange, c, out, err);
    }
    return 1;
}

} // namespace winorbis
