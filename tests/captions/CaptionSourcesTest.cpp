// SPDX-License-Identifier: GPL-3.0-or-later
#include "captions/CaptionSources.h"

#include "settings/SettingsCodec.h"

#include <gtest/gtest.h>

using namespace winorbis;
using namespace winorbis::captions;

TEST(ContestNumber, IsPaddedToThreeDigitsAndCountsDownNotBelowOne) {
    EXPECT_EQ(paddedContest(7), "007");
    EXPECT_EQ(paddedContest(42), "042");
    EXPECT_EQ(paddedContest(123), "123");
    EXPECT_EQ(paddedContest(1234), "1234");
    EXPECT_EQ(paddedContest(10000), "10000");
    EXPECT_EQ(contestDown(1), 1);
    EXPECT_EQ(contestDown(2), 1);
}

TEST(ContestNumber, TakesADroppedDecimalNumberCappedAt9999) {
    EXPECT_EQ(contestFromText("12"), 12);
    EXPECT_EQ(contestFromText(" 12 "), 12);
    EXPECT_EQ(contestFromText("123456"), 9999);
    EXPECT_EQ(contestFromText("99999999999999999999"), std::nullopt);
    EXPECT_EQ(contestFromText("DL1ABC"), std::nullopt);
    EXPECT_EQ(contestFromText(""), std::nullopt);
    EXPECT_EQ(contestFromText("0x10"), std::nullopt);
}

TEST(StandardTexts, TakeACopyOfTheCaptionFontAndColours) {
    Settings settings = Settings::defaults(QStringLiteral("DejaVu Sans"));
    settings.callsignFont.weight = kBold;
    settings.callsignFont.italic = 1;
    settings.callsignFont.escapement = 300;
    settings.callsignFont.textColour = colours::clYellow;
    settings.callsignFont.shadowColour = colours::clNavy;
    storeStandardText(settings, 3, QStringLiteral("TNX QSO"));
    const FontBlock& block = settings.standardTexts[2];
    EXPECT_EQ(block.text, "TNX QSO");
    EXPECT_EQ(block.weight, 700);
    EXPECT_EQ(block.italic, 1);
    EXPECT_EQ(block.escapement, 300);
    EXPECT_EQ(block.textColour, colours::clYellow);
    EXPECT_EQ(block.shadowColour, colours::clNavy);
    const CaptionStyle style = standardTextStyle(settings, 3);
    EXPECT_EQ(style.font.escapement, 300);
    EXPECT_EQ(style.textColour, colours::clYellow);
    // Later changes of the caption font leave the stored text alone.
    settings.callsignFont.escapement = 0;
    EXPECT_EQ(standardTextStyle(settings, 3).font.escapement, 300);
    EXPECT_EQ(settings.standardTexts[3].text, "Message4");
}

TEST(StandardTexts, KeepCharactersTheSettingsFileCannotHoldAsQuestionMarks) {
    Settings settings = Settings::defaults(QStringLiteral("DejaVu Sans"));
    storeStandardText(settings, 1, QStringLiteral("73 € 大家\nnext"));
    const QByteArray file = SettingsCodec::serialize(settings);
    const QList<QByteArray> lines = file.split('\n');
    ASSERT_EQ(lines.size(), 586); // 585 lines, each ended by CR LF
    EXPECT_EQ(lines[25], QByteArray("73 \x80 ?? next\r"));
}
