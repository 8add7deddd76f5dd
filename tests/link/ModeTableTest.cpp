// SPDX-License-Identifier: GPL-3.0-or-later
#include "link/ModeTable.h"

#include <gtest/gtest.h>

using namespace winorbis;

TEST(ModeTable, HoldsTheSixModesWithTheirBytesStatesWaitsAndItems) {
    struct Row {
        const char* display;
        const char* button;
        int tx, freeRun, status, state, waitMs, item;
    };
    const Row rows[] = {{"Robot 36", "R 36", 62, 49, 136, 3, 37000, 0},
                        {"Robot 72", "R 72", 61, 57, 12, 2, 73000, 1},
                        {"Martin 1", "M 1", 56, 58, 172, 6, 115000, 2},
                        {"Martin 2", "M 2", 48, 51, 40, 7, 59000, 3},
                        {"Scottie 1", "S 1", 53, 60, 60, 5, 111000, 4},
                        {"Scottie 2", "S 2", 54, 52, 184, 4, 73000, 5}};
    ASSERT_EQ(modeTable().size(), 6u);
    for (std::size_t i = 0; i < 6; ++i) {
        const Mode& m = modeTable()[i];
        EXPECT_EQ(m.displayName, rows[i].display);
        EXPECT_EQ(m.buttonText, rows[i].button);
        EXPECT_EQ(m.txByte, rows[i].tx);
        EXPECT_EQ(m.freeRunByte, rows[i].freeRun);
        EXPECT_EQ(m.statusByte, rows[i].status);
        EXPECT_EQ(int(m.linkState), rows[i].state);
        EXPECT_EQ(m.receiveWaitMs, rows[i].waitMs);
        EXPECT_EQ(m.repeaterItem, rows[i].item);
        EXPECT_EQ(modeByStatus(m.statusByte), ModeId(i));
        EXPECT_EQ(modeByLinkState(m.linkState), ModeId(i));
        EXPECT_EQ(modeByName(m.shortName), ModeId(i));
    }
}

TEST(ModeTable, ReceptionWaitsFollowTheStatusByte) {
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

TEST(ModeTable, StatusTextsAreTheOperatorsExactWords) {
    EXPECT_EQ(mode(ModeId::R72).announceText,
              " Mode Robot 72, stopped use the Button \" RX Stop \" ");
    EXPECT_EQ(mode(ModeId::S2).repeaterText,
              " Senden in Scottie 2, stopped the transfer with the \" RX \" Button on the remote "
              "maintenance");
    EXPECT_EQ(mode(ModeId::M2).transmitText,
              "Send in Martin 2, stopped the transfer with the \" RX \" Button on the remote "
              "maintenance");
    EXPECT_EQ(mode(ModeId::R36).freeRunText,
              "Free Run Mode R36, stopped use the Button \" RX Stop \" ");
    // Martin 1 and Scottie 1 end without the closing blank.
    EXPECT_EQ(mode(ModeId::M1).freeRunText,
              "Free Run Mode M1, stopped use the Button \" RX Stop \"");
    EXPECT_EQ(mode(ModeId::S1).freeRunText,
              "Free Run Mode S1, stopped use the Button \" RX Stop \"");
}

TEST(ModeTable, TheHiddenTxModeItemFollowsTheConvertersKind) {
    EXPECT_EQ(txModeItemForStatus(76), 1);  // "M2"
    EXPECT_EQ(txModeItemForStatus(194), 2); // "S1"
    EXPECT_EQ(txModeItemForStatus(196), 3); // "R36"
    for (int other : {0, 74, 90, 92, 172, 255})
        EXPECT_EQ(txModeItemForStatus(std::uint8_t(other)), 0) << other; // "M1"
}
