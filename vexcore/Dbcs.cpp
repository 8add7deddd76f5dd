// SPDX-License-Identifier: GPL-3.0-or-later
// Lead and trail bytes of the double-byte code pages, chosen by the process's LC_CTYPE locale.
#include "vexcore/Dbcs.h"

#include <cctype>
#include <cstring>
#include <string>

#include <langinfo.h>

namespace winorbis::vex::dbcs {

int codePageOfCharset(const char* charset) {
    if (charset == nullptr)
        return kSingleByte;
    std::string name;
    for (const char* p = charset; *p != '\0'; ++p) {
        const unsigned char c = static_cast<unsigned char>(*p);
        if (c != '-' && c != '_')
            name += static_cast<char>(std::toupper(c));
    }
    struct Alias {
        const char* name;
        int codePage;
    };
    static constexpr Alias aliases[] = {
        {"SHIFTJIS", 932}, {"SJIS", 932},    {"CP932", 932}, {"WINDOWS31J", 932},
        {"MSKANJI", 932},  {"GBK", 936},     {"CP936", 936}, {"GB2312", 936},
        {"EUCCN", 936},    {"GB18030", 936}, {"EUCKR", 949}, {"UHC", 949},
        {"CP949", 949},    {"BIG5", 950},    {"CP950", 950}, {"BIG5HKSCS", 950},
    };
    for (const Alias& alias : aliases) {
        if (name == alias.name)
            return alias.codePage;
    }
    return kSingleByte;
}

int currentCodePage() {
    return codePageOfCharset(nl_langinfo(CODESET));
}

bool isLeadByte(int codePage, unsigned char b) {
    switch (codePage) {
    case 932:
        return (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC);
    case 936:
    case 949:
    case 950:
        return b >= 0x81 && b <= 0xFE;
    default:
        return false;
    }
}

bool isTrailByte(int codePage, unsigned char b) {
    switch (codePage) {
    case 932:
        return (b >= 0x40 && b <= 0x7E) || (b >= 0x80 && b <= 0xFC);
    case 936:
        return (b >= 0x40 && b <= 0x7E) || (b >= 0x80 && b <= 0xFE);
    case 949:
        return (b >= 0x41 && b <= 0x5A) || (b >= 0x61 && b <= 0x7A) || (b >= 0x81 && b <= 0xFE);
    case 950:
        return (b >= 0x40 && b <= 0x7E) || (b >= 0xA1 && b <= 0xFE);
    default:
        return false;
    }
}

const char* next(int codePage, const char* p) {
    if (*p == '\0')
        return p;
    if (isLeadByte(codePage, static_cast<unsigned char>(p[0])) && p[1] != '\0')
        return p + 2;
    return p + 1;
}

int byteType(int codePage, const char* text, std::size_t index) {
    enum { Single = 0, Lead = 1, Trail = 2, Invalid = -1 };
    int type = Single;
    for (std::size_t i = 0;; ++i) {
        const auto b = static_cast<unsigned char>(text[i]);
        if (b == 0)
            return Invalid;
        if (type == Lead)
            type = isTrailByte(codePage, b) ? Trail : Invalid;
        else
            type = isLeadByte(codePage, b) ? Lead : Single;
        if (i == index)
            return type;
    }
}

} // namespace winorbis::vex::dbcs
