// SPDX-License-Identifier: GPL-3.0-or-later
// The VC-H1 byte dialogue on an in-memory port with virtual time: the bytes each command writes,
// the reads it allows for each answer and the messages of its failures.
#include "handheld/HandheldExchange.h"
#include "handheld/HandheldTexts.h"
#include "link/TRecThread.h"
#include "support/MemoryPort.h"
#include "support/ScriptedDialogs.h"
#include "support/VirtualClock.h"

#include <gtest/gtest.h>

#include <map>
#include <memory>

using namespace winorbis;
using namespace winorbis::test;
namespace ht = winorbis::handheldtext;

namespace {

QByteArray bytes(std::initializer_list<int> values) {
    QByteArray out;
    for (int v : values)
        out.append(char(v));
    return out;
}

// What arrives after a written byte: the bytes, once that many reads have come back empty.
struct Arrival {
    int emptyReads = 0;
    QByteArray bytes;
};

class HandheldExchangeTest : public ::testing::Test {
protected:
    // Answers after the n-th written byte (counted from 0) as the script says.
    void script(std::map<int, Arrival> arrivals) {
        auto written = std::make_shared<int>(0);
        port.setResponder([arrivals, written](std::uint8_t, MemoryPort& p) {
            const auto it = arrivals.find((*written)++);
            if (it != arrivals.end())
                p.arriveAfterEmptyReads(it->second.emptyReads, it->second.bytes);
        });
    }
    // One prompt answer byte after each of the given writes.
    void answerAfter(std::initializer_list<int> writes) {
        std::map<int, Arrival> arrivals;
        for (int w : writes)
            arrivals[w] = {0, bytes({6})};
        script(arrivals);
    }

    VirtualClock clock;
    MemoryPort port{clock};
    ScriptedDialogs dialogs;
    HandheldData data;
    MonitorHold hold{nullptr};
    HandheldExchange exchange{port, dialogs, data, hold};
};

TEST_F(HandheldExchangeTest, SilentHandheldFailsAfter51EmptyReadsHavingWrittenOnlyTheCommand) {
    EXPECT_FALSE(exchange.HandheldStorePage(0));
    EXPECT_EQ(port.written(), bytes({35}));
    EXPECT_EQ(port.emptyReads(), 1 + 51); // the clear, then the first answer
    EXPECT_EQ(dialogs.texts(), QStringList{ht::kInactive});
    EXPECT_EQ(clock.elapsedMs(), 52 * 20);
}

TEST_F(HandheldExchangeTest, StoreAndRecallSendThePageIndexAndAllow201ReadsForItsAnswer) {
    // The answer after the page index on the 150th read.
    script({{0, {0, bytes({6})}}, {1, {149, bytes({6, 0})}}});
    EXPECT_TRUE(exchange.HandheldStorePage(3));
    EXPECT_EQ(port.written(), bytes({35, 3}));
    EXPECT_EQ(port.pending(), 0);
    EXPECT_TRUE(dialogs.texts().isEmpty());

    // The first answer on the 51st read, the second on the 201st still count.
    MemoryPort edge(clock);
    HandheldExchange late(edge, dialogs, data, hold);
    auto written = std::make_shared<int>(0);
    edge.setResponder([written](std::uint8_t, MemoryPort& p) {
        p.arriveAfterEmptyReads(*written == 0 ? 50 : 200, bytes({6}));
        ++*written;
    });
    EXPECT_TRUE(late.HandheldRecallPage(9));
    EXPECT_EQ(edge.written(), bytes({34, 9}));
    EXPECT_TRUE(dialogs.texts().isEmpty());

    // One empty read more after the page index is too many.
    MemoryPort tooLate(clock);
    HandheldExchange given(tooLate, dialogs, data, hold);
    *written = 0;
    tooLate.setResponder([written](std::uint8_t, MemoryPort& p) {
        p.arriveAfterEmptyReads(*written == 0 ? 0 : 201, bytes({6}));
        ++*written;
    });
    EXPECT_FALSE(given.HandheldRecallPage(9));
    EXPECT_EQ(dialogs.texts(), QStringList{ht::kInactiveAfterParameters});
}

TEST_F(HandheldExchangeTest, HoldAndReleaseOfPage3) {
    answerAfter({0, 1, 2, 9});
    EXPECT_TRUE(exchange.HandheldSetHold(2, true));
    EXPECT_EQ(port.written(), bytes({33, 130, 97, 2, 4, 200, 10, 1, 0, 255}));
    EXPECT_EQ(port.pending(), 0);

    MemoryPort other(clock);
    HandheldExchange release(other, dialogs, data, hold);
    auto written = std::make_shared<int>(0);
    other.setResponder([written](std::uint8_t, MemoryPort& p) {
        if ((*written)++ < 3)
            p.arrive(bytes({6}));
    });
    // No byte follows the record: the last read does not wait for one.
    EXPECT_TRUE(release.HandheldSetHold(2, false));
    EXPECT_EQ(other.written(), bytes({33, 2, 97, 2, 4, 200, 10, 1, 0, 0}));
    EXPECT_TRUE(dialogs.texts().isEmpty());
}

TEST_F(HandheldExchangeTest, HoldStopsWhereTheHandheldFallsSilent) {
    answerAfter({0, 1});
    EXPECT_FALSE(exchange.HandheldSetHold(4, true));
    EXPECT_EQ(port.written(), bytes({33, 132, 97}));
    EXPECT_EQ(dialogs.texts(), QStringList{ht::kInactive});
}

TEST_F(HandheldExchangeTest, ReadFlagsKeepsTheSecondByte) {
    port.arrive(bytes({0x77})); // a stray byte: the clear takes it
    script({{0, {0, bytes({1, 0x5a, 0})}}});
    EXPECT_TRUE(exchange.HandheldReadFlags());
    EXPECT_EQ(data.HandheldFlags, 0x5a);
    EXPECT_EQ(port.written(), bytes({16}));
    EXPECT_EQ(port.pending(), 0);
}

TEST_F(HandheldExchangeTest, ReadFlagsCountsItsFailuresByTheByteAwaited) {
    data.HandheldFlags = 0x88;
    script({{0, {0, bytes({1})}}});
    EXPECT_FALSE(exchange.HandheldReadFlags());
    EXPECT_EQ(dialogs.texts(), QStringList{ht::kInactiveCount + "2"});
    EXPECT_EQ(data.HandheldFlags, 0x88);

    dialogs.clear();
    script({});
    EXPECT_FALSE(exchange.HandheldReadFlags());
    EXPECT_EQ(dialogs.texts(), QStringList{ht::kInactiveCount + "1"});

    // The empty reads before both bytes count together: 30 + 20 pass, 30 + 21 do not.
    dialogs.clear();
    port.setResponder([](std::uint8_t, MemoryPort& p) {
        p.arriveAfterEmptyReads(30, bytes({1}));
        p.arriveAfterEmptyReads(20, bytes({0x42}));
    });
    EXPECT_TRUE(exchange.HandheldReadFlags());
    EXPECT_EQ(data.HandheldFlags, 0x42);
    port.setResponder([](std::uint8_t, MemoryPort& p) {
        p.arriveAfterEmptyReads(30, bytes({1}));
        p.arriveAfterEmptyReads(21, bytes({0x43}));
    });
    EXPECT_FALSE(exchange.HandheldReadFlags());
    EXPECT_EQ(dialogs.texts(), QStringList{ht::kInactiveCount + "2"});
    EXPECT_EQ(data.HandheldFlags, 0x42);
}

TEST_F(HandheldExchangeTest, WriteFlagsSendsTheWholeByte) {
    data.HandheldFlags = 0x89; // bits 3 and 7 as read
    answerAfter({0});
    EXPECT_TRUE(exchange.HandheldWriteFlags());
    EXPECT_EQ(port.written(), bytes({19, 0x89}));

    script({});
    EXPECT_FALSE(exchange.HandheldWriteFlags());
    EXPECT_EQ(port.written(), bytes({19, 0x89, 19}));
    EXPECT_EQ(dialogs.texts(), QStringList{ht::kInactive});
}

TEST_F(HandheldExchangeTest, ReadBlockFillsTheBlock) {
    QByteArray block;
    for (int i = 0; i < 64; ++i)
        block.append(char(200 - i));
    // Bytes that come 50 empty reads apart still belong to the block.
    port.setResponder([&block](std::uint8_t, MemoryPort& p) {
        p.arrive(block.left(20));
        p.arriveAfterEmptyReads(50, block.mid(20));
        p.arrive(bytes({0}));
    });
    EXPECT_TRUE(exchange.HandheldReadBlock());
    EXPECT_EQ(port.written(), bytes({101}));
    EXPECT_EQ(QByteArray(reinterpret_cast<const char*>(data.HandheldBlock.data()), 64), block);
    EXPECT_EQ(port.pending(), 0);
    EXPECT_TRUE(dialogs.texts().isEmpty());
}

TEST_F(HandheldExchangeTest, ReadBlockOf17BytesKeepsThemAndCountsThem) {
    data.HandheldBlock.fill(0xee);
    script({{0, {0, QByteArray(17, char(1))}}});
    EXPECT_FALSE(exchange.HandheldReadBlock());
    EXPECT_EQ(dialogs.texts(), QStringList{ht::kInactiveCount + "17"});
    EXPECT_EQ(data.HandheldBlock[16], 1);
    EXPECT_EQ(data.HandheldBlock[17], 0xee);
    EXPECT_EQ(port.emptyReads(), 1 + 51);
}

TEST_F(HandheldExchangeTest, WriteIntervalSendsTheTicksMostSignificantByteFirst) {
    answerAfter({0, 2});
    EXPECT_TRUE(exchange.HandheldWriteInterval(handheldinterval::secondsToTicks(60)));
    EXPECT_EQ(port.written(), bytes({24, 15, 160}));
    answerAfter({0});
    EXPECT_FALSE(exchange.HandheldWriteInterval(64000));
    EXPECT_EQ(port.written(), bytes({24, 15, 160, 24, 250, 0}));
    EXPECT_EQ(dialogs.texts(), QStringList{ht::kInactiveAfterParameters});
}

TEST_F(HandheldExchangeTest, PageStatusOfPage10) {
    script({{0, {0, bytes({6})}}, {5, {0, bytes({255, 0, 255, 0, 9, 9})}}});
    EXPECT_TRUE(exchange.HandheldReadPageStatus(9));
    EXPECT_EQ(port.written(), bytes({96, 2, 7, 132, 8, 3}));
    EXPECT_EQ(data.PageRecords[9].r, (std::array<std::uint8_t, 4>{255, 0, 255, 0}));
    EXPECT_EQ(port.pending(), 0); // the two trailing bytes are dropped
    EXPECT_EQ(data.PageRecords[8].r, (std::array<std::uint8_t, 4>{}));

    script({{0, {0, bytes({6})}}, {5, {0, bytes({7, 7})}}});
    EXPECT_FALSE(exchange.HandheldReadPageStatus(0));
    EXPECT_EQ(dialogs.texts(), QStringList{ht::kInactiveCount + "2"});
    EXPECT_EQ(data.PageRecords[0].r, (std::array<std::uint8_t, 4>{7, 7, 0, 0}));
}

TEST_F(HandheldExchangeTest, TextRecordsCarryLengthCharactersAndColour) {
    answerAfter({0, 4});
    EXPECT_TRUE(exchange.sendText(HandheldExchange::Text::Message, QStringLiteral("CQ"),
                                  std::uint8_t(HandheldColour::Red)));
    EXPECT_EQ(port.written(), bytes({22, 2, 67, 81, 5}));

    // Never more than 10 characters, so the length byte tells the truth.
    MemoryPort other(clock);
    HandheldExchange longer(other, dialogs, data, hold);
    EXPECT_FALSE(
        longer.sendText(HandheldExchange::Text::CallSign, QStringLiteral("ABCDEFGHIJKL"), 6));
    EXPECT_EQ(other.written(), bytes({21}));
    other.setResponder([](std::uint8_t, MemoryPort& p) { p.arrive(bytes({6})); });
    EXPECT_TRUE(
        longer.sendText(HandheldExchange::Text::CallSign, QStringLiteral("ABCDEFGHIJKL"), 6));
    EXPECT_EQ(other.written().mid(1), bytes({21, 10}) + "ABCDEFGHIJ" + bytes({6}));
}

TEST_F(HandheldExchangeTest, TheReportWaitsTwiceAsLongForItsFirstAnswer) {
    script({{0, {100, bytes({6})}}, {4, {0, bytes({6})}}});
    EXPECT_TRUE(exchange.sendText(HandheldExchange::Text::Report, QStringLiteral("59"), 5));
    EXPECT_EQ(port.written(), bytes({20, 2, '5', '9', 5}));
    EXPECT_TRUE(dialogs.texts().isEmpty());
    script({{0, {100, bytes({6})}}});
    EXPECT_FALSE(exchange.sendText(HandheldExchange::Text::Message, QStringLiteral("CQ"), 2));
    EXPECT_EQ(dialogs.texts(), QStringList{ht::kInactive});
}

TEST_F(HandheldExchangeTest, FailedWritesAndBadPagesAreFailures) {
    port.setWritable(false);
    EXPECT_FALSE(exchange.HandheldWriteFlags());
    EXPECT_EQ(dialogs.texts(), QStringList{ht::kInactive});
    port.setWritable(true);
    // The record of a hold that could not be written is no success.
    auto written = std::make_shared<int>(0);
    port.setResponder([written](std::uint8_t, MemoryPort& p) {
        if (++*written == 3)
            p.setWritable(false);
        p.arrive(bytes({6}));
    });
    dialogs.clear();
    EXPECT_FALSE(exchange.HandheldSetHold(0, true));
    EXPECT_EQ(dialogs.texts(), QStringList{ht::kInactiveAfterParameters});

    port.setWritable(true);
    const int reads = port.reads();
    for (int index : {-1, 10}) {
        EXPECT_FALSE(exchange.HandheldStorePage(index));
        EXPECT_FALSE(exchange.HandheldRecallPage(index));
        EXPECT_FALSE(exchange.HandheldSetHold(index, true));
        EXPECT_FALSE(exchange.HandheldReadPageStatus(index));
    }
    EXPECT_EQ(port.reads(), reads);
    EXPECT_EQ(port.written().size(), 3);
}

} // namespace

namespace {

TEST_F(HandheldExchangeTest, AnExchangeGivesUpQuietlyWhenTheProgramEnds) {
    // The window keeps painting for ten empty reads; then the program is ending.
    int calls = 0;
    exchange.setBetweenReads([&] { return ++calls <= 10; });
    EXPECT_FALSE(exchange.HandheldStorePage(0));
    EXPECT_EQ(port.emptyReads(), 11); // the clear, then ten awaiting the answer
    EXPECT_TRUE(dialogs.texts().isEmpty());
    EXPECT_TRUE(exchange.abandoned());
    // Nothing more goes to the handheld.
    answerAfter({0, 1});
    EXPECT_FALSE(exchange.HandheldRecallPage(1));
    EXPECT_FALSE(exchange.HandheldReadFlags());
    EXPECT_EQ(port.written(), bytes({35}));
    EXPECT_TRUE(dialogs.texts().isEmpty());
}

} // namespace
