// SPDX-License-Identifier: GPL-3.0-or-later
// The string helpers in a single-byte code page and under the double-byte code pages.
#include "vexcore/vexcore.h"

#include "tests/vexcore/CodePageScope.h"

#include <gtest/gtest.h>

#include <array>
#include <cstring>
#include <string>

using winorbis::test::CodePageScope;

namespace {

struct Trimmed {
    std::string text;
    int result;
};

Trimmed cutBack(const char* input) {
    std::array<char, 64> buffer{};
    std::strcpy(buffer.data(), input);
    const int result = CutBackSpace(buffer.data());
    return {buffer.data(), result};
}

Trimmed cutFront(const char* input) {
    std::array<char, 64> buffer{};
    std::strcpy(buffer.data(), input);
    const int result = CutFrontSpace(buffer.data());
    return {buffer.data(), result};
}

std::string setTerm(const char* input) {
    std::array<char, 64> buffer{};
    std::strcpy(buffer.data(), input);
    SetTermYEN(buffer.data());
    return buffer.data();
}

std::string cutTerm(const char* input) {
    std::array<char, 64> buffer{};
    std::strcpy(buffer.data(), input);
    CutTermYEN(buffer.data());
    return buffer.data();
}

// The copy helpers write into a guarded buffer so a write past count + 1 bytes shows.
struct Copied {
    std::string text;
    int result;
};

template <typename F> Copied copyWith(int count, F&& copy) {
    std::array<char, 64> buffer;
    buffer.fill('#');
    const int result = copy(buffer.data());
    const std::size_t length = std::strlen(buffer.data());
    const std::size_t limit = count > 0 ? std::size_t(count) : 0;
    EXPECT_LE(length, limit);
    for (std::size_t i = length + 1; i < buffer.size(); ++i)
        EXPECT_EQ(buffer[i], '#') << "written past the terminating zero at " << i;
    return {buffer.data(), result};
}

Copied left(const char* source, int count) {
    return copyWith(count, [&](char* d) { return StrLeftCopy(d, source, count); });
}
Copied mid(const char* source, int start, int count) {
    return copyWith(count, [&](char* d) { return StrMidCopy(d, source, start, count); });
}
Copied right(const char* source, int count) {
    return copyWith(count, [&](char* d) { return StrRightCopy(d, source, count); });
}

} // namespace

TEST(StringHelpers, CutBackSpaceTrimsTheEnd) {
    EXPECT_EQ(cutBack("ab  ").text, "ab");
    EXPECT_EQ(cutBack("ab  ").result, 1);
    EXPECT_EQ(cutBack("a b").text, "a b");
    EXPECT_EQ(cutBack("a b").result, 2);
    EXPECT_EQ(cutBack("   ").text, "");
    EXPECT_EQ(cutBack("   ").result, -1);
    EXPECT_EQ(cutBack("").result, -1);
    EXPECT_EQ(CutBackSpace(nullptr), -1);
}

TEST(StringHelpers, CutFrontSpaceMovesTheRestToTheFront) {
    EXPECT_EQ(cutFront("  ab").text, "ab");
    EXPECT_EQ(cutFront("  ab").result, -1);
    EXPECT_EQ(cutFront("ab").text, "ab");
    EXPECT_EQ(cutFront("ab").result, 2);
    EXPECT_EQ(cutFront("").result, 0);
    EXPECT_EQ(cutFront("   ").text, "");
    EXPECT_EQ(cutFront("   ").result, -1);
    EXPECT_EQ(cutFront("a  ").text, "a  ");
    EXPECT_EQ(CutFrontSpace(nullptr), 0);
}

TEST(StringHelpers, TerminatingBackslash) {
    EXPECT_EQ(setTerm(" C:\\DATA "), "C:\\DATA\\");
    EXPECT_EQ(setTerm("C:\\DATA\\"), "C:\\DATA\\");
    EXPECT_EQ(setTerm(""), "");
    EXPECT_EQ(setTerm("   "), "");
    EXPECT_EQ(cutTerm(" C:\\DATA\\ "), "C:\\DATA");
    EXPECT_EQ(cutTerm("C:\\DATA"), "C:\\DATA");
    EXPECT_EQ(cutTerm("\\"), "");
    EXPECT_EQ(cutTerm("C:\\\\"), "C:\\"); // only one is removed
    SetTermYEN(nullptr);
    CutTermYEN(nullptr);
}

TEST(StringHelpers, Searching) {
    const char* text = "abcabc";
    EXPECT_EQ(lstrchr(text, 'c'), text + 2);
    EXPECT_EQ(lstrchr(text, 'x'), nullptr);
    EXPECT_EQ(lstrchr(text, 0), nullptr);
    EXPECT_EQ(lstrchr("", 'a'), nullptr);
    EXPECT_EQ(lstrchr(nullptr, 'a'), nullptr);
    const char* accented = "a\xE9";
    EXPECT_EQ(lstrchr(accented, 0xE9), accented + 1);
    EXPECT_EQ(lstrchr(accented, -23), accented + 1); // the byte 0xE9 as a signed char

    EXPECT_EQ(lstrstr(text, "ca"), text + 2);
    EXPECT_EQ(lstrstr(text, "bc"), text + 1);
    EXPECT_EQ(lstrstr(text, "abcabcd"), nullptr);
    EXPECT_EQ(lstrstr(text, "x"), nullptr);
    EXPECT_EQ(lstrstr(text, ""), text);
    EXPECT_EQ(lstrstr("", ""), nullptr);
    EXPECT_EQ(lstrstr(nullptr, "a"), nullptr);
    EXPECT_EQ(lstrstr(text, nullptr), nullptr);
}

TEST(StringHelpers, LeftCopy) {
    EXPECT_EQ(left("abcdef", 3).text, "abc");
    EXPECT_EQ(left("abcdef", 3).result, 3);
    EXPECT_EQ(left("ab", 10).text, "ab");
    EXPECT_EQ(left("ab", 10).result, 2);
    EXPECT_EQ(left("ab", 0).text, "");
    EXPECT_EQ(left("ab", 0).result, 0);
    EXPECT_EQ(left("ab", -4).result, 0);
    EXPECT_EQ(left(nullptr, 3).text, "");
    EXPECT_EQ(StrLeftCopy(nullptr, "ab", 2), 0);
}

TEST(StringHelpers, MidCopy) {
    EXPECT_EQ(mid("abcdef", 2, 3).text, "bcd");
    EXPECT_EQ(mid("abcdef", 2, 3).result, 3);
    EXPECT_EQ(mid("abcdef", 5, 10).text, "ef");
    EXPECT_EQ(mid("abcdef", 7, 2).text, "");
    EXPECT_EQ(mid("abcdef", 7, 2).result, 0);
    EXPECT_EQ(mid("abcdef", 3, 0).result, 0);
    // Positions before the first do not exist: only those from 1 on are copied.
    EXPECT_EQ(mid("abcdef", 0, 2).text, "a");
    EXPECT_EQ(mid("abcdef", -5, 3).text, "");
    EXPECT_EQ(mid("abcdef", 2147483647, 2147483647).text, "");
    EXPECT_EQ(mid("abcdef", 1, 2147483647).text, "abcdef");
}

TEST(StringHelpers, RightCopy) {
    EXPECT_EQ(right("abcdef", 2).text, "ef");
    EXPECT_EQ(right("abcdef", 2).result, 2);
    EXPECT_EQ(right("abc", 10).text, "abc");
    EXPECT_EQ(right("abc", 10).result, 3);
    EXPECT_EQ(right("abc", 0).result, 0);
    EXPECT_EQ(right("", 3).text, "");
}

TEST(StringHelpers, CopiesMayOverlapTheirSource) {
    char text[] = "abcdef";
    EXPECT_EQ(StrMidCopy(text, text, 3, 3), 3);
    EXPECT_STREQ(text, "cde");
    char tail[] = "abcdef";
    EXPECT_EQ(StrRightCopy(tail, tail, 2), 2);
    EXPECT_STREQ(tail, "ef");
}

// Bytes that are double-byte characters in code page 932 change nothing in a single-byte one.
TEST(StringHelpersSingleByte, NoByteIsChanged) {
    for (const char* locale : {"C", "C.UTF-8"}) {
        CodePageScope scope(locale);
        ASSERT_TRUE(scope.active()) << locale;
        EXPECT_EQ(left("a\x93\xFA\x96\x7B", 2).text, "a\x93");
        EXPECT_EQ(right("\x93\xFA\x96\x7B", 3).text, "\xFA\x96\x7B");
        EXPECT_EQ(mid("a\x93\xFA"
                      "b",
                      3, 2)
                      .text,
                  "\xFA"
                  "b");
        const char* table = "\x95\x5C\\";
        EXPECT_EQ(lstrchr(table, '\\'), table + 1);
        EXPECT_EQ(setTerm("\x95\x5C"), "\x95\x5C");
        EXPECT_EQ(cutTerm("\x95\x5C"), "\x95");
    }
}

class StringHelpersShiftJis : public ::testing::Test {
protected:
    void SetUp() override {
#ifndef VEXCORE_TEST_LOCALES
        GTEST_SKIP() << "no localedef to build the Shift_JIS locale";
#endif
        ASSERT_TRUE(scope_.active()) << "the test locale ja_JP.SJIS did not load";
    }
    CodePageScope scope_{"ja_JP.SJIS"};
};

TEST_F(StringHelpersShiftJis, CopiesNeverSplitACharacter) {
    // "a" + two kanji (93 FA, 96 7B)
    EXPECT_EQ(left("a\x93\xFA\x96\x7B", 2).text, "a ");
    EXPECT_EQ(left("a\x93\xFA\x96\x7B", 2).result, 2);
    EXPECT_EQ(left("a\x93\xFA\x96\x7B", 3).text, "a\x93\xFA");
    EXPECT_EQ(right("\x93\xFA\x96\x7B", 3).text, " \x96\x7B");
    EXPECT_EQ(right("\x93\xFA\x96\x7B", 3).result, 3);
    EXPECT_EQ(right("\x93\xFA\x96\x7B", 4).text, "\x93\xFA\x96\x7B");
    EXPECT_EQ(mid("a\x93\xFA"
                  "b",
                  3, 2)
                  .text,
              " b");
    EXPECT_EQ(mid("a\x93\xFA"
                  "b",
                  2, 1)
                  .text,
              " ");
    EXPECT_EQ(mid("a\x93\xFA\x96\x7B", 3, 2).text, "  "); // trail first, lead last
    // Half-width katakana (0xA1..0xDF) are single bytes in code page 932.
    EXPECT_EQ(left("\xB1\xB2", 1).text, "\xB1");
}

TEST_F(StringHelpersShiftJis, SearchingStepsOverTrailBytes) {
    const char* table = "\x95\x5C\\"; // a kanji whose trail byte is 0x5C, then a backslash
    EXPECT_EQ(lstrchr(table, '\\'), table + 2);
    const char* katakana = "\x83\x41"
                           "A"; // trail byte 0x41 is not the letter A
    EXPECT_EQ(lstrchr(katakana, 'A'), katakana + 2);
    EXPECT_EQ(lstrstr(katakana, "A"), katakana + 2);
    EXPECT_EQ(lstrstr(katakana, "\x83\x41"), katakana);
    EXPECT_EQ(lstrstr(table, "\\"), table + 2);
}

TEST_F(StringHelpersShiftJis, TrailByteBackslashIsNoBackslash) {
    EXPECT_EQ(setTerm(" \x95\x5C "), "\x95\x5C\\");
    EXPECT_EQ(cutTerm("\x95\x5C"), "\x95\x5C");
    EXPECT_EQ(cutTerm("\x95\x5C\\"), "\x95\x5C");
    EXPECT_EQ(setTerm("C:\\\x95\x5C\\"), "C:\\\x95\x5C\\");
}

TEST(StringHelpersOtherCodePages, LeadBytesFollowTheLocale) {
#ifndef VEXCORE_TEST_LOCALES
    GTEST_SKIP() << "no localedef to build the test locales";
#endif
    // 0xB1 starts a character in 936, 949 and 950 but is a katakana of its own in 932.
    for (const char* locale : {"zh_CN.GBK", "ko_KR.EUC-KR", "zh_TW.BIG5"}) {
        CodePageScope scope(locale);
        ASSERT_TRUE(scope.active()) << locale;
        EXPECT_EQ(left("a\xB1\xA1", 2).text, "a ") << locale;
        EXPECT_EQ(right("\xB1\xA1", 1).text, " ") << locale;
    }
    {
        // In 950 a lead byte followed by 0x80 is no character: 0x80 is not taken as a trail byte.
        CodePageScope scope("zh_TW.BIG5");
        EXPECT_EQ(right("\xA4\x80", 1).text, "\x80");
    }
}
