// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <vector>

// The code paths of the pixel codec, for its tests and its benchmark only. Every path gives the
// same bytes; the codec runs the widest one the processor has, and these let each path that the
// processor can run be checked against the plain one and timed.
namespace winorbis::pixelcodec::paths {

// From the plainest to the widest. A path finishes what its vectors leave over (the last pixels
// of a line) with the paths below it.
enum class Path { Scalar, Sse2, Avx2 };

// The paths this build can run on this processor, plainest first.
std::vector<Path> supported();
// The path the codec runs: the widest supported one unless use() chose another.
Path active();
// Runs the codec on path from now on, if this build and processor can; returns whether they can.
bool use(Path path);
const char* name(Path path);

} // namespace winorbis::pixelcodec::paths
