// SPDX-License-Identifier: GPL-3.0-or-later
// The converter's byte machine: what each byte from the PC makes it answer, through the fault
// layer with and without faults, and the bounded record of what it was told.
#include "converter/ConverterModel.h"
#include "converter/ConverterFaults.h"
#include "converter/ConverterRecord.h"
#include "converter/Modes.h"
#include "converter/PixelCodec.h"
#include "support/TestPictures.h"

#include <gtest/gtest.h>

using namespace winorbis;
using winorbis::test::randomPicture;
namespace pc = winorbis::pixelcodec;

namespace {

const QByteArray kAck(1, '\x80');
const QByteArray kLineAck("\x80\x00", 2);

struct Answer {
    QByteArray bytes;
    bool closed = false;
};

// The model behind its fault layer, with the record a served line keeps.
struct Converter {
    ConverterModel model;
    ConverterFaults faults;
    ConverterRecord record;

    // Feeds every byte and gathers what the converter answers.
    Answer feed(const QByteArray& bytes) {
        Answer answer;
        for (char byte : bytes) {
            record.byte(std::uint8_t(byte));
            const ConverterModel::Output out = faults.feed(model, std::uint8_t(byte));
            record.events(out.events);
            answer.bytes += out.bytes;
            answer.closed = answer.closed || out.closeLine;
        }
        return answer;
    }
    QByteArray fetchLine() { return feed(QByteArray(1, char(command::kNextLine))).bytes; }
    // Announces and sends one upload line; the answer to the line bytes alone.
    Answer uploadLine(const QByteArray& line) {
        EXPECT_EQ(feed(QByteArray(1, char(command::kLineFollows))).bytes, kAck);
        return feed(line);
    }
    const QStringList& events() const { return record.events(); }
};

QByteArray lineOf(char fill) {
    return QByteArray(pc::kLineBytes, fill);
}

} // namespace

TEST(ConverterModel, IdentifyAnswersItsByteAndFiveMore) {
    Converter c;
    EXPECT_EQ(c.feed("\x10").bytes, QByteArray("\x4C"
                                               "ORB70"));
    c.model.identifyAnswer = 194;
    EXPECT_EQ(c.feed("\x10").bytes, QByteArray("\xC2"
                                               "ORB70"));
    EXPECT_EQ(c.events(), QStringList({"identify", "identify"}));
    EXPECT_EQ(c.record.received(), QByteArray("\x10\x10"));
}

TEST(ConverterModel, UploadedLinesAreAcknowledgedOnlyAfterTheirLastByteAndStoredInOrder) {
    Converter c;
    EXPECT_EQ(c.feed("\x01").bytes, kAck);
    EXPECT_TRUE(c.uploadLine(pc::headerLine()).bytes == kLineAck);
    EXPECT_EQ(c.feed("\x08").bytes, kAck);
    EXPECT_TRUE(c.model.awaitingLineData());
    // Command bytes inside a line are data: 16 asks for no identify there.
    QByteArray line = lineOf('\x10');
    EXPECT_TRUE(c.feed(line.left(839)).bytes.isEmpty());
    EXPECT_EQ(c.feed(line.right(1)).bytes, kLineAck);
    EXPECT_FALSE(c.model.awaitingLineData());
    EXPECT_EQ(c.model.memoryLine(1, 0), pc::headerLine());
    EXPECT_EQ(c.model.memoryLine(1, 1), line);
    EXPECT_EQ(c.model.uploadedLines(), 2);
    EXPECT_EQ(c.events(), QStringList({"begin transfer / stop reception", "line 0 received",
                                       "line 1 received"}));
    // A new transfer starts again at line 0.
    c.feed("\x01");
    c.uploadLine(lineOf('\x07'));
    EXPECT_EQ(c.model.memoryLine(1, 0), lineOf('\x07'));
    EXPECT_EQ(c.model.memoryLine(1, 1), line);
}

TEST(ConverterModel, FetchedLinesAreTheMemoryLinesWithOneMoreByte) {
    Converter c;
    const QImage picture = randomPicture(420, 256, 41);
    c.model.storePicture(1, picture);
    c.feed("\x01");
    for (int line = 0; line < 256; ++line) {
        const QByteArray answer = c.fetchLine();
        ASSERT_EQ(answer.size(), pc::kFetchLineBytes);
        ASSERT_EQ(answer.left(pc::kLineBytes), pc::encodeImageRow(picture, line)) << line;
    }
    EXPECT_EQ(c.events().back(), "line 256 sent");
    // Beyond the frame the converter sends empty lines.
    EXPECT_EQ(c.fetchLine().left(pc::kLineBytes), QByteArray(pc::kLineBytes, '\0'));
}

TEST(ConverterModel, MemoriesDigitiseAndModeCommandsWorkOnTheActiveMemory) {
    Converter c;
    const QByteArray before = c.model.memoryLine(2, 200);
    EXPECT_TRUE(c.feed("\x21\x24").bytes.isEmpty());
    EXPECT_EQ(c.model.activeMemory(), 2);
    EXPECT_NE(c.model.memoryLine(2, 200), before); // the camera's marker moved
    EXPECT_EQ(c.model.memoryLine(1, 200), before);

    // Uploads and receptions land in the active memory only.
    c.feed("\x01");
    c.uploadLine(lineOf('\x01'));
    EXPECT_EQ(c.model.memoryLine(2, 0), lineOf('\x01'));
    EXPECT_NE(c.model.memoryLine(1, 0), lineOf('\x01'));
    c.feed("\x20");
    const ConverterModel::Output out =
        c.model.receive(mode(ModeId::Scottie1).box->statusByte, randomPicture(100, 50, 42));
    EXPECT_EQ(out.bytes, QByteArray(1, char(mode(ModeId::Scottie1).box->statusByte)));
    EXPECT_EQ(c.model.memoryPicture(1).size(), QSize(420, 256));
    EXPECT_EQ(c.model.memoryLine(2, 0), lineOf('\x01'));
    EXPECT_EQ(c.model.sendStatus(kStatusWaitLonger).bytes, QByteArray(1, char(72)));

    QByteArray modes;
    for (const Mode& m : boxModeRows())
        modes += char(m.box->txByte);
    modes += char(mode(ModeId::Robot36).box->freeRunByte);
    modes += char(0xFE);
    EXPECT_TRUE(c.feed(modes).bytes.isEmpty());
    const QStringList events = c.events().mid(c.events().size() - 8);
    EXPECT_EQ(events, QStringList({"transmit Robot 36", "transmit Robot 72", "transmit Martin 1",
                                   "transmit Martin 2", "transmit Scottie 1", "transmit Scottie 2",
                                   "free run R36", "unknown byte 254 (0xfe)"}));
}

TEST(ConverterFaults, ASilentConverterAnswersNothingButStillStoresLines) {
    Converter c;
    c.feed("\x01\x08");
    c.faults.silent = true;
    EXPECT_TRUE(c.feed(lineOf('\x03')).bytes.isEmpty());
    EXPECT_EQ(c.model.memoryLine(1, 0), lineOf('\x03'));
    EXPECT_TRUE(c.feed("\x10\x01\x08\x04\x21").bytes.isEmpty());
    EXPECT_EQ(c.model.activeMemory(), 1); // not even plain commands are taken
    c.faults.silent = false;
    EXPECT_EQ(c.feed("\x10").bytes.size(), 6);
}

TEST(ConverterFaults, UploadFaultsWithholdTheirAcknowledges) {
    Converter c;
    c.faults.ackBeginTransfer = false;
    EXPECT_TRUE(c.feed("\x01").bytes.isEmpty());

    c.faults.ackBeginTransfer = true;
    c.faults.noLineAckFrom = 1;
    c.feed("\x01");
    EXPECT_EQ(c.uploadLine(lineOf('\x01')).bytes, kLineAck);
    EXPECT_TRUE(c.uploadLine(lineOf('\x02')).bytes.isEmpty());
    EXPECT_EQ(c.model.memoryLine(1, 1), lineOf('\x02')); // stored all the same

    c.faults.noLineAckFrom = -1;
    c.faults.noLineFollowsAckFrom = 1;
    c.feed("\x01");
    c.uploadLine(lineOf('\x05'));
    EXPECT_TRUE(c.feed("\x08").bytes.isEmpty());
    EXPECT_FALSE(c.model.awaitingLineData()); // what follows are commands again
    EXPECT_EQ(c.feed("\x10").bytes.size(), 6);
}

TEST(ConverterFaults, FetchFaultsDropCutOrSilenceLines) {
    Converter c;
    c.faults.droppedFetchLines = {2};
    c.faults.cutFetchLines = {{3, 420}, {4, 5000}};
    c.faults.silentFromFetchLine = 6;
    c.feed("\x01");
    EXPECT_EQ(c.fetchLine().size(), 841);
    EXPECT_TRUE(c.fetchLine().isEmpty());
    const QByteArray cut = c.fetchLine();
    EXPECT_EQ(cut, c.model.memoryLine(1, 2).left(420));
    EXPECT_EQ(c.feed("\x10").bytes.size(), 6); // still there after the cut
    EXPECT_EQ(c.fetchLine().size(), 841);      // a cut longer than the line cuts nothing
    EXPECT_EQ(c.fetchLine().left(840), c.model.memoryLine(1, 4));
    EXPECT_TRUE(c.fetchLine().isEmpty());
    EXPECT_TRUE(c.faults.silent);
    EXPECT_TRUE(c.feed("\x10").bytes.isEmpty());
    EXPECT_TRUE(c.events().contains("line 2 dropped"));
    EXPECT_TRUE(c.events().contains("line 3 cut after 420 bytes"));
}

TEST(ConverterFaults, GarbageComesBeforeEveryAnswerButNotBeforeStatusBytes) {
    Converter c;
    c.faults.garbageBeforeAnswers = 3;
    const QByteArray garbage("\x55\x56\x57");
    EXPECT_EQ(c.feed("\x10").bytes, garbage + "\x4C"
                                              "ORB70");
    EXPECT_EQ(c.feed("\x01").bytes, garbage + kAck);
    EXPECT_EQ(c.feed("\x08").bytes, garbage + kAck);
    EXPECT_EQ(c.feed(lineOf('\x09')).bytes, garbage + kLineAck);
    EXPECT_EQ(c.fetchLine().left(3), garbage);
    EXPECT_EQ(c.model.sendStatus(68).bytes, QByteArray(1, char(68)));
    for (char byte : garbage) {
        EXPECT_NE(std::uint8_t(byte), kAcknowledge);
        EXPECT_FALSE(modeByStatus(std::uint8_t(byte)).has_value());
    }
}

TEST(ConverterFaults, TheLineClosesAfterTheGivenNumberOfTransferLines) {
    Converter c;
    c.faults.closeAfterLines = 2;
    c.feed("\x01");
    EXPECT_FALSE(c.uploadLine(lineOf('\x01')).closed);
    const Answer second = c.uploadLine(lineOf('\x02'));
    EXPECT_EQ(second.bytes, kLineAck); // the acknowledge still goes out first
    EXPECT_TRUE(second.closed);
    // Fetched and dropped lines count as well; a new transfer counts from 0.
    c.faults.droppedFetchLines = {1};
    c.feed("\x01");
    EXPECT_FALSE(c.feed("\x04").closed);
    EXPECT_TRUE(c.feed("\x04").closed);
    EXPECT_EQ(c.events().back(), "line closed in the middle of the transfer");
}

TEST(ConverterModel, ALineBrokenOffIsGivenUpAndBytesAreCommandsAgain) {
    Converter c;
    c.feed("\x01\x08");
    c.feed(lineOf('\x04').left(100));
    EXPECT_TRUE(c.model.giveUpLine().log.join("").contains("after 100 bytes"));
    EXPECT_FALSE(c.model.awaitingLineData());
    EXPECT_EQ(c.feed("\x10").bytes.size(), 6);
    EXPECT_EQ(c.model.uploadedLines(), 0);
    EXPECT_TRUE(c.model.giveUpLine().log.isEmpty()); // nothing to give up
}

// A converter that serves for weeks keeps only the last of what it was told: a hundred uploads
// leave the record within its bounds, with every byte and event counted, and a mark taken before
// the last upload still reads all of it.
TEST(ConverterRecord, AHundredUploadsLeaveTheRecordWithinItsBounds) {
    Converter c;
    QByteArray upload(1, char(command::kBeginTransfer));
    for (int line = 0; line < 256; ++line)
        upload += char(command::kLineFollows) + lineOf(char(0x40 + line % 8));
    qsizetype mark = 0;
    for (int i = 0; i < 100; ++i) {
        mark = c.record.received().size();
        c.feed(upload);
    }
    const ReceivedBytes& received = c.record.received();
    EXPECT_EQ(received.size(), 100 * upload.size());
    EXPECT_LE(received.kept().size(), ReceivedBytes::kMaxKept);
    EXPECT_EQ(received.mid(mark), upload);
    EXPECT_EQ(received.mid(0), received.kept()); // what is no longer kept is left out
    EXPECT_FALSE(received == received.kept());
    EXPECT_EQ(received.count(char(command::kBeginTransfer)), 100);
    EXPECT_EQ(received.count(char(command::kLineFollows)), 100 * 256);
    EXPECT_EQ(c.record.eventCount(), 100 * 257);
    EXPECT_EQ(c.record.events().size(), ConverterRecord::kEvents);
    EXPECT_EQ(c.record.events().back(), "line 255 received");
}
