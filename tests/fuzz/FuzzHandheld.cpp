// SPDX-License-Identifier: GPL-3.0-or-later
// Fuzz target for the dialogue with the VC-H1 handheld over a line whose replies come from the
// input, with short reads and gaps (ScriptPort), a write that fails and a program that may end
// during a wait: the input chooses the operations, of the exchange itself and of the settings
// window's controller. Every operation ends within the empty reads its limits allow; it writes
// its command and parameters, or a part of them when it fails; it fails with one of the
// exchange's messages (none once abandoned, and nothing more is written then); what it reads goes
// where the exchange says, and nothing else in the data changes; the controller's panel keeps
// colours of the table, an interval of 1 to 960 s and the page states of the records it read.
#include "FuzzSupport.h"
#include "ScriptPort.h"

#include "handheld/HandheldController.h"
#include "handheld/HandheldExchange.h"
#include "handheld/HandheldTexts.h"
#include "link/TRecThread.h"
#include "platform/CodePage.h"
#include "support/ScriptedDialogs.h"

#include <vector>

using namespace winorbis;
using fuzz::check;
namespace ht = handheldtext;
namespace hc = handheldcommand;
using Exchange = HandheldExchange;
using Text = HandheldExchange::Text;

namespace {

// The script's line, with the reads it answered recorded, and one write (counted from 0) that
// fails after half its bytes.
class HandheldLine final : public BytePort {
public:
    HandheldLine(QByteArray script, int failingWrite)
        : script_(std::move(script))
        , failingWrite_(failingWrite) {}

    struct Read {
        int asked = 0;
        QByteArray got;
    };

    int read(std::uint8_t* buffer, int count) override {
        const int n = script_.read(buffer, count);
        reads.push_back({count, QByteArray(reinterpret_cast<const char*>(buffer), n)});
        return n;
    }
    bool writeByte(std::uint8_t byte) override { return write(&byte, 1); }
    bool write(const std::uint8_t* bytes, int count) override {
        const bool fails = writes_++ == failingWrite_;
        written.append(reinterpret_cast<const char*>(bytes), fails ? count / 2 : count);
        return !fails;
    }
    void discardInput() override {}

    std::vector<Read> reads;
    QByteArray written;

private:
    fuzz::ScriptPort script_;
    int failingWrite_;
    int writes_ = 0;
};

QByteArray bytes(std::initializer_list<int> values) {
    QByteArray out;
    for (int v : values)
        out.append(char(v));
    return out;
}

QByteArray addressOf(std::uint32_t address) {
    const auto a = handheldpage::addressBytes(address);
    return bytes({a[0], a[1], a[2], a[3]});
}

// The most reads each part of an operation may take.
constexpr int kAwait = Exchange::kFirstAnswerLimit + 1;
constexpr int kAwaitReport = Exchange::kReportAnswerLimit + 1;
constexpr int kAwaitParameters = Exchange::kParameterAnswerLimit + 1;
constexpr int collectReads(int count) {
    return count + (count + 1) * Exchange::kCollectLimit + 1;
}
constexpr int kStoreReads = 1 + kAwait + kAwaitParameters + 1;
constexpr int kHoldReads = 1 + kAwait + kAwaitParameters + kAwait + 1;
constexpr int kReadFlagsReads = 1 + 2 + Exchange::kCollectLimit + 1 + 1;
constexpr int kWriteFlagsReads = 1 + kAwait + 1;
constexpr int kReadBlockReads = 1 + collectReads(HandheldData::kBlockSize) + 1;
constexpr int kIntervalReads = 1 + kAwait + kAwaitParameters + 1;
constexpr int kPageStatusReads = 1 + kAwait + collectReads(4) + 1;
constexpr int kTextReads = 1 + kAwaitReport + kAwaitParameters + 1;

bool isExchangeMessage(const QString& text) {
    if (text == ht::kInactive || text == ht::kInactiveAfterParameters)
        return true;
    if (!text.startsWith(ht::kInactiveCount))
        return false;
    bool ok = false;
    const int count = text.mid(ht::kInactiveCount.size()).toInt(&ok);
    return ok && count >= 0 && count <= HandheldData::kBlockSize;
}

// The bytes that arrived in the reads from the given one on, with single-byte reads only.
QByteArray arrivedSingly(const std::vector<HandheldLine::Read>& reads, std::size_t from) {
    QByteArray out;
    for (std::size_t i = from; i < reads.size(); ++i) {
        if (reads[i].asked == 1)
            out.append(reads[i].got);
    }
    return out;
}

bool sameData(const HandheldData& a, const HandheldData& b) {
    if (a.HandheldFlags != b.HandheldFlags || a.HandheldBlock != b.HandheldBlock)
        return false;
    for (int i = 0; i < handheldpage::kCount; ++i) {
        if (a.PageRecords[std::size_t(i)].r != b.PageRecords[std::size_t(i)].r)
            return false;
    }
    return true;
}

// The data's own readings stay within what it documents, whatever the bytes.
void checkData(const HandheldData& data) {
    const QString call = data.callSign();
    check(call.size() <= HandheldData::kCallSignLength, "a call sign of 8 characters at most");
    if (!call.isEmpty()) {
        const auto blankOrControl = [](QChar c) { return c.unicode() <= 32 || c.unicode() == 127; };
        check(!blankOrControl(call.front()) && !blankOrControl(call.back()),
              "a call sign without blanks at its ends");
    }
    if (data.problem().isEmpty()) {
        check(data.callColour() < kHandheldColourCount, "a sound block has a colour of the table");
        check(handheldinterval::ticksToSeconds(data.intervalTicks()) <=
                  handheldinterval::kMaxSeconds,
              "a sound block has an interval of 960 s at most");
        for (const QChar c : call)
            check(filterTextCharacter(c) == c, "a sound block's call sign shows as it is");
    }
}

void checkPanel(const HandheldPanel& panel) {
    for (const auto* line : {&panel.call, &panel.report, &panel.message})
        check(line->colour >= -1 && line->colour < kHandheldColourCount, "a colour of the table");
    check(panel.functions.intervalSeconds >= handheldinterval::kMinSeconds &&
              panel.functions.intervalSeconds <= handheldinterval::kMaxSeconds,
          "an interval of 1 to 960 s");
}

// The pages as the panel shows them after reading all ten records.
void checkPages(const HandheldPanel& panel, const HandheldData& data) {
    const auto states = pageStates(data.PageRecords);
    for (int i = 0; i < handheldpage::kCount; ++i) {
        const HandheldPanel::Page& page = panel.pages[std::size_t(i)];
        switch (states[std::size_t(i)]) {
        case PageState::Unusable:
            check(i > 0 && data.PageRecords[std::size_t(i - 1)].blocksNextPage(),
                  "a page is unusable after one that blocks it");
            check(!page.storeEnabled && !page.recallEnabled && !page.holdEnabled,
                  "an unusable page takes no command");
            break;
        case PageState::Picture:
        case PageState::PictureHeld: {
            const bool held = states[std::size_t(i)] == PageState::PictureHeld;
            check(page.recallEnabled && page.holdEnabled && page.holdChecked == held &&
                      page.storeEnabled == !held,
                  "a page with a picture");
            break;
        }
        case PageState::Empty:
            check(page.storeEnabled && !page.recallEnabled && !page.holdEnabled, "an empty page");
            break;
        }
    }
}

struct Run {
    HandheldLine& line;
    test::ScriptedDialogs& dialogs;
    HandheldData& data;
    Exchange& exchange;
    HandheldController& controller;
};

// One operation of the exchange: what it must write, the most reads it may take, and how the
// data may change.
void exchangeOperation(Run& run, std::uint8_t what, fuzz::InputReader& in) {
    const std::size_t readsBefore = run.line.reads.size();
    const qsizetype writtenBefore = run.line.written.size();
    const int messagesBefore = int(run.dialogs.texts().size());
    const HandheldData before = run.data;
    const bool abandonedBefore = run.exchange.abandoned();
    const int page = int(in.byte() % 12) - 1; // also two pages that are none
    const bool validPage = handheldpage::isValidIndex(page);

    bool done = false;
    QByteArray expected;
    int mostReads = 0;
    HandheldData after = before; // what the data holds after it, where it is known
    switch (what % 8) {
    case 0: {
        const bool store = in.byte() & 1;
        done = store ? run.exchange.HandheldStorePage(page) : run.exchange.HandheldRecallPage(page);
        if (validPage)
            expected = bytes({store ? hc::kStorePage : hc::kRecallPage, page});
        mostReads = validPage ? kStoreReads : 0;
        break;
    }
    case 1: {
        const bool hold = in.byte() & 1;
        done = run.exchange.HandheldSetHold(page, hold);
        if (validPage) {
            expected = bytes({hc::kSetHold, page + (hold ? 128 : 0), hc::kHoldRecord}) +
                       addressOf(handheldpage::holdAddress(page)) + bytes({1, 0, hold ? 255 : 0});
        }
        mostReads = validPage ? kHoldReads : 0;
        break;
    }
    case 2: {
        done = run.exchange.HandheldReadFlags();
        expected = bytes({hc::kReadFlags});
        mostReads = kReadFlagsReads;
        const QByteArray arrived = arrivedSingly(run.line.reads, readsBefore + 1);
        if (done) {
            check(arrived.size() >= 2, "the flags came in the second byte");
            after.HandheldFlags = std::uint8_t(arrived[1]);
        }
        break;
    }
    case 3: {
        done = run.exchange.HandheldWriteFlags();
        expected = bytes({hc::kWriteFlags, before.HandheldFlags});
        mostReads = kWriteFlagsReads;
        break;
    }
    case 4: {
        done = run.exchange.HandheldReadBlock();
        expected = bytes({hc::kReadBlock});
        mostReads = kReadBlockReads;
        // The bytes that came before the end stay in the block, from its start.
        const QByteArray arrived = arrivedSingly(run.line.reads, readsBefore + 1);
        const auto got = std::min<qsizetype>(arrived.size(), HandheldData::kBlockSize);
        check(!done || got == HandheldData::kBlockSize, "a block read takes 64 bytes");
        for (qsizetype i = 0; i < got; ++i)
            after.HandheldBlock[std::size_t(i)] = std::uint8_t(arrived[i]);
        break;
    }
    case 5: {
        const auto ticks = std::uint16_t(in.word());
        done = run.exchange.HandheldWriteInterval(ticks);
        expected = bytes({hc::kWriteInterval, ticks >> 8, ticks & 0xff});
        mostReads = kIntervalReads;
        break;
    }
    case 6: {
        done = run.exchange.HandheldReadPageStatus(page);
        mostReads = validPage ? kPageStatusReads : 0;
        if (validPage) {
            expected = bytes({hc::kReadPageStatus}) + addressOf(handheldpage::statusAddress(page)) +
                       bytes({3});
            // The first byte answers the command, the next four are the record.
            const QByteArray arrived = arrivedSingly(run.line.reads, readsBefore + 1).mid(1);
            const auto got = std::min<qsizetype>(arrived.size(), 4);
            check(!done || got == 4, "a page status read takes 4 bytes");
            for (qsizetype i = 0; i < got; ++i)
                after.PageRecords[std::size_t(page)].r[std::size_t(i)] = std::uint8_t(arrived[i]);
        }
        break;
    }
    case 7: {
        static const Text texts[] = {Text::Report, Text::CallSign, Text::Message};
        const Text which = texts[in.byte() % 3];
        const std::uint8_t colour = in.byte();
        // Any characters, also those the code page lacks.
        QString text;
        for (int n = in.byte() % 16; n > 0; --n)
            text.append(QChar(char16_t(in.word())));
        done = run.exchange.sendText(which, text, colour);
        const QByteArray characters = toWinLatin(text).left(Exchange::kMaxTextLength);
        expected = bytes({int(which), int(characters.size())}) + characters + bytes({colour});
        mostReads = kTextReads;
        break;
    }
    }

    const auto reads = int(run.line.reads.size() - readsBefore);
    const QByteArray written = run.line.written.mid(writtenBefore);
    const QStringList messages = run.dialogs.texts().mid(messagesBefore);
    check(reads <= mostReads, "an operation ends within its reads");
    if (expected.isEmpty()) {
        check(!done && reads == 0 && written.isEmpty() && messages.isEmpty(),
              "a page that is none is refused without a word");
        return;
    }
    check(expected.startsWith(written), "an operation writes its command and parameters");
    if (abandonedBefore)
        check(written.isEmpty() && !done, "an abandoned exchange writes nothing");
    if (done) {
        check(written == expected, "an operation that succeeds wrote all it had to");
        check(messages.isEmpty(), "an operation that succeeds shows nothing");
    } else if (run.exchange.abandoned()) {
        check(messages.isEmpty(), "an exchange that gives up as the program ends shows nothing");
    } else {
        check(messages.size() == 1 && isExchangeMessage(messages[0]),
              "a failure shows one of the exchange's messages");
    }
    check(sameData(run.data, after), "an operation changes only the data it reads");
}

// One operation of the settings window's controller.
void controllerOperation(Run& run, std::uint8_t what, fuzz::InputReader& in) {
    const std::size_t readsBefore = run.line.reads.size();
    const int page = int(in.byte() % 12) - 1;
    int mostReads = 0;
    switch (what % 6) {
    case 0: {
        run.controller.FormShow(run.exchange);
        mostReads = kReadFlagsReads + kReadBlockReads + handheldpage::kCount * kPageStatusReads;
        // Ten page records read after the switches and the block: the pages show them.
        const auto pageReads = std::count_if(
            run.line.reads.begin() + std::ptrdiff_t(readsBefore), run.line.reads.end(),
            [](const HandheldLine::Read& r) { return r.asked == 2; });
        if (pageReads == handheldpage::kCount)
            checkPages(run.controller.panel(), run.data);
        break;
    }
    case 1:
        run.controller.store(run.exchange, page);
        mostReads = kStoreReads;
        break;
    case 2:
        run.controller.recall(run.exchange, page);
        mostReads = kStoreReads;
        break;
    case 3:
        run.controller.holdChanged(run.exchange, page, in.byte() & 1);
        mostReads = kHoldReads;
        break;
    case 4: {
        static const Text texts[] = {Text::Report, Text::CallSign, Text::Message};
        const Text which = texts[in.byte() % 3];
        run.controller.colourChosen(which, int(in.byte() % 10) - 1);
        QString text;
        for (int n = in.byte() % 12; n > 0; --n)
            text.append(QChar(char16_t(in.byte())));
        run.controller.textChanged(which, filterText(text).left(maxTextLength(which)));
        run.controller.sendText(run.exchange, which);
        mostReads = kTextReads;
        break;
    }
    case 5: {
        HandheldFunctions functions = run.controller.panel().functions;
        functions.takeFlags(in.byte());
        functions.intervalSeconds =
            handheldinterval::kMinSeconds + in.word() % handheldinterval::kMaxSeconds;
        run.controller.functionsChanged(functions);
        run.controller.FunctionSet(run.exchange);
        mostReads = kWriteFlagsReads + kIntervalReads;
        break;
    }
    }
    check(int(run.line.reads.size() - readsBefore) <= mostReads,
          "a window command ends within its reads");
    checkPanel(run.controller.panel());
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    fuzz::application();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    fuzz::InputReader in(data, size);
    // The write that fails (0xff: none), after how many waits between reads the program ends
    // (0xffff: never), the operations, then the replies.
    const std::uint8_t failing = in.byte();
    const int failingWrite = failing == 0xff ? -1 : failing;
    const int endsAfter = in.word();
    const int operations = 1 + in.byte() % 8;
    const QByteArray choices = in.take(std::size_t(operations) * 8);
    HandheldLine line(in.rest(), failingWrite);

    test::ScriptedDialogs dialogs;
    HandheldData handheld;
    const MonitorHold hold(nullptr);
    Exchange exchange(line, dialogs, handheld, hold);
    int waits = 0;
    bool ending = false;
    exchange.setBetweenReads([&] {
        if (endsAfter != 0xffff && ++waits > endsAfter)
            ending = true;
        return !ending;
    });
    HandheldController controller;
    Run run{line, dialogs, handheld, exchange, controller};

    fuzz::InputReader ops(reinterpret_cast<const std::uint8_t*>(choices.constData()),
                          std::size_t(choices.size()));
    for (int i = 0; i < operations; ++i) {
        const std::uint8_t what = ops.byte();
        const qsizetype writtenBefore = line.written.size();
        const int messagesBefore = int(dialogs.texts().size());
        const bool abandoned = exchange.abandoned();
        if (what & 0x80)
            controllerOperation(run, what, ops);
        else
            exchangeOperation(run, what, ops);
        check(exchange.abandoned() == ending, "the exchange gives up when the program ends");
        for (const QString& text : dialogs.texts().mid(messagesBefore)) {
            // The window's own boxes for a text that is not there, else the exchange's.
            if (text == ht::kNoReport || text == ht::kNoMessage)
                continue;
            check(!abandoned && isExchangeMessage(text), "only the exchange's messages");
        }
        if (abandoned)
            check(line.written.size() == writtenBefore,
                  "an abandoned exchange writes nothing more");
        checkData(handheld);
    }
    return 0;
}
