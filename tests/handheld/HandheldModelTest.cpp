// SPDX-License-Identifier: GPL-3.0-or-later
// The simulated handheld's byte machine: its answers line up with the program's reads, its
// presets and its faults.
#include "tools/handheldsim/HandheldModel.h"
#include "handheld/HandheldExchange.h"

#include <gtest/gtest.h>

using namespace winorbis;

namespace {

QByteArray bytes(std::initializer_list<int> values) {
    QByteArray out;
    for (int v : values)
        out.append(char(v));
    return out;
}

// Feeds the bytes and returns what came back, one entry per byte that brought an answer.
QList<QByteArray> feed(HandheldModel& model, const QByteArray& in) {
    QList<QByteArray> answers;
    for (const char c : in) {
        const auto out = model.take(std::uint8_t(c));
        if (!out.bytes.isEmpty())
            answers << out.bytes;
    }
    return answers;
}

TEST(HandheldModel, AnswersEveryCommandAsTheExchangeReadsIt) {
    HandheldModel model;
    ASSERT_TRUE(model.apply("flags 0x55", nullptr));
    // Two flag bytes (the second counts) and one to drop.
    EXPECT_EQ(feed(model, bytes({16})), QList<QByteArray>{bytes({16, 0x55, 0})});
    // The block and one byte to drop.
    const auto block = feed(model, bytes({101}));
    ASSERT_EQ(block.size(), 1);
    EXPECT_EQ(block[0].size(), 65);
    // Store: the command, then the page index with one byte to drop.
    EXPECT_EQ(feed(model, bytes({35, 4})), (QList<QByteArray>{bytes({6}), bytes({6, 0})}));
    EXPECT_TRUE(model.pages[4].holdsPicture());
    // Hold of page 5 and its record.
    EXPECT_EQ(feed(model, bytes({33, 132, 97, 2, 5, 144, 10, 1, 0, 255})).size(), 4);
    EXPECT_TRUE(model.pages[4].isHeld());
    // A held page takes no picture.
    model.pages[4].r[0] = 0;
    feed(model, bytes({35, 4}));
    EXPECT_FALSE(model.pages[4].holdsPicture());
    // The page status: four record bytes and two to drop.
    EXPECT_EQ(feed(model, bytes({96, 2, 5, 144, 8, 3})),
              (QList<QByteArray>{bytes({6}), bytes({0, 0, 0, 255, 0, 0})}));
    // Texts: answered after the colour byte, whatever their length.
    EXPECT_EQ(feed(model, bytes({21, 6, 'D', 'L', '1', 'A', 'B', 'C', 3})).size(), 2);
    EXPECT_EQ(feed(model, bytes({20, 0, 5})).size(), 2);
    HandheldData data;
    data.HandheldBlock = model.block;
    EXPECT_EQ(data.callSign(), QStringLiteral("DL1ABC"));
    EXPECT_EQ(data.callColour(), 3);
    feed(model, bytes({24, 15, 160, 19, 0x17}));
    data.HandheldBlock = model.block;
    EXPECT_EQ(data.intervalTicks(), 4000);
    EXPECT_EQ(model.flags, 0x17);
    // A byte that is no command is not answered.
    EXPECT_TRUE(feed(model, bytes({200})).isEmpty());
}

TEST(HandheldModel, FaultsCutAndDelayTheAnswers) {
    HandheldModel model;
    ASSERT_TRUE(model.apply("first-answer-only on", nullptr));
    EXPECT_EQ(feed(model, bytes({34, 1})), QList<QByteArray>{bytes({6})});
    EXPECT_EQ(feed(model, bytes({16})), QList<QByteArray>{bytes({16})});
    ASSERT_TRUE(model.applyAll("faults off\nblock-bytes 17", nullptr));
    EXPECT_EQ(feed(model, bytes({101}))[0].size(), 17);
    ASSERT_TRUE(model.apply("late 2 150", nullptr));
    EXPECT_EQ(model.take(35).delayMs, 0);
    EXPECT_EQ(model.take(0).delayMs, 150 * HandheldModel::kReadMs);
    ASSERT_TRUE(model.apply("silent on", nullptr));
    EXPECT_TRUE(feed(model, bytes({16, 101, 35, 0})).isEmpty());
    // Still keeps what it is told while silent.
    feed(model, bytes({19, 9}));
    EXPECT_EQ(model.flags, 9);
}

TEST(HandheldModel, AnUnfinishedCommandIsForgottenWhenTheLineFallsQuiet) {
    HandheldModel model;
    feed(model, bytes({96, 2, 4}));
    EXPECT_TRUE(model.awaitingParameters());
    model.lineQuiet();
    EXPECT_EQ(feed(model, bytes({16})).size(), 1);
}

TEST(HandheldModel, PresetsSetPagesBlockAndFlagsAndRefuseWhatTheyCannotTake) {
    HandheldModel model;
    ASSERT_TRUE(model.applyAll("# a station\n\ncall dk0xyz blue\ninterval 960\n"
                               "page 1 picture held\npage 4 large\npage 10 record 1 2 3 4\n",
                               nullptr));
    EXPECT_TRUE(model.pages[0].holdsPicture() && model.pages[0].isHeld());
    EXPECT_TRUE(model.pages[3].blocksNextPage());
    EXPECT_EQ(model.pages[9].r, (std::array<std::uint8_t, 4>{1, 2, 3, 4}));
    EXPECT_TRUE(model.describe().contains(QStringLiteral("call dk0xyz Blue")));
    EXPECT_TRUE(model.describe().contains(QStringLiteral("ticks 64000")));

    QString why;
    EXPECT_FALSE(model.applyAll("flags 1\npage 11 picture", &why));
    EXPECT_EQ(why, QStringLiteral("line 2: page takes 1 to 10"));
    for (const char* bad :
         {"call TOOLONGCALL", "colour Purple", "interval 0", "flags 256", "page 2 picture kept",
          "page 2 record 1 2 3", "late 0 5", "silent maybe", "block-bytes 70", "transmit"})
        EXPECT_FALSE(model.apply(QString::fromLatin1(bad), nullptr)) << bad;
}

} // namespace
