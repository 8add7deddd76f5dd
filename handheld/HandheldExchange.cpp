// SPDX-License-Identifier: GPL-3.0-or-later
#include "HandheldExchange.h"

#include "HandheldTexts.h"

#include "link/BytePort.h"
#include "platform/CodePage.h"
#include "platform/Dialogs.h"

#include <array>

namespace winorbis {

namespace ht = handheldtext;
namespace hc = handheldcommand;

HandheldExchange::HandheldExchange(BytePort& port, Dialogs& dialogs, HandheldData& data,
                                   const MonitorHold&)
    : port_(port)
    , dialogs_(dialogs)
    , data_(data) {}

void HandheldExchange::fail(const QString& message) {
    if (!abandoned_)
        dialogs_.message(message, Dialogs::Kind::Plain);
}

bool HandheldExchange::readOne(std::uint8_t& byte) {
    if (port_.readByte(byte))
        return true;
    if (betweenReads_ && !betweenReads_())
        abandoned_ = true;
    return false;
}

void HandheldExchange::clear() {
    dropOne();
}

void HandheldExchange::dropOne() {
    std::uint8_t stray = 0;
    readOne(stray);
}

bool HandheldExchange::awaitAnswer(int limit, const QString& message) {
    port_.drain();
    std::uint8_t answer = 0;
    for (int reads = 0; reads <= limit && !abandoned_; ++reads) {
        if (readOne(answer))
            return true;
    }
    fail(message);
    return false;
}

bool HandheldExchange::collect(std::uint8_t* into, int count, const QString& message) {
    port_.drain();
    int got = 0;
    int emptyInARow = 0;
    while (got < count) {
        if (readOne(into[got])) {
            ++got;
            emptyInARow = 0;
        } else if (++emptyInARow > kCollectLimit || abandoned_) {
            fail(message + QString::number(got));
            return false;
        }
    }
    return true;
}

bool HandheldExchange::send(const std::uint8_t* bytes, int count, const QString& message) {
    // A record goes out in one write, as the handheld expects it.
    if (abandoned_ || !port_.write(bytes, count)) {
        fail(message);
        return false;
    }
    return true;
}

bool HandheldExchange::send(std::initializer_list<std::uint8_t> bytes, const QString& message) {
    return send(bytes.begin(), int(bytes.size()), message);
}

bool HandheldExchange::storeOrRecall(std::uint8_t command, int pageIndex) {
    if (!handheldpage::isValidIndex(pageIndex))
        return false;
    clear();
    if (!send({command}, ht::kInactive) || !awaitAnswer(kFirstAnswerLimit, ht::kInactive))
        return false;
    if (!send({std::uint8_t(pageIndex)}, ht::kInactiveAfterParameters) ||
        !awaitAnswer(kParameterAnswerLimit, ht::kInactiveAfterParameters))
        return false;
    dropOne();
    return true;
}

bool HandheldExchange::HandheldStorePage(int pageIndex) {
    return storeOrRecall(hc::kStorePage, pageIndex);
}

bool HandheldExchange::HandheldRecallPage(int pageIndex) {
    return storeOrRecall(hc::kRecallPage, pageIndex);
}

bool HandheldExchange::HandheldSetHold(int pageIndex, bool hold) {
    if (!handheldpage::isValidIndex(pageIndex))
        return false;
    clear();
    if (!send({hc::kSetHold}, ht::kInactive) || !awaitAnswer(kFirstAnswerLimit, ht::kInactive))
        return false;
    const auto page = std::uint8_t(pageIndex + (hold ? 128 : 0));
    if (!send({page}, ht::kInactiveAfterParameters) ||
        !awaitAnswer(kParameterAnswerLimit, ht::kInactiveAfterParameters))
        return false;
    if (!send({hc::kHoldRecord}, ht::kInactive) || !awaitAnswer(kFirstAnswerLimit, ht::kInactive))
        return false;
    const auto address = handheldpage::addressBytes(handheldpage::holdAddress(pageIndex));
    const std::array<std::uint8_t, 7> record = {
        address[0], address[1], address[2], address[3], 1, 0, std::uint8_t(hold ? 255 : 0)};
    if (!send(record.data(), int(record.size()), ht::kInactiveAfterParameters))
        return false;
    dropOne();
    return true;
}

bool HandheldExchange::HandheldReadFlags() {
    clear();
    if (!send({hc::kReadFlags}, ht::kInactiveCount + QString::number(1)))
        return false;
    port_.drain();
    // The empty reads before the first and before the second byte count together.
    int got = 0;
    int empty = 0;
    std::uint8_t byte = 0;
    while (got < 2) {
        if (readOne(byte)) {
            if (++got == 2)
                data_.HandheldFlags = byte;
        } else if (++empty > kCollectLimit || abandoned_) {
            fail(ht::kInactiveCount + QString::number(got + 1));
            return false;
        }
    }
    dropOne();
    return true;
}

bool HandheldExchange::HandheldWriteFlags() {
    clear();
    if (!send({hc::kWriteFlags}, ht::kInactive) || !awaitAnswer(kFirstAnswerLimit, ht::kInactive))
        return false;
    if (!send({data_.HandheldFlags}, ht::kInactiveAfterParameters))
        return false;
    dropOne();
    return true;
}

bool HandheldExchange::HandheldReadBlock() {
    clear();
    if (!send({hc::kReadBlock}, ht::kInactiveCount + QString::number(0)) ||
        !collect(data_.HandheldBlock.data(), HandheldData::kBlockSize, ht::kInactiveCount))
        return false;
    dropOne();
    return true;
}

bool HandheldExchange::HandheldWriteInterval(std::uint16_t ticks) {
    clear();
    if (!send({hc::kWriteInterval}, ht::kInactive) ||
        !awaitAnswer(kFirstAnswerLimit, ht::kInactive))
        return false;
    if (!send({std::uint8_t(ticks >> 8), std::uint8_t(ticks & 0xff)},
              ht::kInactiveAfterParameters) ||
        !awaitAnswer(kParameterAnswerLimit, ht::kInactiveAfterParameters))
        return false;
    dropOne();
    return true;
}

bool HandheldExchange::HandheldReadPageStatus(int pageIndex) {
    if (!handheldpage::isValidIndex(pageIndex))
        return false;
    clear();
    if (!send({hc::kReadPageStatus}, ht::kInactive) ||
        !awaitAnswer(kFirstAnswerLimit, ht::kInactive))
        return false;
    const auto address = handheldpage::addressBytes(handheldpage::statusAddress(pageIndex));
    if (!send({address[0], address[1], address[2], address[3], 3},
              ht::kInactiveCount + QString::number(0)) ||
        !collect(data_.PageRecords[std::size_t(pageIndex)].r.data(), 4, ht::kInactiveCount))
        return false;
    std::uint8_t trailing[2];
    port_.read(trailing, 2);
    return true;
}

bool HandheldExchange::sendText(Text which, const QString& text, std::uint8_t colour) {
    const QByteArray characters = toWinLatin(text).left(kMaxTextLength);
    QByteArray record;
    record.append(char(characters.size()));
    record.append(characters);
    record.append(char(colour));

    clear();
    const int limit = which == Text::Report ? kReportAnswerLimit : kFirstAnswerLimit;
    if (!send({std::uint8_t(which)}, ht::kInactive) || !awaitAnswer(limit, ht::kInactive))
        return false;
    if (!send(reinterpret_cast<const std::uint8_t*>(record.constData()), int(record.size()),
              ht::kInactiveAfterParameters) ||
        !awaitAnswer(kParameterAnswerLimit, ht::kInactiveAfterParameters))
        return false;
    dropOne();
    return true;
}

} // namespace winorbis
