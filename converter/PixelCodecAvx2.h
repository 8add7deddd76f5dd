// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>

// The pixel codec's AVX2 kernels, internal to the codec. Only their functions are compiled for
// AVX2, and the codec calls them only once it knows that the processor has it. Each kernel works
// in groups of 16 pixels and does its whole range, or nothing if the range is shorter than a
// group; it returns how many pixels it did, and the codec's narrower paths do the rest. They give
// the same bytes as the plain code.
#if defined(__x86_64__) && (defined(__GNUC__) || defined(__clang__))
#define WINORBIS_PIXELCODEC_AVX2 1

namespace winorbis::pixelcodec::avx2 {

// Blocks of count RGB888 pixels (count even) into out; reads no byte after the pixels.
int encodeRgb888(const std::uint8_t* in, int count, std::uint8_t* out);
// Blocks of count QRgb pixels (count even) into out.
int encodeRgb32(const std::uint32_t* in, int count, std::uint8_t* out);
// The count pixels of the first count / 2 blocks as red, green, blue bytes into out (count even).
int decodeRgb888(const std::uint8_t* blocks, int count, std::uint8_t* out);

} // namespace winorbis::pixelcodec::avx2

#else
#define WINORBIS_PIXELCODEC_AVX2 0
#endif
