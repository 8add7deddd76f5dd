// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

#include <chrono>
#include <cstring>
#include <ctime>

namespace winorbis {

// What the serial and the network port share of the system's calls: the text of an error number,
// and a wait as the timespec of ppoll.
inline QString systemError(int error) {
    return QString::fromLocal8Bit(std::strerror(error));
}

inline timespec toTimespec(std::chrono::steady_clock::duration d) {
    const auto ns = std::chrono::duration_cast<std::chrono::nanoseconds>(d).count();
    return timespec{time_t(ns / 1'000'000'000), long(ns % 1'000'000'000)};
}

} // namespace winorbis
