// SPDX-License-Identifier: GPL-3.0-or-later
// Fuzz target for the string helpers: random texts, counts and code pages. Every buffer has
// exactly the size the helper is told about, so any read or write beyond it is caught.
#include "vexcore.h"

#include <clocale>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>

namespace {

const char* const kLocales[] = {"C", "ja_JP.SJIS", "zh_CN.GBK", "ko_KR.EUC-KR", "zh_TW.BIG5"};

int readInt(const std::uint8_t*& data, std::size_t& size) {
    std::int16_t value = 0;
    if (size >= sizeof value) {
        std::memcpy(&value, data, sizeof value);
        data += sizeof value;
        size -= sizeof value;
    }
    return value;
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
#ifdef VEXCORE_TEST_LOCALES
    setenv("LOCPATH", VEXCORE_TEST_LOCALES, 1);
#endif
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 2)
        return 0;
    const std::uint8_t selector = data[0];
    std::setlocale(LC_CTYPE, kLocales[data[1] % (sizeof kLocales / sizeof *kLocales)]);
    data += 2;
    size -= 2;
    const int a = readInt(data, size);
    const int b = readInt(data, size);

    // The text: the rest of the input up to its first zero, in a block of its own.
    const std::size_t length = strnlen(reinterpret_cast<const char*>(data), size);
    std::vector<char> text(data, data + length);
    text.push_back('\0');
    const std::size_t room = length + 2; // SetTermYEN may append one byte
    char* buffer = static_cast<char*>(std::malloc(room));
    std::memcpy(buffer, text.data(), length + 1);

    switch (selector % 9) {
    case 0: {
        const int result = CutFrontSpace(buffer);
        if (result >= 0 && std::size_t(result) != std::strlen(buffer))
            std::abort();
        break;
    }
    case 1: {
        const int result = CutBackSpace(buffer);
        if (result + 1 != int(std::strlen(buffer)))
            std::abort();
        break;
    }
    case 2:
        SetTermYEN(buffer);
        break;
    case 3:
        CutTermYEN(buffer);
        break;
    case 4: {
        const char* hit = lstrchr(buffer, b);
        if (hit != nullptr && (hit < buffer || hit >= buffer + length))
            std::abort();
        break;
    }
    case 5: {
        const std::size_t split = length == 0 ? 0 : std::size_t(a & 0x7FFF) % (length + 1);
        const char* hit = lstrstr(buffer, text.data() + split);
        if (hit != nullptr && (hit < buffer || hit > buffer + length))
            std::abort();
        break;
    }
    default: {
        // The copies: a destination of exactly count + 1 bytes.
        const int count = b;
        const std::size_t destinationSize = count > 0 ? std::size_t(count) + 1 : 1;
        char* destination = static_cast<char*>(std::malloc(destinationSize));
        int copied = 0;
        if (selector % 9 == 6)
            copied = StrLeftCopy(destination, buffer, count);
        else if (selector % 9 == 7)
            copied = StrMidCopy(destination, buffer, a, count);
        else
            copied = StrRightCopy(destination, buffer, count);
        if (copied < 0 || std::size_t(copied) >= destinationSize || destination[copied] != '\0')
            std::abort();
        std::free(destination);
        break;
    }
    }
    std::free(buffer);
    return 0;
}
