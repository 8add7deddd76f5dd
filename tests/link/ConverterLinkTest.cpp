// SPDX-License-Identifier: GPL-3.0-or-later
#include "link/ConverterLink.h"
#include "platform/ConsoleNotes.h"
#include "support/MemoryPort.h"
#include "support/ScriptedDialogs.h"
#include "support/VirtualClock.h"

#include <gtest/gtest.h>

using namespace winorbis;
using namespace winorbis::test;

namespace {

const QString kNoConnection =
    "No connection to Orbis 70p. Control please the interface (Setup) and the jumper in the "
    "Orbis 70p.";

QByteArray bytes(std::initializer_list<int> values) {
    QByteArray b;
    for (int v : values)
        b.append(char(v));
    return b;
}

struct LinkFixture : ::testing::Test {
    VirtualClock clock;
    ScriptedDialogs dialogs;
    ConverterLink link{clock, failureBoxes(dialogs)};
    MemoryPort* port = nullptr;

    void SetUp() override {
        auto memory = std::make_unique<MemoryPort>(clock);
        port = memory.get();
        link.attachPort(std::move(memory));
    }
};

} // namespace

TEST_F(LinkFixture, IdentifyDropsAStrayByteWritesSixteenAndEatsTheFiveAfterTheAnswer) {
    port->arrive(bytes({172})); // a stray status byte from before
    port->setResponder([](std::uint8_t b, MemoryPort& p) {
        if (b == 16)
            p.arrive(bytes({76, 1, 2, 3, 4, 5, 99}));
    });
    EXPECT_EQ(link.IdentifyConverter(), 76);
    EXPECT_EQ(port->written(), bytes({16}));
    EXPECT_EQ(link.LastStatus(), 76);
    EXPECT_EQ(port->pending(), 1); // only the five were eaten
    EXPECT_TRUE(dialogs.shown().isEmpty());
}

// The tail of a picture line from a fetch that was cut short is still there, in pieces: all of it
// is dropped before the identify, and its bytes are never taken for the answer. A lone non-zero
// byte without the five after it is no answer either.
TEST_F(LinkFixture, IdentifyDropsStaleBytesAndTakesOnlyAnAnswerOfItsShape) {
    port->arrive(QByteArray(300, char(42)));
    port->arrive(bytes({132, 6, 42, 42}));
    port->setResponder(converterAnswers(76));
    EXPECT_EQ(link.identifyQuietly(), 76);
    EXPECT_EQ(link.LastStatus(), 76);
    EXPECT_EQ(port->written(), bytes({16}));

    port->setResponder([](std::uint8_t b, MemoryPort& p) {
        if (b == 16)
            p.arrive(bytes({172, 1})); // a status byte and one more: not the identify's six
    });
    EXPECT_EQ(link.identifyQuietly(), 0);
    EXPECT_EQ(link.LastStatus(), 0);
}

TEST_F(LinkFixture, IdentifyAcceptsAnAnswerAfterEmptyReadsAndZeroBytes) {
    port->setResponder([](std::uint8_t b, MemoryPort& p) {
        if (b == 16) {
            p.arriveAfterEmptyReads(3, bytes({0, 0}));
            p.arrive(bytes({194, 9, 9, 9, 9, 9}));
        }
    });
    EXPECT_EQ(link.IdentifyConverter(), 194);
    // The stray read and three empty ones waited 20 ms each.
    EXPECT_EQ(clock.elapsedMs(), 4 * 20);
    EXPECT_EQ(port->pending(), 0);
    EXPECT_EQ(link.LastStatus(), 194);
}

TEST_F(LinkFixture, IdentifyGivesUpAfterTwentyReadsWithABeepAndTheMessage) {
    // An earlier answer, then nineteen zero bytes and nothing.
    port->setResponder(converterAnswers(55));
    ASSERT_EQ(link.IdentifyConverter(), 55);
    port->setResponder([](std::uint8_t b, MemoryPort& p) {
        if (b == 16)
            p.arrive(QByteArray(19, '\0'));
    });
    const int readsBefore = port->reads();
    const std::int64_t before = clock.elapsedMs();
    EXPECT_EQ(link.IdentifyConverter(), 0);
    EXPECT_EQ(link.LastStatus(), 0);
    EXPECT_EQ(port->reads() - readsBefore, 21);
    EXPECT_EQ(clock.elapsedMs() - before, 2 * 20); // the stray read and the twentieth
    const auto shown = dialogs.shown();
    ASSERT_EQ(shown.size(), 2);
    EXPECT_EQ(shown[0].what, "beep");
    EXPECT_EQ(shown[0].text, "2");
    EXPECT_EQ(shown[1].what, "message");
    EXPECT_EQ(shown[1].text, kNoConnection);
}

TEST_F(LinkFixture, ASilentConverterCostsAboutHalfASecond) {
    EXPECT_EQ(link.IdentifyConverter(), 0);
    EXPECT_EQ(clock.elapsedMs(), 21 * 20);
    EXPECT_EQ(dialogs.texts(), QStringList{kNoConnection});
}

TEST_F(LinkFixture, ACommandAcknowledgeSkipsOtherBytesBeforeThe128) {
    port->setResponder([](std::uint8_t b, MemoryPort& p) {
        if (b == 8)
            p.arrive(bytes({12, 0, 255, 128, 7}));
    });
    EXPECT_TRUE(link.SendCommandAwaitAck(8));
    EXPECT_EQ(port->written(), bytes({8}));
    EXPECT_EQ(port->pending(), 1); // nothing after the 128 is taken
    EXPECT_TRUE(dialogs.shown().isEmpty());
}

TEST_F(LinkFixture, ACommandAcknowledgeMayComeLateWithinTwoThousandReads) {
    port->setResponder([](std::uint8_t b, MemoryPort& p) {
        if (b == 1)
            p.arriveAfterEmptyReads(1999, bytes({128}));
    });
    EXPECT_TRUE(link.SendCommandAwaitAck(1));
    EXPECT_EQ(port->reads(), 2000);
}

TEST_F(LinkFixture, NoCommandAcknowledgeAfterTwoThousandReadsIsACommunicationError) {
    port->setResponder([](std::uint8_t b, MemoryPort& p) {
        if (b == 1)
            p.arriveAfterEmptyReads(2000, bytes({128}));
    });
    EXPECT_FALSE(link.SendCommandAwaitAck(1));
    EXPECT_EQ(port->reads(), 2000);
    EXPECT_EQ(clock.elapsedMs(), 2000 * 20); // about 40 s for the converter to answer
    EXPECT_EQ(dialogs.texts(), QStringList{"Communication error[com]"});
}

TEST_F(LinkFixture, ALineAcknowledgeEatsExactlyOneByteAfterThe128) {
    for (int after : {0, 128, 255}) {
        port->arrive(bytes({3, 128, after, 44}));
        EXPECT_TRUE(link.AwaitLineAck());
        EXPECT_EQ(port->pending(), 1) << after;
        std::uint8_t rest = 0;
        port->readByte(rest);
        EXPECT_EQ(rest, 44);
    }
    EXPECT_TRUE(dialogs.shown().isEmpty());
}

TEST_F(LinkFixture, ALineAcknowledgeOnTheNinetyNinthReadCountsButNotOnTheHundredth) {
    port->arriveAfterEmptyReads(98, bytes({128, 0}));
    EXPECT_TRUE(link.AwaitLineAck());
    EXPECT_EQ(port->reads(), 100); // 99 and the byte after the acknowledge

    VirtualClock otherClock;
    ScriptedDialogs otherDialogs;
    ConverterLink late(otherClock, failureBoxes(otherDialogs));
    auto memory = std::make_unique<MemoryPort>(otherClock);
    MemoryPort* latePort = memory.get();
    late.attachPort(std::move(memory));
    latePort->arriveAfterEmptyReads(99, bytes({128, 0}));
    EXPECT_FALSE(late.AwaitLineAck());
    EXPECT_EQ(latePort->reads(), 100);
    EXPECT_EQ(otherDialogs.texts(), QStringList{"Communication error[ack]"});
    EXPECT_EQ(otherClock.elapsedMs(), 99 * 20); // about 2 s
}

TEST_F(LinkFixture, APlainCommandByteIsWrittenAloneWithoutReading) {
    link.SendCommandByte(48);
    EXPECT_EQ(port->written(), bytes({48}));
    EXPECT_EQ(port->reads(), 0);
    port->setWritable(false);
    link.SendCommandByte(62); // a write that fails is not examined
    EXPECT_TRUE(dialogs.shown().isEmpty());
}

TEST(ConverterLinkOpen, UnknownSpeedSelectorsAndMissingDevicesFailWithNoResponse) {
    VirtualClock clock;
    ScriptedDialogs dialogs;
    ConverterLink link(clock, failureBoxes(dialogs));
    EXPECT_FALSE(link.OpenConverterPort(LinkSpeed::Baud115200, QString())); // port number 0 or 5
    EXPECT_FALSE(
        link.OpenConverterPort(LinkSpeed::Baud115200, "/nonexistent/ttyS9")); // missing device
    EXPECT_EQ(dialogs.texts(),
              QStringList({"No response from the interface", "No response from the interface"}));
    // Reads on the unusable port bring nothing and take their time instead of failing at once.
    std::uint8_t buffer[10];
    EXPECT_EQ(link.port().read(buffer, 10), 0);
    EXPECT_EQ(clock.elapsedMs(), 20);
    EXPECT_FALSE(link.port().writeByte(16));
}

namespace {

// A converter line that logs the order of writes, drains and reads, and answers every byte with
// the acknowledge and one more byte.
class OrderLoggingPort final : public BytePort {
public:
    int read(std::uint8_t* buffer, int count) override {
        log << "read";
        const int n = std::min<int>(count, int(pending.size()));
        std::copy_n(pending.begin(), n, buffer);
        pending.erase(pending.begin(), pending.begin() + n);
        return n;
    }
    bool writeByte(std::uint8_t byte) override {
        log << QStringLiteral("write %1").arg(byte);
        pending.push_back(128);
        pending.push_back(0);
        return true;
    }
    void discardInput() override {}
    void drain() override { log << "drain"; }

    QStringList log;
    std::vector<std::uint8_t> pending;
};

} // namespace

TEST(ConverterLinkLine, EveryAnswerIsAwaitedOnlyAfterTheWrittenBytesHaveLeft) {
    VirtualClock clock;
    ScriptedDialogs dialogs;
    ConverterLink link(clock, failureBoxes(dialogs));
    auto logging = std::make_unique<OrderLoggingPort>();
    OrderLoggingPort* port = logging.get();
    link.attachPort(std::move(logging));

    ASSERT_TRUE(link.SendCommandAwaitAck(8));
    EXPECT_EQ(port->log.mid(0, 3), QStringList({"write 8", "drain", "read"}));
    // A line of data: the acknowledge is awaited after the last byte has left the line.
    port->log.clear();
    port->pending.clear();
    link.SendCommandByte(5);
    link.SendCommandByte(6);
    ASSERT_TRUE(link.AwaitLineAck());
    EXPECT_EQ(port->log.mid(0, 4), QStringList({"write 5", "write 6", "drain", "read"}));
    port->log.clear();
    link.IdentifyConverter();
    const qsizetype identify = port->log.indexOf("write 16");
    ASSERT_GE(identify, 1); // after reading what was stale
    EXPECT_EQ(port->log.mid(identify, 3), QStringList({"write 16", "drain", "read"}));
}

// The link shows nothing itself: each failure goes to its owner's sink once, as it happens, with
// the beep and the box the operator gets for it, and stays for the caller's status line.
TEST(ConverterLinkFailures, EachFailedExchangeReachesTheSinkOnceWithItsBeepAndBox) {
    VirtualClock clock;
    QList<LinkFailure> failures;
    ConverterLink link(clock, [&failures](const LinkFailure& failure) { failures << failure; });
    link.attachPort(std::make_unique<MemoryPort>(clock)); // a converter that never answers

    EXPECT_EQ(link.IdentifyConverter(), 0);
    EXPECT_EQ(link.lastFailure(), kNoConnection);
    EXPECT_FALSE(link.SendCommandAwaitAck(1));
    EXPECT_FALSE(link.AwaitLineAck());
    EXPECT_FALSE(link.OpenConverterPort(LinkSpeed::Baud115200, "/nonexistent/ttyS9"));
    QStringList texts;
    for (const LinkFailure& failure : failures)
        texts << failure.text;
    EXPECT_EQ(texts, QStringList({kNoConnection, "Communication error[com]",
                                  "Communication error[ack]", "No response from the interface"}));
    ASSERT_EQ(failures.size(), 4);
    EXPECT_EQ(failures[0], (LinkFailure{kNoConnection, true, LinkFailure::Box::Plain}));
    for (qsizetype i = 1; i < failures.size(); ++i) {
        EXPECT_FALSE(failures[i].beeps) << failures[i].text.toStdString();
        EXPECT_EQ(failures[i].box, LinkFailure::Box::Plain);
    }
    EXPECT_EQ(link.lastFailure(), "No response from the interface");
    link.clearFailure();
    EXPECT_TRUE(link.lastFailure().isEmpty());
}

TEST(ConverterLinkFailures, WithoutASinkTheFailuresAreNotedOnStandardErrorAndKept) {
    VirtualClock clock;
    std::FILE* notes = std::tmpfile();
    ASSERT_NE(notes, nullptr);
    {
        const ConsoleNotes::Scope scope(QStringLiteral("winorbis"), notes);
        ConverterLink link(clock);
        link.attachPort(std::make_unique<MemoryPort>(clock));
        EXPECT_EQ(link.IdentifyConverter(), 0);
        EXPECT_FALSE(link.AwaitLineAck());
        EXPECT_EQ(link.lastFailure(), "Communication error[ack]");
        EXPECT_FALSE(link.refuseWhileLost(true)); // nothing to refuse: the converter is there
    }
    std::rewind(notes);
    QByteArray written(4096, '\0');
    written.truncate(qsizetype(std::fread(written.data(), 1, 4096, notes)));
    std::fclose(notes);
    EXPECT_EQ(QString::fromLatin1(written),
              "winorbis: " + kNoConnection + "\nwinorbis: Communication error[ack]\n");
}

// The window's presenter: the beep before the box, the box of the failure's kind; while the
// dialogs are unattended (automatic work) no box, the text on standard error.
TEST(ConverterLinkFailures, TheBoxesShowEachFailureOnceAndNoneWhileUnattended) {
    ScriptedDialogs dialogs;
    const LinkFailureSink show = failureBoxes(dialogs);
    show({"lost", true, LinkFailure::Box::Warning});
    show({"Communication error[com]"});
    {
        const UnattendedScope automatic(dialogs);
        show({"Communication error[ack]"});
    }
    const auto shown = dialogs.shown();
    ASSERT_EQ(shown.size(), 4);
    EXPECT_EQ(shown[0].what, "beep");
    EXPECT_EQ(shown[0].text, "2");
    EXPECT_EQ(shown[1].what, "message");
    EXPECT_EQ(shown[1].text, "lost");
    EXPECT_EQ(shown[1].kind, Dialogs::Kind::Warning);
    EXPECT_EQ(shown[2].what, "message");
    EXPECT_EQ(shown[2].kind, Dialogs::Kind::Plain);
    EXPECT_EQ(shown[3].what, "stderr");
    EXPECT_EQ(shown[3].text, "Communication error[ack]");
    EXPECT_EQ(dialogs.texts(), QStringList({"lost", "Communication error[com]"}));
}
