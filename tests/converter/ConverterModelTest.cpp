// SPDX-License-Identifier: GPL-3.0-or-later
// The converter's byte machine: what each byte from the PC makes it answer, with and without
// faults.
#include "tools/simulator/ConverterModel.h"
#include "link/ModeTable.h"
#include "link/PixelCodec.h"
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

// Feeds every byte and gathers what the converter answers.
Answer feed(ConverterModel& model, const QByteArray& bytes) {
    Answer answer;
    for (char byte : bytes) {
        const ConverterModel::Output out = model.feed(std::uint8_t(byte));
        answer.bytes += out.bytes;
        answer.closed = answer.closed || out.closeLine;
    }
    return answer;
}

QByteArray fetchLine(ConverterModel& model) {
    return feed(model, QByteArray(1, char(command::kNextLine))).bytes;
}

// Announces and sends one upload line; the answer to the line bytes alone.
Answer uploadLine(ConverterModel& model, const QByteArray& line) {
    EXPECT_EQ(feed(model, QByteArray(1, char(command::kLineFollows))).bytes, kAck);
    return feed(model, line);
}

QByteArray lineOf(char fill) {
    return QByteArray(pc::kLineBytes, fill);
}

} // namespace

TEST(ConverterModel, IdentifyAnswersItsByteAndFiveMore) {
    ConverterModel model;
    EXPECT_EQ(feed(model, "\x10").bytes, QByteArray("\x4C"
                                                    "ORB70"));
    model.behaviour.identifyAnswer = 194;
    EXPECT_EQ(feed(model, "\x10").bytes, QByteArray("\xC2"
                                                    "ORB70"));
    EXPECT_EQ(model.events(), QStringList({"identify", "identify"}));
    EXPECT_EQ(model.received(), QByteArray("\x10\x10"));
}

TEST(ConverterModel, UploadedLinesAreAcknowledgedOnlyAfterTheirLastByteAndStoredInOrder) {
    ConverterModel model;
    EXPECT_EQ(feed(model, "\x01").bytes, kAck);
    EXPECT_TRUE(uploadLine(model, pc::headerLine()).bytes == kLineAck);
    EXPECT_EQ(feed(model, "\x08").bytes, kAck);
    EXPECT_TRUE(model.awaitingLineData());
    // Command bytes inside a line are data: 16 asks for no identify there.
    QByteArray line = lineOf('\x10');
    EXPECT_TRUE(feed(model, line.left(839)).bytes.isEmpty());
    EXPECT_EQ(feed(model, line.right(1)).bytes, kLineAck);
    EXPECT_FALSE(model.awaitingLineData());
    EXPECT_EQ(model.memoryLine(1, 0), pc::headerLine());
    EXPECT_EQ(model.memoryLine(1, 1), line);
    EXPECT_EQ(model.uploadedLines(), 2);
    EXPECT_EQ(model.events(), QStringList({"begin transfer / stop reception", "line 0 received",
                                           "line 1 received"}));
    // A new transfer starts again at line 0.
    feed(model, "\x01");
    uploadLine(model, lineOf('\x07'));
    EXPECT_EQ(model.memoryLine(1, 0), lineOf('\x07'));
    EXPECT_EQ(model.memoryLine(1, 1), line);
}

TEST(ConverterModel, FetchedLinesAreTheMemoryLinesWithOneMoreByte) {
    ConverterModel model;
    const QImage picture = randomPicture(420, 256, 41);
    model.storePicture(1, picture);
    feed(model, "\x01");
    for (int line = 0; line < 256; ++line) {
        const QByteArray answer = fetchLine(model);
        ASSERT_EQ(answer.size(), pc::kFetchLineBytes);
        ASSERT_EQ(answer.left(pc::kLineBytes), pc::encodeImageRow(picture, line)) << line;
    }
    EXPECT_EQ(model.events().back(), "line 256 sent");
    // Beyond the frame the converter sends empty lines.
    EXPECT_EQ(fetchLine(model).left(pc::kLineBytes), QByteArray(pc::kLineBytes, '\0'));
}

TEST(ConverterModel, MemoriesDigitiseAndModeCommandsWorkOnTheActiveMemory) {
    ConverterModel model;
    const QByteArray before = model.memoryLine(2, 200);
    EXPECT_TRUE(feed(model, "\x21\x24").bytes.isEmpty());
    EXPECT_EQ(model.activeMemory(), 2);
    EXPECT_NE(model.memoryLine(2, 200), before); // the camera's marker moved
    EXPECT_EQ(model.memoryLine(1, 200), before);

    // Uploads and receptions land in the active memory only.
    feed(model, "\x01");
    uploadLine(model, lineOf('\x01'));
    EXPECT_EQ(model.memoryLine(2, 0), lineOf('\x01'));
    EXPECT_NE(model.memoryLine(1, 0), lineOf('\x01'));
    feed(model, "\x20");
    const ConverterModel::Output out =
        model.receive(mode(ModeId::S1).statusByte, randomPicture(100, 50, 42));
    EXPECT_EQ(out.bytes, QByteArray(1, char(mode(ModeId::S1).statusByte)));
    EXPECT_EQ(model.memoryPicture(1).size(), QSize(420, 256));
    EXPECT_EQ(model.memoryLine(2, 0), lineOf('\x01'));
    EXPECT_EQ(model.sendStatus(kStatusWaitLonger).bytes, QByteArray(1, char(72)));

    QByteArray modes;
    for (const Mode& m : modeTable())
        modes += char(m.txByte);
    modes += char(mode(ModeId::R36).freeRunByte);
    modes += char(0xFE);
    EXPECT_TRUE(feed(model, modes).bytes.isEmpty());
    const QStringList events = model.events().mid(model.events().size() - 8);
    EXPECT_EQ(events, QStringList({"transmit Robot 36", "transmit Robot 72", "transmit Martin 1",
                                   "transmit Martin 2", "transmit Scottie 1", "transmit Scottie 2",
                                   "free run R36", "unknown byte 254 (0xfe)"}));
}

TEST(ConverterModel, ASilentConverterAnswersNothingButStillStoresLines) {
    ConverterModel model;
    feed(model, "\x01\x08");
    model.behaviour.silent = true;
    EXPECT_TRUE(feed(model, lineOf('\x03')).bytes.isEmpty());
    EXPECT_EQ(model.memoryLine(1, 0), lineOf('\x03'));
    EXPECT_TRUE(feed(model, "\x10\x01\x08\x04\x21").bytes.isEmpty());
    EXPECT_EQ(model.activeMemory(), 1); // not even plain commands are taken
    model.behaviour.silent = false;
    EXPECT_EQ(feed(model, "\x10").bytes.size(), 6);
}

TEST(ConverterModel, UploadFaultsWithholdTheirAcknowledges) {
    ConverterModel model;
    model.behaviour.ackBeginTransfer = false;
    EXPECT_TRUE(feed(model, "\x01").bytes.isEmpty());

    model.behaviour.ackBeginTransfer = true;
    model.behaviour.noLineAckFrom = 1;
    feed(model, "\x01");
    EXPECT_EQ(uploadLine(model, lineOf('\x01')).bytes, kLineAck);
    EXPECT_TRUE(uploadLine(model, lineOf('\x02')).bytes.isEmpty());
    EXPECT_EQ(model.memoryLine(1, 1), lineOf('\x02')); // stored all the same

    model.behaviour.noLineAckFrom = -1;
    model.behaviour.noLineFollowsAckFrom = 1;
    feed(model, "\x01");
    uploadLine(model, lineOf('\x05'));
    EXPECT_TRUE(feed(model, "\x08").bytes.isEmpty());
    EXPECT_FALSE(model.awaitingLineData()); // what follows are commands again
    EXPECT_EQ(feed(model, "\x10").bytes.size(), 6);
}

TEST(ConverterModel, FetchFaultsDropCutOrSilenceLines) {
    ConverterModel model;
    model.behaviour.droppedFetchLines = {2};
    model.behaviour.cutFetchLines = {{3, 420}, {4, 5000}};
    model.behaviour.silentFromFetchLine = 6;
    feed(model, "\x01");
    EXPECT_EQ(fetchLine(model).size(), 841);
    EXPECT_TRUE(fetchLine(model).isEmpty());
    const QByteArray cut = fetchLine(model);
    EXPECT_EQ(cut, model.memoryLine(1, 2).left(420));
    EXPECT_EQ(feed(model, "\x10").bytes.size(), 6); // still there after the cut
    EXPECT_EQ(fetchLine(model).size(), 841);        // a cut longer than the line cuts nothing
    EXPECT_EQ(fetchLine(model).left(840), model.memoryLine(1, 4));
    EXPECT_TRUE(fetchLine(model).isEmpty());
    EXPECT_TRUE(model.behaviour.silent);
    EXPECT_TRUE(feed(model, "\x10").bytes.isEmpty());
    EXPECT_TRUE(model.events().contains("line 2 dropped"));
    EXPECT_TRUE(model.events().contains("line 3 cut after 420 bytes"));
}

TEST(ConverterModel, GarbageComesBeforeEveryAnswerButNotBeforeStatusBytes) {
    ConverterModel model;
    model.behaviour.garbageBeforeAnswers = 3;
    const QByteArray garbage("\x55\x56\x57");
    EXPECT_EQ(feed(model, "\x10").bytes, garbage + "\x4C"
                                                   "ORB70");
    EXPECT_EQ(feed(model, "\x01").bytes, garbage + kAck);
    EXPECT_EQ(feed(model, "\x08").bytes, garbage + kAck);
    EXPECT_EQ(feed(model, lineOf('\x09')).bytes, garbage + kLineAck);
    EXPECT_EQ(fetchLine(model).left(3), garbage);
    EXPECT_EQ(model.sendStatus(68).bytes, QByteArray(1, char(68)));
    for (char byte : garbage) {
        EXPECT_NE(std::uint8_t(byte), kAcknowledge);
        EXPECT_FALSE(modeByStatus(std::uint8_t(byte)).has_value());
    }
}

TEST(ConverterModel, TheLineClosesAfterTheGivenNumberOfTransferLines) {
    ConverterModel model;
    model.behaviour.closeAfterLines = 2;
    feed(model, "\x01");
    EXPECT_FALSE(uploadLine(model, lineOf('\x01')).closed);
    const Answer second = uploadLine(model, lineOf('\x02'));
    EXPECT_EQ(second.bytes, kLineAck); // the acknowledge still goes out first
    EXPECT_TRUE(second.closed);
    // Fetched and dropped lines count as well; a new transfer counts from 0.
    model.behaviour.droppedFetchLines = {1};
    feed(model, "\x01");
    EXPECT_FALSE(feed(model, "\x04").closed);
    EXPECT_TRUE(feed(model, "\x04").closed);
    EXPECT_EQ(model.events().back(), "line closed in the middle of the transfer");
}

TEST(ConverterModel, ALineBrokenOffIsGivenUpAndBytesAreCommandsAgain) {
    ConverterModel model;
    feed(model, "\x01\x08");
    feed(model, lineOf('\x04').left(100));
    EXPECT_TRUE(model.giveUpLine().log.join("").contains("after 100 bytes"));
    EXPECT_FALSE(model.awaitingLineData());
    EXPECT_EQ(feed(model, "\x10").bytes.size(), 6);
    EXPECT_EQ(model.uploadedLines(), 0);
    EXPECT_TRUE(model.giveUpLine().log.isEmpty()); // nothing to give up
}
