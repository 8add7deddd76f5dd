// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/CodePage.h"

#include <gtest/gtest.h>

using namespace winorbis;

TEST(CodePage, EveryByteSurvivesARoundTrip) {
    QByteArray all;
    for (int b = 0; b < 256; ++b)
        all.append(char(b));
    EXPECT_EQ(toWinLatin(fromWinLatin(all)), all);
}

TEST(CodePage, ReadsTheWindowsCharactersOfExistingFiles) {
    // "Grüße €5 – ok" as Windows writes it.
    const QByteArray bytes("Gr\xFC\xDF"
                           "e \x80"
                           "5 \x96 ok");
    EXPECT_EQ(fromWinLatin(bytes), QString::fromUtf8("Grüße €5 – ok"));
    EXPECT_EQ(toWinLatin(QString::fromUtf8("Grüße €5 – ok")), bytes);
}

TEST(CodePage, WritesAQuestionMarkForCharactersTheCodePageLacks) {
    EXPECT_EQ(toWinLatin(QString::fromUtf8("DL1ABC ✓ Ж")), QByteArray("DL1ABC ? ?"));
}
