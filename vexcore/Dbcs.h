// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstddef>

namespace winorbis::vex::dbcs {

// The double-byte code pages whose rules the string helpers follow; 0 for a single-byte one.
inline constexpr int kSingleByte = 0;

// The code page of the C library's current LC_CTYPE character set: 932 for Shift_JIS, 936 for
// GBK (and GB2312, GB18030), 949 for EUC-KR and UHC, 950 for Big5; otherwise 0.
int currentCodePage();
// The code page for a character-set name as nl_langinfo(CODESET) gives it.
int codePageOfCharset(const char* charset);

bool isLeadByte(int codePage, unsigned char byte);
bool isTrailByte(int codePage, unsigned char byte);

// The next character after p: two bytes on for a lead byte followed by a non-zero byte, one
// otherwise, none at the terminating zero.
const char* next(int codePage, const char* p);

// The type of the byte at index, found by walking the string from its start: 0 single-byte
// character, 1 lead byte, 2 trail byte, -1 invalid (a lead byte followed by a byte that cannot
// be a trail byte) or at or beyond the terminating zero.
int byteType(int codePage, const char* text, std::size_t index);

} // namespace winorbis::vex::dbcs
