// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "HandheldData.h"

#include <QString>

#include <cstdint>
#include <functional>
#include <initializer_list>

namespace winorbis {

class BytePort;
class Dialogs;
class MonitorHold;

// The command bytes of the VC-H1.
namespace handheldcommand {
inline constexpr std::uint8_t kReadFlags = 16;
inline constexpr std::uint8_t kWriteFlags = 19;
inline constexpr std::uint8_t kSetReport = 20;
inline constexpr std::uint8_t kSetCallSign = 21;
inline constexpr std::uint8_t kSetMessage = 22;
inline constexpr std::uint8_t kWriteInterval = 24;
inline constexpr std::uint8_t kSetHold = 33;
inline constexpr std::uint8_t kRecallPage = 34;
inline constexpr std::uint8_t kStorePage = 35;
inline constexpr std::uint8_t kReadPageStatus = 96;
inline constexpr std::uint8_t kHoldRecord = 97;
inline constexpr std::uint8_t kReadBlock = 101;
} // namespace handheldcommand

// The byte dialogue with a Kenwood VC-H1 handheld on the converter's open port, as it is: same
// device, speed and time-outs, nothing reconfigured. Every operation runs on the calling thread,
// blocks until it is done and returns true on success. A failure shows its message in a plain box
// (Dialogs::message) and returns false at once; nothing is retried and nothing already sent is
// undone. Answer bytes are never examined: any byte that arrives is the awaited answer.
//
// An exchange lives no longer than the hold that keeps the receive monitor off the port (the
// settings window holds it while it is shown; a tool without a monitor passes
// MonitorHold(nullptr)). The answers it reads go into the HandheldData it was given, which outlives
// it.
class HandheldExchange {
public:
    // Empty reads allowed for an answer (the (limit + 1)-th empty read fails) and for a collecting
    // read (more than kCollectLimit empty reads in a row fail). One empty read lasts about 20 ms.
    static constexpr int kFirstAnswerLimit = 50;
    static constexpr int kReportAnswerLimit = 100;
    static constexpr int kParameterAnswerLimit = 200;
    static constexpr int kCollectLimit = 50;
    // The longest text a text record carries.
    static constexpr int kMaxTextLength = 10;

    // The texts the handheld displays, each with its own command byte.
    enum class Text : std::uint8_t {
        Report = handheldcommand::kSetReport,
        CallSign = handheldcommand::kSetCallSign,
        Message = handheldcommand::kSetMessage,
    };

    HandheldExchange(BytePort& port, Dialogs& dialogs, HandheldData& data, const MonitorHold& hold);

    // Stores the handheld's current picture into the page (index 0..9), or recalls the page.
    bool HandheldStorePage(int pageIndex);
    bool HandheldRecallPage(int pageIndex);
    // Holds the page (nothing is stored into it) or releases it.
    bool HandheldSetHold(int pageIndex, bool hold);
    // Reads the function switches into HandheldFlags; a failure leaves them as they were.
    bool HandheldReadFlags();
    // Writes the whole HandheldFlags byte.
    bool HandheldWriteFlags();
    // Reads the 64-byte settings block into HandheldBlock; the bytes that came before a failure
    // stay there.
    bool HandheldReadBlock();
    // Writes the automatic-transmission interval in ticks of 15 ms.
    bool HandheldWriteInterval(std::uint16_t ticks);
    // Reads the page's four status bytes into its PageRecords entry; the bytes that came before
    // a failure stay there.
    bool HandheldReadPageStatus(int pageIndex);
    // Sends a text (at most 10 characters are sent; Windows Latin) in a colour (index 0..7).
    // The window shows its own status text for the outcome besides the failure's box.
    bool sendText(Text which, const QString& text, std::uint8_t colour);

    HandheldData& data() { return data_; }
    Dialogs& dialogs() { return dialogs_; }
    // Called after every read that brought nothing, so that a window keeps painting during the
    // waits for an answer. When it returns false (the program is ending) the exchange gives up
    // there without a message, and from then on writes nothing more.
    void setBetweenReads(std::function<bool()> betweenReads) {
        betweenReads_ = std::move(betweenReads);
    }
    bool abandoned() const { return abandoned_; }

private:
    // Reads one byte with the port's time-out; false when none came.
    bool readOne(std::uint8_t& byte);
    // Reads one byte and drops it: a stray byte out of the way before every command.
    void clear();
    // Reads single bytes until one arrives; fails with the message once limit + 1 reads brought
    // nothing.
    bool awaitAnswer(int limit, const QString& message);
    // Reads count bytes into the buffer; fails with the message followed by the number collected
    // once more than kCollectLimit reads in a row brought nothing.
    bool collect(std::uint8_t* into, int count, const QString& message);
    // Writes the bytes in one write call; bytes that cannot be written fail the operation with the
    // message.
    bool send(std::initializer_list<std::uint8_t> bytes, const QString& message);
    bool send(const std::uint8_t* bytes, int count, const QString& message);
    // Drops the next byte, if one comes within one read's time-out.
    void dropOne();
    void fail(const QString& message);
    bool storeOrRecall(std::uint8_t command, int pageIndex);

    BytePort& port_;
    Dialogs& dialogs_;
    HandheldData& data_;
    std::function<bool()> betweenReads_;
    bool abandoned_ = false;
};

} // namespace winorbis
