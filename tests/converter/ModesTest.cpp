// SPDX-License-Identifier: GPL-3.0-or-later
#include "converter/Modes.h"
#include "link/LinkState.h"
#include "link/LinkTexts.h"

#include <gtest/gtest.h>

using namespace winorbis;

TEST(Modes, HoldsTheSixModesWithTheirBytesStatesWaitsAndItems) {
    struct Row {
        const char* display;
        int tx, freeRun, status, state, waitMs, item;
    };
    const Row rows[] = {
        {"Robot 36", 62, 49, 136, 3, 37000, 0},  {"Robot 72", 61, 57, 12, 2, 73000, 1},
        {"Martin 1", 56, 58, 172, 6, 115000, 2}, {"Martin 2", 48, 51, 40, 7, 59000, 3},
        {"Scottie 1", 53, 60, 60, 5, 111000, 4}, {"Scottie 2", 54, 52, 184, 4, 73000, 5}};
    ASSERT_EQ(boxModeRows().size(), 6u);
    for (std::size_t i = 0; i < 6; ++i) {
        const Mode& m = boxModeRows()[i];
        EXPECT_EQ(m.name, rows[i].display);
        EXPECT_EQ(m.box->txByte, rows[i].tx);
        EXPECT_EQ(m.box->freeRunByte, rows[i].freeRun);
        EXPECT_EQ(m.box->statusByte, rows[i].status);
        EXPECT_EQ(int(announcedState(m.id).value_or(LinkState::Idle)), rows[i].state);
        EXPECT_EQ(m.box->receiveWaitMs, rows[i].waitMs);
        EXPECT_EQ(int(m.id), rows[i].item); // the repeater list's item
        EXPECT_EQ(modeByStatus(m.box->statusByte), ModeId(i));
        EXPECT_EQ(modeByLinkState(LinkState(rows[i].state)), ModeId(i));
        EXPECT_EQ(modeByName(m.shortName), ModeId(i));
        EXPECT_EQ(modeByName(m.name.toUpper()), ModeId(i));
    }
    // The other modes have no box bytes and no state of the box's monitor.
    for (const Mode& m : modes().subspan(kBoxModeCount)) {
        EXPECT_FALSE(m.box) << m.shortName.toStdString();
        EXPECT_FALSE(announcedState(m.id)) << m.shortName.toStdString();
    }
}

TEST(Modes, ReceptionWaitsFollowTheStatusByte) {
    EXPECT_EQ(receiveWaitMs(136), 37000);
    EXPECT_EQ(receiveWaitMs(12), 73000);
    EXPECT_EQ(receiveWaitMs(184), 73000);
    EXPECT_EQ(receiveWaitMs(172), 115000);
    EXPECT_EQ(receiveWaitMs(40), 59000);
    EXPECT_EQ(receiveWaitMs(60), 111000);
    EXPECT_EQ(receiveWaitMs(68), 1000000);
    EXPECT_EQ(receiveWaitMs(72), 1040000);
    for (int other : {0, 1, 74, 76, 128, 194, 196, 255})
        EXPECT_EQ(receiveWaitMs(std::uint8_t(other)), 1000) << other;
}

TEST(Modes, StatusTextsAreTheOperatorsExactWords) {
    EXPECT_EQ(linktext::announceText(mode(ModeId::Robot72).name),
              " Mode Robot 72, stopped use the Button \" RX Stop \" ");
    EXPECT_EQ(linktext::repeaterText(mode(ModeId::Scottie2)),
              " Senden in Scottie 2, stopped the transfer with the \" RX \" Button on the remote "
              "maintenance");
    EXPECT_EQ(linktext::transmitText(mode(ModeId::Martin2)),
              "Send in Martin 2, stopped the transfer with the \" RX \" Button on the remote "
              "maintenance");
    EXPECT_EQ(linktext::freeRunText(mode(ModeId::Robot36)),
              "Free Run Mode R36, stopped use the Button \" RX Stop \" ");
    // Martin 1 and Scottie 1 end without the closing blank.
    EXPECT_EQ(linktext::freeRunText(mode(ModeId::Martin1)),
              "Free Run Mode M1, stopped use the Button \" RX Stop \"");
    EXPECT_EQ(linktext::freeRunText(mode(ModeId::Scottie1)),
              "Free Run Mode S1, stopped use the Button \" RX Stop \"");
}

TEST(Modes, TheHiddenTxModeItemFollowsTheConvertersKind) {
    EXPECT_EQ(txModeItemForStatus(76), 1);  // "M2"
    EXPECT_EQ(txModeItemForStatus(194), 2); // "S1"
    EXPECT_EQ(txModeItemForStatus(196), 3); // "R36"
    for (int other : {0, 74, 90, 92, 172, 255})
        EXPECT_EQ(txModeItemForStatus(std::uint8_t(other)), 0) << other; // "M1"
}
