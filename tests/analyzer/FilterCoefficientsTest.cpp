// SPDX-License-Identifier: GPL-3.0-or-later
// Reading the low-pass filter from the layout's list entries written with a decimal comma.
#include "analyzer/FilterCoefficients.h"
#include "analyzer/AnalyzerTexts.h"

#include <QLocale>

#include <clocale>
#include <gtest/gtest.h>
#include <string>

using namespace winorbis;

namespace {

void expectLayoutFilter(const FilterCoefficients& f) {
    ASSERT_EQ(f.count, 36);
    EXPECT_EQ(f.c[0], 0.0f);
    EXPECT_EQ(f.c[1], 0.00506761234978022f);
    EXPECT_EQ(f.c[4], -0.004247279662437f);
    EXPECT_EQ(f.c[17], 0.241241183038699f);
    EXPECT_EQ(f.c[18], 0.274945667472422f);
    for (int k = 1; k <= 36; ++k)
        EXPECT_EQ(f.c[std::size_t(k)], f.c[std::size_t(37 - k)]) << "k = " << k;
    for (std::size_t k = 37; k < f.c.size(); ++k)
        ASSERT_EQ(f.c[k], 0.0f) << "k = " << k;
}

// Switches the C and Qt locales to German (decimal comma, point as group separator) for one test.
class GermanLocale {
public:
    GermanLocale()
        : qtBefore_(QLocale()) {
        if (const char* before = std::setlocale(LC_ALL, nullptr))
            cBefore_ = before;
        for (const char* name : {"de_DE.UTF-8", "de_DE.utf8", "de_DE"})
            if (std::setlocale(LC_ALL, name))
                break;
        QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
    }
    ~GermanLocale() {
        std::setlocale(LC_ALL, cBefore_.c_str());
        QLocale::setDefault(qtBefore_);
    }

private:
    QLocale qtBefore_;
    std::string cBefore_ = "C";
};

} // namespace

TEST(FilterCoefficients, LayoutEntriesGiveTheSymmetric36TapFilter) {
    QString error;
    const auto filter = readFilterCoefficients(filterDaten1Texts(), &error);
    ASSERT_TRUE(filter) << error.toStdString();
    expectLayoutFilter(*filter);
}

TEST(FilterCoefficients, GermanLocaleReadsTheSameValues) {
    const GermanLocale german;
    ASSERT_EQ(QLocale().decimalPoint(), QStringLiteral(","));
    const auto filter = readFilterCoefficients(filterDaten1Texts());
    ASSERT_TRUE(filter);
    expectLayoutFilter(*filter);
    // A point is no decimal separator here, and no group separator either.
    EXPECT_FALSE(commaDecimalToDouble(QStringLiteral("1.000")));
    EXPECT_EQ(commaDecimalToDouble(QStringLiteral("1,5")), 1.5);
}

TEST(FilterCoefficients, CommaDecimalTexts) {
    EXPECT_EQ(commaDecimalToDouble(QStringLiteral("0,25")), 0.25);
    EXPECT_EQ(commaDecimalToDouble(QStringLiteral(" -0,5 ")), -0.5);
    EXPECT_EQ(commaDecimalToDouble(QStringLiteral("2")), 2.0);
    EXPECT_EQ(commaDecimalToDouble(QStringLiteral("-1,5E-3")), -1.5e-3);
    for (const char* bad : {"0.25", "", "abc", "1,2,3", "1 000", ",", "0,5x"})
        EXPECT_FALSE(commaDecimalToDouble(QString::fromLatin1(bad))) << bad;
}

TEST(FilterCoefficients, OnlyTheCountedEntriesAreRead) {
    const QStringList texts = {QStringLiteral("2"), QStringLiteral("0,5"), QStringLiteral("-0,25"),
                               QStringLiteral("not read")};
    const auto filter = readFilterCoefficients(texts);
    ASSERT_TRUE(filter);
    EXPECT_EQ(filter->count, 2);
    EXPECT_EQ(filter->c[1], 0.5f);
    EXPECT_EQ(filter->c[2], -0.25f);
    EXPECT_EQ(filter->c[3], 0.0f);
}

TEST(FilterCoefficients, BadListsAreRefusedWithAMessage) {
    QString error;
    EXPECT_FALSE(readFilterCoefficients(
        {QStringLiteral("3"), QStringLiteral("0,1"), QStringLiteral("0.2"), QStringLiteral("0,3")},
        &error));
    EXPECT_EQ(error, analyzertexts::notANumber(QStringLiteral("0.2")));
    EXPECT_EQ(error, QStringLiteral("'0.2' is not a valid floating point value"));

    EXPECT_FALSE(readFilterCoefficients({QStringLiteral("3"), QStringLiteral("0,1")}, &error));
    EXPECT_EQ(error, analyzertexts::badTapCount(3));

    EXPECT_FALSE(readFilterCoefficients({QStringLiteral("513")}, &error));
    EXPECT_EQ(error, analyzertexts::badTapCount(513));

    EXPECT_FALSE(readFilterCoefficients({QStringLiteral("36,0")}, &error));
    EXPECT_EQ(error, analyzertexts::notAnInteger(QStringLiteral("36,0")));

    EXPECT_FALSE(readFilterCoefficients({}, &error));
}
