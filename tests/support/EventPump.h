// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <functional>

namespace winorbis::test {

// Runs the user-interface side (this thread's events) until the condition holds, at most ms of
// real time; false when it never did.
bool pumpUntil(const std::function<bool()>& condition, int ms = 5000);

} // namespace winorbis::test
