// SPDX-License-Identifier: GPL-3.0-or-later
// The string helpers: trimming, the final backslash of folder names, searching and copying parts
// of strings without splitting a double-byte character. In a single-byte code page no helper
// changes a byte of what it copies.
#include "vexcore/vexcore.h"

#include "vexcore/Dbcs.h"

#include <algorithm>
#include <cstdint>
#include <cstring>

namespace dbcs = winorbis::vex::dbcs;

namespace {

// Removes one final backslash character (not a trail byte that happens to be 0x5C).
bool endsWithBackslash(int codePage, const char* text, std::size_t length) {
    return length > 0 && text[length - 1] == '\\' &&
           dbcs::byteType(codePage, text, length - 1) != 2;
}

void makeEmpty(LPSTR destination) {
    if (destination != nullptr)
        *destination = '\0';
}

} // namespace

int VEXAPI CutFrontSpace(LPSTR text) {
    if (text == nullptr)
        return 0;
    std::size_t blanks = 0;
    while (text[blanks] == ' ')
        ++blanks;
    const std::size_t rest = std::strlen(text + blanks);
    if (blanks == 0)
        return static_cast<int>(std::min<std::size_t>(rest, INT32_MAX));
    std::memmove(text, text + blanks, rest + 1);
    return -1;
}

int VEXAPI CutBackSpace(LPSTR text) {
    if (text == nullptr)
        return -1;
    std::size_t length = std::strlen(text);
    while (length > 0 && text[length - 1] == ' ')
        text[--length] = '\0';
    return length == 0 ? -1 : static_cast<int>(std::min<std::size_t>(length - 1, INT32_MAX));
}

void VEXAPI SetTermYEN(LPSTR text) {
    if (text == nullptr)
        return;
    CutFrontSpace(text);
    CutBackSpace(text);
    const std::size_t length = std::strlen(text);
    if (length == 0 || endsWithBackslash(dbcs::currentCodePage(), text, length))
        return;
    text[length] = '\\';
    text[length + 1] = '\0';
}

void VEXAPI CutTermYEN(LPSTR text) {
    if (text == nullptr)
        return;
    CutFrontSpace(text);
    CutBackSpace(text);
    const std::size_t length = std::strlen(text);
    if (endsWithBackslash(dbcs::currentCodePage(), text, length))
        text[length - 1] = '\0';
}

LPSTR VEXAPI lstrchr(LPCSTR text, int character) {
    if (text == nullptr)
        return nullptr;
    const int codePage = dbcs::currentCodePage();
    const auto wanted = static_cast<unsigned char>(character);
    for (const char* p = text; *p != '\0'; p = dbcs::next(codePage, p)) {
        if (static_cast<unsigned char>(*p) == wanted)
            return const_cast<LPSTR>(p);
    }
    return nullptr;
}

LPSTR VEXAPI lstrstr(LPCSTR text, LPCSTR pattern) {
    if (text == nullptr || pattern == nullptr || *text == '\0')
        return nullptr;
    const std::size_t patternLength = std::strlen(pattern);
    const int codePage = dbcs::currentCodePage();
    for (const char* p = text; *p != '\0'; p = dbcs::next(codePage, p)) {
        if (std::strncmp(p, pattern, patternLength) == 0)
            return const_cast<LPSTR>(p);
    }
    return nullptr;
}

int VEXAPI StrLeftCopy(LPSTR destination, LPCSTR source, int count) {
    if (destination == nullptr)
        return 0;
    if (source == nullptr || count <= 0) {
        makeEmpty(destination);
        return 0;
    }
    const std::size_t n = strnlen(source, static_cast<std::size_t>(count));
    const bool cutLead = n > 0 && dbcs::byteType(dbcs::currentCodePage(), source, n - 1) == 1;
    std::memmove(destination, source, n);
    destination[n] = '\0';
    if (cutLead)
        destination[n - 1] = ' ';
    return static_cast<int>(n);
}

int VEXAPI StrMidCopy(LPSTR destination, LPCSTR source, int start, int count) {
    if (destination == nullptr)
        return 0;
    if (source == nullptr || count <= 0) {
        makeEmpty(destination);
        return 0;
    }
    // Positions start .. start + count - 1 (1-based) that exist in the source.
    const std::int64_t length = static_cast<std::int64_t>(std::strlen(source));
    const std::int64_t first = std::max<std::int64_t>(start, 1);
    const std::int64_t last = std::min<std::int64_t>(std::int64_t(start) + count - 1, length);
    if (first > last) {
        makeEmpty(destination);
        return 0;
    }
    const auto from = static_cast<std::size_t>(first - 1);
    const auto n = static_cast<std::size_t>(last - first + 1);
    const int codePage = dbcs::currentCodePage();
    const bool cutTrail = dbcs::byteType(codePage, source, from) == 2;
    const bool cutLead = dbcs::byteType(codePage, source, from + n - 1) == 1;
    std::memmove(destination, source + from, n);
    destination[n] = '\0';
    if (cutTrail)
        destination[0] = ' ';
    if (cutLead)
        destination[n - 1] = ' ';
    return static_cast<int>(n);
}

int VEXAPI StrRightCopy(LPSTR destination, LPCSTR source, int count) {
    if (destination == nullptr)
        return 0;
    if (source == nullptr || count <= 0) {
        makeEmpty(destination);
        return 0;
    }
    const std::size_t length = std::strlen(source);
    const std::size_t n = std::min<std::size_t>(length, static_cast<std::size_t>(count));
    if (n == 0) {
        makeEmpty(destination);
        return 0;
    }
    const std::size_t from = length - n;
    const bool cutTrail = dbcs::byteType(dbcs::currentCodePage(), source, from) == 2;
    std::memmove(destination, source + from, n);
    destination[n] = '\0';
    if (cutTrail)
        destination[0] = ' ';
    return static_cast<int>(n);
}
