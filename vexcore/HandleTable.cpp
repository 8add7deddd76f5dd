// SPDX-License-Identifier: GPL-3.0-or-later
#include "HandleTable.h"

#include <atomic>

namespace winorbis::vex {

std::uintptr_t nextHandleValue() {
    // Multiples of 16 from 0x10000: far from small integers and from -1.
    static std::atomic<std::uintptr_t> next{0x10000};
    return next.fetch_add(16);
}

} // namespace winorbis::vex
