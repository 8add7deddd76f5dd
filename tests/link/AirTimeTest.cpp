// SPDX-License-Identifier: GPL-3.0-or-later
#include "link/AirTime.h"
#include "link/LinkTexts.h"
#include "support/VirtualClock.h"

#include <QStringList>

#include <gtest/gtest.h>

#include <utility>
#include <vector>

using namespace winorbis;
using namespace winorbis::test;

namespace {

// The fixture stands in for the progress bar and the status line.
struct AirTimeFixture : ::testing::Test, AirTimeView {
    VirtualClock clock;
    std::vector<std::pair<int, int>> progress;
    QStringList status;
    AirTime air{clock, *this};

    void showAirTime(int position, int maximum) override {
        progress.emplace_back(position, maximum);
    }
    void showStatus(const QString& text) override { status << text; }
};

} // namespace

TEST_F(AirTimeFixture, AReceptionCountsItsTimeAndStaysFullUntilItsFetch) {
    air.startReception(115000); // Martin 1
    EXPECT_EQ(progress.back(), std::make_pair(0, 1150));
    clock.advance(57500);
    EXPECT_EQ(progress.back(), std::make_pair(575, 1150));
    clock.advance(60000);
    EXPECT_EQ(progress.back(), std::make_pair(1150, 1150));
    EXPECT_TRUE(air.running());
    EXPECT_TRUE(status.isEmpty());
    air.stop(); // the fetch begins
    EXPECT_EQ(progress.back(), std::make_pair(0, 1150));
    const std::size_t ticks = progress.size();
    clock.advance(5000);
    EXPECT_EQ(progress.size(), ticks);
}

TEST_F(AirTimeFixture, ATransmissionEndsByItselfWithItsText) {
    air.startTransmission(37000); // Robot 36
    clock.advance(20000);
    EXPECT_TRUE(air.transmitting());
    EXPECT_EQ(progress.back(), std::make_pair(200, 370));
    clock.advance(17250);
    EXPECT_FALSE(air.running());
    EXPECT_EQ(progress.back(), std::make_pair(370, 370));
    EXPECT_EQ(status, QStringList({linktext::kTransmissionEnded}));
    // A reception announced meanwhile takes the progress over without the ended text.
    air.startTransmission(37000);
    clock.advance(10000);
    air.startReception(73000);
    clock.advance(40000);
    EXPECT_EQ(status.size(), 1);
    EXPECT_EQ(progress.back(), std::make_pair(400, 730));
}

TEST(ConverterField, NamesTheKindThePortAndTheState) {
    using linktext::ConverterPresence;
    EXPECT_EQ(
        linktext::converterField("serial device", "/dev/ttyUSB0", ConverterPresence::Connected),
        "Serial device /dev/ttyUSB0: connected");
    EXPECT_EQ(linktext::converterField("network port", "shack:3001", ConverterPresence::Lost),
              "Network port shack:3001: lost, reconnecting");
    EXPECT_EQ(linktext::converterField("simulated converter", "", ConverterPresence::NotAnswering),
              "Simulated converter: no answer");
}
