// SPDX-License-Identifier: GPL-3.0-or-later
// The settings window's rules without the window, on an in-memory line with virtual time, against
// the simulated handheld's byte machine: what the opening reads and shows, the page commands, the
// texts and the function switches.
#include "handheld/HandheldController.h"
#include "handheld/HandheldTexts.h"
#include "link/TRecThread.h"
#include "support/MemoryPort.h"
#include "support/ScriptedDialogs.h"
#include "support/VirtualClock.h"
#include "tools/handheldsim/HandheldModel.h"

#include <gtest/gtest.h>

using namespace winorbis;
using namespace winorbis::test;
namespace ht = winorbis::handheldtext;
using Text = HandheldExchange::Text;

namespace {

QByteArray bytes(std::initializer_list<int> values) {
    QByteArray out;
    for (int v : values)
        out.append(char(v));
    return out;
}

class HandheldControllerTest : public ::testing::Test {
protected:
    HandheldControllerTest() {
        port.setResponder([this](std::uint8_t byte, MemoryPort& p) {
            const HandheldModel::Output out = handheld.take(byte);
            if (!out.bytes.isEmpty())
                p.arriveAfterEmptyReads(out.delayMs / HandheldModel::kReadMs, out.bytes);
        });
    }
    void preset(const QString& lines) {
        QString why;
        ASSERT_TRUE(handheld.applyAll(lines, &why)) << why.toStdString();
    }
    // The bytes written since the mark.
    QByteArray sentSince(qsizetype mark) const { return port.written().mid(mark); }
    const HandheldPanel::Page& page(int n) const {
        return controller.panel().pages[std::size_t(n - 1)];
    }

    HandheldModel handheld;
    VirtualClock clock;
    MemoryPort port{clock};
    ScriptedDialogs dialogs;
    HandheldData data;
    MonitorHold hold{nullptr};
    HandheldExchange exchange{port, dialogs, data, hold};
    int changes = 0;
    HandheldController controller{[this] { ++changes; }};
};

TEST(HandheldRules, CharacterFilterTakesCapitalsDigitsAndFewSigns) {
    EXPECT_EQ(filterText(QStringLiteral("dl1abc/p")), QStringLiteral("DL1ABC/P"));
    EXPECT_EQ(filterText(QStringLiteral("CQ de #1. -?!")), QStringLiteral("CQ DE 1 -?!"));
    // Letters outside A..Z, even where they have capitals, are dropped.
    EXPECT_EQ(filterText(QStringLiteral("\u00e4\u00dfz\t\u00c9")), QStringLiteral("Z"));
    EXPECT_FALSE(filterTextCharacter(QLatin1Char('#')));
    EXPECT_FALSE(filterTextCharacter(QLatin1Char('.')));
    EXPECT_EQ(maxTextLength(Text::CallSign), 8);
    EXPECT_EQ(maxTextLength(Text::Report), 10);
    EXPECT_EQ(maxTextLength(Text::Message), 9);
}

TEST(HandheldRules, FlagsKeepTheBitsNoControlShows) {
    HandheldFunctions f;
    f.takeFlags(0x96); // 1001 0110: bits 1, 2, 4, 7
    EXPECT_TRUE(f.afMonitor);
    EXPECT_TRUE(f.callDisplay);
    EXPECT_TRUE(f.powerSave);
    EXPECT_TRUE(f.fastFm);
    EXPECT_FALSE(f.variableInterval);
    EXPECT_FALSE(f.repeaterId);
    EXPECT_EQ(f.toFlags(0x96), 0x96);
    f.afMonitor = false;
    f.fastFm = false;
    f.repeaterId = true;
    // Bit 0 set for the monitor off, bit 4 cleared, bit 6 set; bits 3 and 7 as before.
    EXPECT_EQ(f.toFlags(0x96), 0xc7);
    EXPECT_EQ(f.toFlags(0x08), 0x4f);
}

TEST(HandheldRules, PageStatesFollowTheRecords) {
    std::array<PageRecord, handheldpage::kCount> records{};
    records[0].r = {255, 0, 0, 0};    // picture, r1 = 0 leaves page 2 alone
    records[1].r = {200, 55, 255, 0}; // picture, held
    records[3].r = {150, 105, 0, 0};  // r1 above 100: page 5 is unusable
    records[4].r = {0, 255, 0, 255};  // not looked at
    records[6].r = {7, 7, 0, 0};      // no picture
    records[9].r = {100, 155, 0, 0};  // the last page blocks nothing
    const auto states = pageStates(records);
    EXPECT_EQ(states[0], PageState::Picture);
    EXPECT_EQ(states[1], PageState::PictureHeld);
    EXPECT_EQ(states[2], PageState::Empty);
    EXPECT_EQ(states[3], PageState::Picture);
    EXPECT_EQ(states[4], PageState::Unusable);
    EXPECT_EQ(states[5], PageState::Empty);
    EXPECT_EQ(states[6], PageState::Empty);
    EXPECT_EQ(states[9], PageState::Picture);
    // An unusable page does not pass its own blocking on.
    records[4].r = {140, 115, 0, 0};
    EXPECT_EQ(pageStates(records)[5], PageState::Empty);
}

TEST_F(HandheldControllerTest, OpeningReadsFlagsBlockAndPagesAndShowsThemWithoutHolding) {
    // A hold box checked before keeps its mark on an empty page, and is unchecked on a free one.
    controller.holdChanged(exchange, 6, true);
    controller.holdChanged(exchange, 0, true);
    preset("flags 0x96\ncall DL1ABC Green\nticks 4000\n"
           "page 1 record 255 0 0 0\npage 2 record 200 55 255 0\n"
           "page 4 record 150 105 0 0\npage 5 record 0 255 0 255\npage 7 record 7 7 0 0");
    const qsizetype mark = port.written().size();
    dialogs.clear();

    controller.FormShow(exchange);
    EXPECT_TRUE(dialogs.texts().isEmpty()) << dialogs.texts().join('|').toStdString();
    QByteArray expected = bytes({16, 101});
    for (int i = 0; i < 10; ++i) {
        const auto address = handheldpage::addressBytes(handheldpage::statusAddress(i));
        expected += bytes({96, address[0], address[1], address[2], address[3], 3});
    }
    // The marks set while filling send no hold command.
    EXPECT_EQ(sentSince(mark), expected);

    const HandheldPanel& panel = controller.panel();
    EXPECT_TRUE(panel.status.isEmpty());
    EXPECT_TRUE(panel.functions.afMonitor);
    EXPECT_TRUE(panel.functions.callDisplay);
    EXPECT_TRUE(panel.functions.powerSave);
    EXPECT_TRUE(panel.functions.fastFm);
    EXPECT_FALSE(panel.functions.variableInterval);
    EXPECT_EQ(panel.functions.intervalSeconds, 60);
    EXPECT_EQ(panel.call.text, QStringLiteral("DL1ABC"));
    EXPECT_EQ(panel.call.colour, int(HandheldColour::Green));
    EXPECT_EQ(panel.report.colour, int(HandheldColour::Red));
    EXPECT_EQ(panel.message.colour, int(HandheldColour::Cyanic));
    EXPECT_FALSE(panel.call.setEnabled);
    EXPECT_FALSE(panel.funcSetEnabled);

    // 255 0 0 0: picture, not held.
    EXPECT_TRUE(page(1).storeEnabled && page(1).recallEnabled && page(1).holdEnabled);
    EXPECT_FALSE(page(1).holdChecked);
    // 200 55 255 0: held, Store disabled.
    EXPECT_TRUE(page(2).recallEnabled && page(2).holdEnabled && page(2).holdChecked);
    EXPECT_FALSE(page(2).storeEnabled);
    EXPECT_TRUE(page(3).storeEnabled);
    EXPECT_FALSE(page(3).recallEnabled || page(3).holdEnabled);
    EXPECT_TRUE(page(4).storeEnabled && page(4).recallEnabled);
    // Page 5 is unusable after page 4, whatever its own record says.
    EXPECT_FALSE(page(5).storeEnabled || page(5).recallEnabled || page(5).holdEnabled);
    EXPECT_FALSE(page(5).holdChecked);
    // 7 7 0 0: no picture; the old mark stays.
    EXPECT_TRUE(page(7).storeEnabled);
    EXPECT_FALSE(page(7).recallEnabled || page(7).holdEnabled);
    EXPECT_TRUE(page(7).holdChecked);
    EXPECT_FALSE(controller.FillingPages());
}

TEST_F(HandheldControllerTest, ColoursChosenStayAcrossOpenings) {
    controller.colourChosen(Text::Report, int(HandheldColour::Yellow));
    controller.FormShow(exchange);
    EXPECT_EQ(controller.panel().report.colour, int(HandheldColour::Yellow));
    EXPECT_EQ(controller.panel().message.colour, int(HandheldColour::Cyanic));
    // The handheld's call sign colour replaces the Blue of the first opening.
    EXPECT_EQ(controller.panel().call.colour, int(HandheldColour::Blue));
    preset("colour Magenta");
    controller.FormShow(exchange);
    EXPECT_EQ(controller.panel().call.colour, int(HandheldColour::Magenta));
    // A colour index beyond the table leaves the list as it is; an interval beyond the number
    // field's limits shows at the nearer end.
    preset("colour 9\nticks 65535");
    controller.FormShow(exchange);
    EXPECT_EQ(controller.panel().call.colour, int(HandheldColour::Magenta));
    EXPECT_EQ(controller.panel().functions.intervalSeconds, 960);
    preset("ticks 0");
    controller.FormShow(exchange);
    EXPECT_EQ(controller.panel().functions.intervalSeconds, 1);
}

TEST_F(HandheldControllerTest, AFailedReadStopsTheOpeningThere) {
    preset("call OLD1\npage 3 picture");
    controller.FormShow(exchange);
    ASSERT_TRUE(page(3).recallEnabled);

    // The block stops after 17 bytes: the new switches show, the old call sign stays, no page is
    // read, and Function Set stays enabled by the changed switches.
    preset("call NEW2\nflags 0x20\nblock-bytes 17\npage 3 empty");
    const qsizetype mark = port.written().size();
    dialogs.clear();
    controller.FormShow(exchange);
    EXPECT_EQ(dialogs.texts(), QStringList{ht::kInactiveCount + "17"});
    EXPECT_EQ(sentSince(mark), bytes({16, 101}));
    EXPECT_TRUE(controller.panel().functions.variableInterval);
    EXPECT_EQ(controller.panel().call.text, QStringLiteral("OLD1"));
    EXPECT_TRUE(controller.panel().funcSetEnabled);
    EXPECT_TRUE(page(3).recallEnabled);
    // A cut block is no answer to show: the window keeps its controls disabled.
    EXPECT_EQ(controller.panel().status, ht::kNoAnswer);
    EXPECT_FALSE(controller.panel().answered);

    // Silent from the start: nothing changes.
    preset("flags 0\nsilent on");
    dialogs.clear();
    controller.FormShow(exchange);
    EXPECT_EQ(dialogs.texts(), QStringList{ht::kInactiveCount + "1"});
    EXPECT_TRUE(controller.panel().functions.variableInterval);
    // The status line says why, and the window is told that nothing was read.
    EXPECT_EQ(controller.panel().status, ht::kNoAnswer);
    EXPECT_FALSE(controller.panel().answered);

    // A page that does not answer leaves every page as it was.
    preset("faults off\nflags 0x20\nlate 14 60");
    dialogs.clear();
    controller.FormShow(exchange);
    EXPECT_TRUE(controller.panel().answered);
    EXPECT_EQ(dialogs.texts(), QStringList{ht::kInactiveCount + "0"});
    EXPECT_EQ(controller.panel().call.text, QStringLiteral("NEW2"));
    EXPECT_TRUE(page(3).recallEnabled);
}

TEST_F(HandheldControllerTest, StoreAndRecallReportTheirOutcome) {
    preset("page 4 empty");
    controller.FormShow(exchange);
    ASSERT_FALSE(page(4).recallEnabled);
    changes = 0;
    qsizetype mark = port.written().size();
    controller.store(exchange, 3);
    EXPECT_EQ(sentSince(mark), bytes({35, 3}));
    // "Store to P4" was shown while the exchange ran.
    EXPECT_GE(changes, 1);
    EXPECT_EQ(controller.panel().status, QStringLiteral("Store to P4 Complete"));
    EXPECT_TRUE(page(4).recallEnabled && page(4).holdEnabled);
    EXPECT_TRUE(handheld.pages[3].holdsPicture());

    mark = port.written().size();
    controller.recall(exchange, 9);
    EXPECT_EQ(sentSince(mark), bytes({34, 9}));
    EXPECT_EQ(controller.panel().status, QStringLiteral("ReCall from P10 Complete"));

    preset("first-answer-only on");
    dialogs.clear();
    controller.store(exchange, 0);
    EXPECT_EQ(controller.panel().status, QStringLiteral("Store to P1 Incomplete"));
    EXPECT_EQ(dialogs.texts(), QStringList{ht::kInactiveAfterParameters});
    controller.recall(exchange, 1);
    EXPECT_EQ(controller.panel().status, QStringLiteral("ReCall from P2 Incomplete"));
}

TEST_F(HandheldControllerTest, HoldBoxHoldsAndReleasesAndSetsStoreWhateverTheOutcome) {
    preset("page 3 picture");
    controller.FormShow(exchange);
    qsizetype mark = port.written().size();
    controller.holdChanged(exchange, 2, true);
    EXPECT_EQ(sentSince(mark), bytes({33, 130, 97, 2, 4, 200, 10, 1, 0, 255}));
    EXPECT_EQ(controller.panel().status, QStringLiteral("P3 Hold Set Complete"));
    EXPECT_FALSE(page(3).storeEnabled);
    EXPECT_TRUE(handheld.pages[2].isHeld());

    // No change of the mark, no command.
    mark = port.written().size();
    controller.holdChanged(exchange, 2, true);
    EXPECT_TRUE(sentSince(mark).isEmpty());

    // A release that fails still enables Store.
    preset("silent on");
    dialogs.clear();
    controller.holdChanged(exchange, 2, false);
    EXPECT_EQ(sentSince(mark), bytes({33}));
    EXPECT_EQ(dialogs.texts(), QStringList{ht::kInactive});
    EXPECT_EQ(controller.panel().status, QStringLiteral("P3 Hold Reset Incomplete"));
    EXPECT_TRUE(page(3).storeEnabled);
    EXPECT_FALSE(page(3).holdChecked);

    preset("silent off");
    mark = port.written().size();
    controller.holdChanged(exchange, 2, true);
    controller.holdChanged(exchange, 2, false);
    EXPECT_EQ(sentSince(mark).right(10), bytes({33, 2, 97, 2, 4, 200, 10, 1, 0, 0}));
    EXPECT_EQ(controller.panel().status, QStringLiteral("P3 Hold Reset Complete"));
    EXPECT_FALSE(handheld.pages[2].isHeld());
}

TEST_F(HandheldControllerTest, TextsAreSentWithTheirColoursAndEnableTheirButtons) {
    controller.FormShow(exchange);
    // An empty report or message is refused with a box and sends nothing.
    qsizetype mark = port.written().size();
    controller.sendText(exchange, Text::Report);
    controller.sendText(exchange, Text::Message);
    EXPECT_EQ(dialogs.texts(), (QStringList{ht::kNoReport, ht::kNoMessage}));
    EXPECT_TRUE(sentSince(mark).isEmpty());

    controller.textChanged(Text::Message, QStringLiteral("CQ"));
    EXPECT_TRUE(controller.panel().message.setEnabled);
    controller.colourChosen(Text::Message, int(HandheldColour::Red));
    controller.sendText(exchange, Text::Message);
    EXPECT_EQ(sentSince(mark), bytes({22, 2, 67, 81, 5}));
    EXPECT_EQ(controller.panel().status, ht::kMessageSetComplete);
    EXPECT_TRUE(controller.panel().message.setEnabled);
    EXPECT_EQ(handheld.message, QStringLiteral("CQ"));

    // The call sign's button is enabled by the text and by a colour chosen while there is text,
    // and disabled by a call sign set.
    controller.textChanged(Text::CallSign, QString());
    EXPECT_FALSE(controller.panel().call.setEnabled);
    controller.colourChosen(Text::CallSign, int(HandheldColour::White));
    EXPECT_FALSE(controller.panel().call.setEnabled);
    controller.textChanged(Text::CallSign, QStringLiteral("DL1ABC"));
    controller.sendText(exchange, Text::CallSign);
    EXPECT_EQ(controller.panel().status, ht::kCallSignSetComplete);
    EXPECT_FALSE(controller.panel().call.setEnabled);
    controller.colourChosen(Text::CallSign, int(HandheldColour::Black));
    EXPECT_TRUE(controller.panel().call.setEnabled);

    // The report waits up to 101 reads for its first answer.
    controller.textChanged(Text::Report, QStringLiteral("599"));
    preset("late 1 100");
    mark = port.written().size();
    controller.sendText(exchange, Text::Report);
    EXPECT_EQ(sentSince(mark), bytes({20, 3, '5', '9', '9', 5}));
    EXPECT_EQ(controller.panel().status, ht::kReportSetComplete);
    preset("late 1 101");
    dialogs.clear();
    controller.sendText(exchange, Text::Report);
    EXPECT_EQ(controller.panel().status, ht::kReportSetIncomplete);
    EXPECT_EQ(dialogs.texts(), QStringList{ht::kInactive});
}

TEST_F(HandheldControllerTest, EveryRecordGoesOutInOneWrite) {
    controller.FormShow(exchange);
    controller.holdChanged(exchange, 2, true);
    controller.textChanged(Text::Report, QStringLiteral("59"));
    controller.sendText(exchange, Text::Report);
    controller.FunctionSet(exchange);
    const QList<QByteArray> calls = port.writeCalls();
    // The opening: two command bytes, then the status requests of the ten pages.
    ASSERT_GE(calls.size(), 2 + 20);
    for (int i = 0; i < 10; ++i) {
        const auto address = handheldpage::addressBytes(handheldpage::statusAddress(i));
        EXPECT_EQ(calls[2 + 2 * i + 1], bytes({address[0], address[1], address[2], address[3], 3}));
    }
    EXPECT_EQ(calls.mid(22), (QList<QByteArray>{bytes({33}), bytes({130}), bytes({97}),
                                                bytes({2, 4, 200, 10, 1, 0, 255}), bytes({20}),
                                                bytes({2, '5', '9', 5}), bytes({19}), bytes({0}),
                                                bytes({24}), bytes({15, 160})}));
}

TEST_F(HandheldControllerTest, FunctionSetWritesFlagsThenTheInterval) {
    preset("flags 0x88\nticks 4000");
    controller.FormShow(exchange);
    EXPECT_FALSE(controller.panel().funcSetEnabled);
    HandheldFunctions f = controller.panel().functions;
    f.powerSave = true;
    f.intervalSeconds = 960;
    controller.functionsChanged(f);
    EXPECT_TRUE(controller.panel().funcSetEnabled);

    qsizetype mark = port.written().size();
    controller.FunctionSet(exchange);
    // Bits 3 and 7 as read; 960 s are 64000 ticks.
    EXPECT_EQ(sentSince(mark), bytes({19, 0x8c, 24, 250, 0}));
    EXPECT_EQ(controller.panel().status, QStringLiteral("Function Set Compleat"));
    EXPECT_FALSE(controller.panel().funcSetEnabled);
    EXPECT_EQ(handheld.flags, 0x8c);

    // Flags that are not taken: no interval, Function Set stays enabled.
    controller.functionsChanged(HandheldFunctions{});
    preset("silent on");
    mark = port.written().size();
    controller.FunctionSet(exchange);
    EXPECT_EQ(sentSince(mark), bytes({19}));
    EXPECT_EQ(controller.panel().status, QStringLiteral("Function Set Incompleat"));
    EXPECT_TRUE(controller.panel().funcSetEnabled);
}

} // namespace
