// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

#include <clocale>
#include <cstdlib>
#include <string>

namespace winorbis::test {

// Switches the C library's LC_CTYPE to one of the test locales built beside the tests (ja_JP.SJIS,
// zh_CN.GBK, ko_KR.EUC-KR, zh_TW.BIG5) or a system locale, and back when it ends.
class CodePageScope {
public:
    explicit CodePageScope(const char* locale) {
        const char* current = std::setlocale(LC_CTYPE, nullptr);
        saved_ = current != nullptr ? current : "C";
#ifdef VEXCORE_TEST_LOCALES
        setenv("LOCPATH", VEXCORE_TEST_LOCALES, 1);
#endif
        active_ = std::setlocale(LC_CTYPE, locale) != nullptr;
    }
    ~CodePageScope() {
        std::setlocale(LC_CTYPE, saved_.c_str());
        unsetenv("LOCPATH");
    }
    CodePageScope(const CodePageScope&) = delete;
    CodePageScope& operator=(const CodePageScope&) = delete;

    bool active() const {
        return active_;
    }

private:
    std::string saved_;
    bool active_ = false;
};

} // namespace winorbis::test
