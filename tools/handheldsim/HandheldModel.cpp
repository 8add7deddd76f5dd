// SPDX-License-Identifier: GPL-3.0-or-later
#include "HandheldModel.h"

#include "handheld/HandheldExchange.h"
#include "handheld/HandheldTexts.h"
#include "platform/CodePage.h"

#include <optional>

namespace winorbis {

namespace {

namespace hc = handheldcommand;

QString colourName(int index) {
    return index >= 0 && index < kHandheldColourCount
               ? handheldtext::kColourNames[std::size_t(index)]
               : QString::number(index);
}

std::optional<std::uint8_t> colourOf(const QString& word) {
    for (int i = 0; i < kHandheldColourCount; ++i) {
        if (word.compare(handheldtext::kColourNames[std::size_t(i)], Qt::CaseInsensitive) == 0)
            return std::uint8_t(i);
    }
    bool ok = false;
    const int index = word.toInt(&ok);
    if (ok && index >= 0 && index < kHandheldColourCount)
        return std::uint8_t(index);
    return std::nullopt;
}

std::optional<int> number(const QString& word, int min, int max) {
    bool ok = false;
    const int value = word.toInt(&ok, 0);
    if (!ok || value < min || value > max)
        return std::nullopt;
    return value;
}

std::optional<bool> onOff(const QString& word) {
    if (word == QLatin1String("on"))
        return true;
    if (word == QLatin1String("off"))
        return false;
    return std::nullopt;
}

} // namespace

HandheldModel::HandheldModel() {
    block.fill(0);
    for (int i = 0; i < HandheldData::kCallSignLength; ++i)
        block[std::size_t(HandheldData::kCallSignOffset + i)] = ' ';
    block[HandheldData::kCallColourOffset] = std::uint8_t(HandheldColour::Blue);
    const std::uint16_t ticks = handheldinterval::secondsToTicks(handheldinterval::kDefaultSeconds);
    block[HandheldData::kIntervalOffset] = std::uint8_t(ticks >> 8);
    block[HandheldData::kIntervalOffset + 1] = std::uint8_t(ticks);
}

int HandheldModel::pageOfAddress(const QByteArray& address, std::uint32_t offset) {
    for (int i = 0; i < handheldpage::kCount; ++i) {
        const auto bytes = handheldpage::addressBytes(handheldpage::statusAddress(i) + offset);
        if (address.size() == 4 &&
            std::equal(bytes.begin(), bytes.end(), address.begin(),
                       [](std::uint8_t a, char b) { return a == std::uint8_t(b); }))
            return i;
    }
    return -1;
}

int HandheldModel::parametersNeeded() const {
    const int got = int(pending_.size()) - 1;
    switch (std::uint8_t(pending_[0])) {
    case hc::kReadFlags:
    case hc::kReadBlock:
        return 0;
    case hc::kWriteFlags:
    case hc::kStorePage:
    case hc::kRecallPage:
    case hc::kSetHold:
        return 1 - got;
    case hc::kWriteInterval:
        return 2 - got;
    case hc::kReadPageStatus:
        return 5 - got;
    case hc::kHoldRecord:
        return 7 - got;
    case hc::kSetReport:
    case hc::kSetCallSign:
    case hc::kSetMessage:
        // The length byte, the characters, the colour.
        return got == 0 ? 1 : std::uint8_t(pending_[1]) + 2 - got;
    default:
        return -1;
    }
}

HandheldModel::Output HandheldModel::answer(QByteArray bytes, QString event) {
    Output out;
    out.event = std::move(event);
    if (faults.silent || bytes.isEmpty())
        return out;
    if (++answers_ == faults.lateAnswer)
        out.delayMs = faults.lateReads * kReadMs;
    out.bytes = std::move(bytes);
    return out;
}

HandheldModel::Output HandheldModel::take(std::uint8_t byte) {
    pending_.append(char(byte));
    const int needed = parametersNeeded();
    if (needed < 0) {
        pending_.clear();
        return Output{{}, 0, QStringLiteral("ignored byte %1").arg(byte)};
    }
    const bool commandByte = pending_.size() == 1;
    if (needed > 0) {
        // The command byte is answered at once; so is the length byte of a text only once its
        // characters have come.
        return commandByte ? answer(QByteArray(1, char(kAnswer)), QString()) : Output{};
    }
    const QByteArray reply = complete();
    pending_.clear();
    Output out = answer(reply, pendingEvent_);
    pendingEvent_.clear();
    return out;
}

QByteArray HandheldModel::complete() {
    const auto command = std::uint8_t(pending_[0]);
    const QByteArray parameters = pending_.mid(1);
    const auto first = parameters.isEmpty() ? std::uint8_t(0) : std::uint8_t(parameters[0]);
    const bool cut = faults.firstAnswerOnly;
    const QByteArray done = cut ? QByteArray() : QByteArray(1, char(kAnswer)) + QByteArray(1, 0);
    switch (command) {
    case hc::kReadFlags: {
        pendingEvent_ = QStringLiteral("read flags");
        QByteArray out;
        out.append(char(hc::kReadFlags)).append(char(flags)).append(char(0));
        return cut ? out.left(1) : out;
    }
    case hc::kReadBlock: {
        pendingEvent_ = QStringLiteral("read block");
        QByteArray out(reinterpret_cast<const char*>(block.data()), qsizetype(block.size()));
        out.append(char(0));
        if (faults.blockBytes >= 0)
            out = out.left(faults.blockBytes);
        return cut ? out.left(1) : out;
    }
    case hc::kStorePage:
    case hc::kRecallPage: {
        const bool store = command == hc::kStorePage;
        if (!handheldpage::isValidIndex(first)) {
            pendingEvent_ =
                QStringLiteral("%1 of no page %2").arg(store ? "store" : "recall").arg(first);
            return done;
        }
        PageRecord& page = pages[first];
        if (store && page.isHeld()) {
            pendingEvent_ = QStringLiteral("store P%1 refused: held").arg(first + 1);
        } else if (store) {
            page.r[0] = 255;
            page.r[1] = 0;
            pendingEvent_ = QStringLiteral("store P%1").arg(first + 1);
        } else {
            pendingEvent_ = QStringLiteral("recall P%1").arg(first + 1);
        }
        return done;
    }
    case hc::kSetHold: {
        const int index = first & 0x7f;
        pendingEvent_ =
            QStringLiteral("%1 P%2").arg(first & 0x80 ? "hold" : "release").arg(index + 1);
        return cut ? QByteArray() : QByteArray(1, char(kAnswer));
    }
    case hc::kHoldRecord: {
        const int index = pageOfAddress(parameters.left(4), handheldpage::kHoldOffset);
        if (index < 0) {
            pendingEvent_ = QStringLiteral("hold record at no page");
        } else {
            PageRecord& page = pages[std::size_t(index)];
            page.r[2] = std::uint8_t(parameters[5]);
            page.r[3] = std::uint8_t(parameters[6]);
            pendingEvent_ = QStringLiteral("hold record P%1 %2").arg(index + 1).arg(page.r[3]);
        }
        return cut ? QByteArray() : QByteArray(1, char(kAnswer));
    }
    case hc::kWriteFlags:
        flags = first;
        pendingEvent_ = QStringLiteral("write flags %1").arg(first);
        return cut ? QByteArray() : QByteArray(1, char(kAnswer));
    case hc::kWriteInterval:
        block[HandheldData::kIntervalOffset] = first;
        block[HandheldData::kIntervalOffset + 1] = std::uint8_t(parameters[1]);
        pendingEvent_ =
            QStringLiteral("interval %1 ticks").arg(first << 8 | std::uint8_t(parameters[1]));
        return done;
    case hc::kReadPageStatus: {
        const int index = pageOfAddress(parameters.left(4), 0);
        QByteArray out(4, 0);
        if (index >= 0) {
            const PageRecord& page = pages[std::size_t(index)];
            out = QByteArray(reinterpret_cast<const char*>(page.r.data()), 4);
        }
        pendingEvent_ = index >= 0 ? QStringLiteral("status P%1").arg(index + 1)
                                   : QStringLiteral("status of no page");
        out.append(2, 0);
        return cut ? QByteArray() : out;
    }
    default: { // the three texts
        const int length = first;
        const QByteArray characters = parameters.mid(1, length);
        const auto colour = std::uint8_t(parameters[1 + length]);
        const QString text = fromWinLatin(characters);
        if (command == hc::kSetCallSign) {
            for (int i = 0; i < HandheldData::kCallSignLength; ++i)
                block[std::size_t(HandheldData::kCallSignOffset + i)] =
                    i < characters.size() ? std::uint8_t(characters[i]) : std::uint8_t(' ');
            block[HandheldData::kCallColourOffset] = colour;
            pendingEvent_ = QStringLiteral("call %1 %2").arg(text, colourName(colour));
        } else if (command == hc::kSetReport) {
            report = text;
            reportColour = colour;
            pendingEvent_ = QStringLiteral("report %1 %2").arg(text, colourName(colour));
        } else {
            message = text;
            messageColour = colour;
            pendingEvent_ = QStringLiteral("message %1 %2").arg(text, colourName(colour));
        }
        return done;
    }
    }
}

void HandheldModel::lineQuiet() {
    pending_.clear();
    pendingEvent_.clear();
}

bool HandheldModel::apply(const QString& line, QString* error) {
    const QStringList words = line.split(QLatin1Char(' '), Qt::SkipEmptyParts);
    const auto fail = [&](const QString& why) {
        if (error)
            *error = why;
        return false;
    };
    if (words.isEmpty())
        return true;
    const QString verb = words[0].toLower();
    const QString arg = words.value(1);
    if (verb == "call" && words.size() >= 2 && words.size() <= 3) {
        const QByteArray text = toWinLatin(arg);
        if (text.size() > HandheldData::kCallSignLength)
            return fail(QStringLiteral("a call sign has at most 8 characters"));
        std::optional<std::uint8_t> colour;
        if (words.size() == 3 && !(colour = colourOf(words[2])))
            return fail(QStringLiteral("unknown colour %1").arg(words[2]));
        for (int i = 0; i < HandheldData::kCallSignLength; ++i)
            block[std::size_t(HandheldData::kCallSignOffset + i)] =
                i < text.size() ? std::uint8_t(text[i]) : std::uint8_t(' ');
        if (colour)
            block[HandheldData::kCallColourOffset] = *colour;
        return true;
    }
    if (verb == "colour" && words.size() == 2) {
        // Any byte by number, for a handheld that holds one beyond the table.
        const auto byte = number(arg, 0, 255);
        const auto colour = byte ? std::optional<std::uint8_t>(std::uint8_t(*byte)) : colourOf(arg);
        if (!colour)
            return fail(QStringLiteral("unknown colour %1").arg(arg));
        block[HandheldData::kCallColourOffset] = *colour;
        return true;
    }
    if ((verb == "interval" || verb == "ticks") && words.size() == 2) {
        const auto value = verb == "interval" ? number(arg, 1, 960) : number(arg, 0, 65535);
        if (!value)
            return fail(verb == "interval" ? QStringLiteral("interval takes 1 to 960 seconds")
                                           : QStringLiteral("ticks takes 0 to 65535"));
        const std::uint16_t ticks =
            verb == "interval" ? handheldinterval::secondsToTicks(*value) : std::uint16_t(*value);
        block[HandheldData::kIntervalOffset] = std::uint8_t(ticks >> 8);
        block[HandheldData::kIntervalOffset + 1] = std::uint8_t(ticks);
        return true;
    }
    if (verb == "flags" && words.size() == 2) {
        const auto value = number(arg, 0, 255);
        if (!value)
            return fail(QStringLiteral("flags takes 0 to 255"));
        flags = std::uint8_t(*value);
        return true;
    }
    if (verb == "page" && words.size() >= 3) {
        const auto n = number(arg, 1, handheldpage::kCount);
        if (!n)
            return fail(QStringLiteral("page takes 1 to 10"));
        PageRecord& page = pages[std::size_t(*n - 1)];
        const QString kind = words[2].toLower();
        if (kind == "record" && words.size() == 7) {
            PageRecord record;
            for (int i = 0; i < 4; ++i) {
                const auto b = number(words[3 + i], 0, 255);
                if (!b)
                    return fail(QStringLiteral("a record holds four bytes 0 to 255"));
                record.r[std::size_t(i)] = std::uint8_t(*b);
            }
            page = record;
            return true;
        }
        const bool held = words.size() == 4 && words[3].toLower() == "held";
        if (words.size() > 4 || (words.size() == 4 && !held) ||
            (kind != "empty" && kind != "picture" && kind != "large"))
            return fail(QStringLiteral("page N empty|picture|large [held] or page N record R0 R1 "
                                       "R2 R3"));
        // A picture has r1 = 255 - r0; a large one an r1 above 100.
        page.r = {kind == "empty"     ? std::uint8_t(0)
                  : kind == "picture" ? std::uint8_t(255)
                                      : std::uint8_t(150),
                  kind == "large" ? std::uint8_t(105) : std::uint8_t(0), 0,
                  std::uint8_t(held ? 255 : 0)};
        return true;
    }
    const auto restart = [this] { answers_ = 0; };
    if ((verb == "silent" || verb == "first-answer-only") && words.size() == 2) {
        const auto on = onOff(arg);
        if (!on)
            return fail(QStringLiteral("%1 takes on or off").arg(verb));
        (verb == "silent" ? faults.silent : faults.firstAnswerOnly) = *on;
        restart();
        return true;
    }
    if (verb == "block-bytes" && words.size() == 2) {
        const auto count = arg == "all" ? std::optional<int>(-1) : number(arg, 0, 65);
        if (!count)
            return fail(QStringLiteral("block-bytes takes 0 to 65 or all"));
        faults.blockBytes = *count;
        restart();
        return true;
    }
    if (verb == "late" && words.size() == 3) {
        const auto which = number(arg, 1, 1000000);
        const auto reads = number(words[2], 0, 100000);
        if (!which || !reads)
            return fail(QStringLiteral("late takes an answer number from 1 and a count of reads"));
        faults.lateAnswer = *which;
        faults.lateReads = *reads;
        restart();
        return true;
    }
    if (verb == "faults" && arg == "off" && words.size() == 2) {
        faults = Faults{};
        restart();
        return true;
    }
    return fail(QStringLiteral("not understood: %1").arg(line));
}

bool HandheldModel::applyAll(const QString& text, QString* error) {
    const QStringList lines = text.split(QLatin1Char('\n'));
    for (int i = 0; i < lines.size(); ++i) {
        const QString line = lines[i].trimmed();
        if (line.isEmpty() || line.startsWith(QLatin1Char('#')))
            continue;
        QString why;
        if (!apply(line, &why)) {
            if (error)
                *error = QStringLiteral("line %1: %2").arg(i + 1).arg(why);
            return false;
        }
    }
    return true;
}

QStringList HandheldModel::describe() const {
    HandheldData data;
    data.HandheldBlock = block;
    QStringList out;
    out << QStringLiteral("call %1 %2").arg(data.callSign(), colourName(data.callColour()));
    out << QStringLiteral("ticks %1").arg(data.intervalTicks());
    out << QStringLiteral("flags %1").arg(flags);
    for (int i = 0; i < handheldpage::kCount; ++i) {
        const auto& r = pages[std::size_t(i)].r;
        out << QStringLiteral("page %1 record %2 %3 %4 %5")
                   .arg(i + 1)
                   .arg(r[0])
                   .arg(r[1])
                   .arg(r[2])
                   .arg(r[3]);
    }
    if (!report.isEmpty())
        out << QStringLiteral("report %1 %2").arg(report, colourName(reportColour));
    if (!message.isEmpty())
        out << QStringLiteral("message %1 %2").arg(message, colourName(messageColour));
    return out;
}

} // namespace winorbis
