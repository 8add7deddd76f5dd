// SPDX-License-Identifier: GPL-3.0-or-later
#include "PixelCodecAvx2.h"

#if WINORBIS_PIXELCODEC_AVX2

#include <immintrin.h>

#include <array>

// Only these functions are compiled for AVX2 (which includes SSSE3's byte shuffles); the rest of
// the program stays runnable on any x86-64 processor.
#define PIXELCODEC_AVX2_FUNCTION __attribute__((target("avx2")))

namespace winorbis::pixelcodec::avx2 {

namespace {

// The arithmetic is the plain code's, on integers, sixteen pixels at a time: 16-bit products and
// sums where they fit, 32-bit ones where not, and each truncating division done exactly.

// A byte shuffle applied alike to both 128-bit lanes; -1 gives a zero byte.
using Shuffle = std::array<std::int8_t, 16>;
// A byte shuffle with a shuffle of its own for each lane.
using LaneShuffles = std::array<std::int8_t, 32>;

// Four pixels of pixelBytes bytes each per lane (in the high lane after highSkip other bytes) into
// 32-bit lanes holding the 16-bit words (byte first of the pixel, byte second of the pixel); -1
// for a zero word.
constexpr LaneShuffles pixelWords(int pixelBytes, int first, int second, int highSkip = 0) {
    LaneShuffles s{};
    for (int lane = 0; lane < 2; ++lane) {
        const int skip = lane == 0 ? 0 : highSkip;
        for (int k = 0; k < 4; ++k) {
            std::int8_t* word = s.data() + 16 * lane + 4 * k;
            word[0] = std::int8_t(first < 0 ? -1 : skip + pixelBytes * k + first);
            word[1] = -1;
            word[2] = std::int8_t(second < 0 ? -1 : skip + pixelBytes * k + second);
            word[3] = -1;
        }
    }
    return s;
}

// Output bytes from .. from + 15 of eight RGB888 pixels (zero past the 24th) out of a source that
// holds channel c of pixel k at byte base[c] + k, or does not hold channel c where base[c] < 0.
constexpr Shuffle rgbBytes(int from, std::array<int, 3> base) {
    Shuffle s{};
    for (int i = 0; i < 16; ++i) {
        const int byte = from + i, pixel = byte / 3, channel = byte % 3;
        s[std::size_t(i)] = std::int8_t(
            byte < 24 && base[std::size_t(channel)] >= 0 ? base[std::size_t(channel)] + pixel : -1);
    }
    return s;
}

// Every 32-bit lane's low word (bytes 0, 1) or high word (bytes 2, 3) in both of its words.
constexpr Shuffle repeatedWord(int word) {
    Shuffle s{};
    for (int i = 0; i < 16; ++i)
        s[std::size_t(i)] = std::int8_t((i & ~3) + 2 * word + (i & 1));
    return s;
}

// An RGB888 group's pixels 12-15 (the high lane of its pixels 4-7 and 12-15) are loaded with the
// four bytes before them, so that no load reads past the group's 48 bytes.
constexpr LaneShuffles kRgb888Outer = pixelWords(3, 0, 2), kRgb888Green = pixelWords(3, 1, -1);
constexpr LaneShuffles kRgb888HighOuter = pixelWords(3, 0, 2, 4);
constexpr LaneShuffles kRgb888HighGreen = pixelWords(3, 1, -1, 4);
constexpr LaneShuffles kRgb32Outer = pixelWords(4, 2, 0), kRgb32Green = pixelWords(4, 1, -1);
constexpr Shuffle kRedGreenHead = rgbBytes(0, {0, 8, -1}), kBlueHead = rgbBytes(0, {-1, -1, 0});
constexpr Shuffle kRedGreenTail = rgbBytes(16, {0, 8, -1}), kBlueTail = rgbBytes(16, {-1, -1, 0});
constexpr Shuffle kLowWord = repeatedWord(0), kHighWord = repeatedWord(1);

PIXELCODEC_AVX2_FUNCTION inline __m256i inBothLanes(const Shuffle& s) {
    return _mm256_broadcastsi128_si256(_mm_loadu_si128(reinterpret_cast<const __m128i*>(s.data())));
}

PIXELCODEC_AVX2_FUNCTION inline __m256i eachLane(const LaneShuffles& s) {
    return _mm256_loadu_si256(reinterpret_cast<const __m256i*>(s.data()));
}

// Every 32-bit lane holding the 16-bit words low and high.
PIXELCODEC_AVX2_FUNCTION inline __m256i wordPairs(int low, int high) {
    return _mm256_set1_epi32(int(std::uint32_t(std::uint16_t(high)) << 16 | std::uint16_t(low)));
}

// Signed lanes divided by 2^shift, truncating toward zero: the magnitude is shifted and the sign
// put back (no lane is ever the most negative value, whose magnitude does not fit).
template <int shift> PIXELCODEC_AVX2_FUNCTION inline __m256i truncatingShift32(__m256i v) {
    return _mm256_sign_epi32(_mm256_srli_epi32(_mm256_abs_epi32(v), shift), v);
}

template <int shift> PIXELCODEC_AVX2_FUNCTION inline __m256i truncatingShift16(__m256i v) {
    return _mm256_sign_epi16(_mm256_srli_epi16(_mm256_abs_epi16(v), shift), v);
}

// 16 bytes at low into the low lane, 16 bytes at high into the high one.
PIXELCODEC_AVX2_FUNCTION inline __m256i loadLanes(const void* low, const void* high) {
    return _mm256_inserti128_si256(
        _mm256_castsi128_si256(_mm_loadu_si128(static_cast<const __m128i*>(low))),
        _mm_loadu_si128(static_cast<const __m128i*>(high)), 1);
}

// Eight pixels, one in each 32-bit lane, as the words (red, blue) and (green, 0).
struct Pixels {
    __m256i outer, green;
};

// The luminance sum and four times the red and blue differences of eight pixels, one in each
// 32-bit lane: s = 45 r + 89 g + 17 b, 150 r - s and 150 b - s.
struct Sums {
    __m256i sum, red, blue;
};

PIXELCODEC_AVX2_FUNCTION inline Sums pixelSums(const Pixels& p) {
    const __m256i green89 = _mm256_madd_epi16(p.green, _mm256_set1_epi32(89));
    return {_mm256_add_epi32(_mm256_madd_epi16(p.outer, wordPairs(45, 17)), green89),
            _mm256_sub_epi32(_mm256_madd_epi16(p.outer, wordPairs(105, -17)), green89),
            _mm256_sub_epi32(_mm256_madd_epi16(p.outer, wordPairs(-45, 133)), green89)};
}

// Encodes sixteen pixels (eight pairs) into 32 bytes. Low holds pixels 0-3 and 8-11, high pixels
// 4-7 and 12-15, so that each 128-bit lane packs into four whole pairs in their order.
PIXELCODEC_AVX2_FUNCTION inline void encodeSixteen(const Pixels& low, const Pixels& high,
                                                   std::uint8_t* out) {
    const Sums a = pixelSums(low), b = pixelSums(high);
    // Four times the red difference stays within 16 bits, four times the blue one not. madd sums
    // a pair's two differences and scales them in one step: d1 * k + d2 * k = (d1 + d2) * k.
    const __m256i dr = truncatingShift16<2>(_mm256_packs_epi32(a.red, b.red));
    const __m256i db =
        _mm256_packs_epi32(truncatingShift32<2>(a.blue), truncatingShift32<2>(b.blue));
    const __m256i ry = truncatingShift32<16>(_mm256_madd_epi16(dr, _mm256_set1_epi16(619)));
    const __m256i by = truncatingShift32<16>(_mm256_madd_epi16(db, _mm256_set1_epi16(348)));
    // RY for the left pixel's place, BY for the right one's; saturating to -128 instead of
    // -127 gives the same byte once the lowest bit is cleared.
    __m256i diffs = _mm256_unpacklo_epi16(_mm256_packs_epi32(ry, ry), _mm256_packs_epi32(by, by));
    diffs = _mm256_and_si256(_mm256_packs_epi16(diffs, diffs), _mm256_set1_epi8(char(0xFE)));
    // Luminance: s >> 8 plus 61, odd for the left pixel, even for the right one.
    __m256i luma = _mm256_packs_epi32(_mm256_srli_epi32(a.sum, 8), _mm256_srli_epi32(b.sum, 8));
    luma = _mm256_add_epi16(luma, _mm256_set1_epi16(61));
    luma = _mm256_or_si256(_mm256_and_si256(luma, _mm256_set1_epi16(~1)), wordPairs(1, 0));
    luma = _mm256_packus_epi16(luma, luma);
    _mm256_storeu_si256(reinterpret_cast<__m256i*>(out), _mm256_unpacklo_epi8(luma, diffs));
}

// Four pixels of a 16-byte load in each lane, spread by the format's shuffles.
PIXELCODEC_AVX2_FUNCTION inline Pixels spread(__m256i bytes, const LaneShuffles& outer,
                                              const LaneShuffles& green) {
    return {_mm256_shuffle_epi8(bytes, eachLane(outer)),
            _mm256_shuffle_epi8(bytes, eachLane(green))};
}

// Decodes eight blocks (sixteen pixels) into their red, green and blue values, one 16-bit word
// per pixel: blocks 0-3 in the low lane, 4-7 in the high one.
PIXELCODEC_AVX2_FUNCTION inline void decodeSixteen(const std::uint8_t* blocks, __m256i& r,
                                                   __m256i& g, __m256i& b) {
    // A block's words are Y1 + 256 RY and Y2 + 256 BY.
    const __m256i in = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(blocks));
    const __m256i luma = _mm256_and_si256(in, _mm256_set1_epi16(0xFF));
    const __m256i diffs = _mm256_srai_epi16(in, 8);

    const __m256i a =
        _mm256_mullo_epi16(_mm256_sub_epi16(luma, wordPairs(61, 60)), _mm256_set1_epi16(109));
    // u = 90 RY and v = 160 BY, each spread over the pair's two pixels.
    const __m256i uv = _mm256_mullo_epi16(diffs, wordPairs(90, 160));
    const __m256i u = _mm256_shuffle_epi8(uv, inBothLanes(kLowWord));
    const __m256i v = _mm256_shuffle_epi8(uv, inBothLanes(kHighWord));
    // v * 12218 + u * 33324 per pair, as (2u) * 16662 so that every factor fits 16 bits; the
    // quotient fits 16 bits and goes to both pixels.
    const __m256i scaled = _mm256_mullo_epi16(diffs, wordPairs(180, 160));
    const __m256i green = _mm256_shuffle_epi8(
        truncatingShift32<16>(_mm256_madd_epi16(scaled, wordPairs(16662, 12218))),
        inBothLanes(kLowWord));
    // Sums beyond 16 bits saturate, which the clamp to 255 would reach anyway; a negative sum
    // becomes 0 whether it is divided truncating or shifted.
    r = _mm256_srai_epi16(_mm256_adds_epi16(a, u), 6);
    g = _mm256_srai_epi16(_mm256_subs_epi16(a, green), 6);
    b = _mm256_srai_epi16(_mm256_adds_epi16(a, v), 6);
}

// The 48 bytes of sixteen pixels given by their 16-bit red, green and blue values, clamped to
// 0..255: per lane, eight pixels' 24 bytes shuffled together from the packed channels.
PIXELCODEC_AVX2_FUNCTION inline void storeSixteenRgb888(__m256i r, __m256i g, __m256i b,
                                                        std::uint8_t* out) {
    const __m256i redGreen = _mm256_packus_epi16(r, g); // red of pixel k at byte k, green at 8 + k
    const __m256i blue = _mm256_packus_epi16(b, b);     // blue of pixel k at byte k
    const __m256i head = _mm256_or_si256(_mm256_shuffle_epi8(redGreen, inBothLanes(kRedGreenHead)),
                                         _mm256_shuffle_epi8(blue, inBothLanes(kBlueHead)));
    const __m256i tail = _mm256_or_si256(_mm256_shuffle_epi8(redGreen, inBothLanes(kRedGreenTail)),
                                         _mm256_shuffle_epi8(blue, inBothLanes(kBlueTail)));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(out), _mm256_castsi256_si128(head));
    _mm_storel_epi64(reinterpret_cast<__m128i*>(out + 16), _mm256_castsi256_si128(tail));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(out + 24), _mm256_extracti128_si256(head, 1));
    _mm_storel_epi64(reinterpret_cast<__m128i*>(out + 40), _mm256_extracti128_si256(tail, 1));
}

} // namespace

// Each kernel ends its last group at the end of its range: where count is no multiple of 16, that
// group overlaps the one before it, whose pixels it writes again as the same bytes.

PIXELCODEC_AVX2_FUNCTION int encodeRgb888(const std::uint8_t* in, int count, std::uint8_t* out) {
    if (count < 16)
        return 0;
    for (int x = 0; x < count; x += 16) {
        const int at = x < count - 16 ? x : count - 16;
        const std::uint8_t* group = in + 3 * at;
        encodeSixteen(spread(loadLanes(group, group + 24), kRgb888Outer, kRgb888Green),
                      spread(loadLanes(group + 12, group + 32), kRgb888HighOuter, kRgb888HighGreen),
                      out + 2 * at);
    }
    return count;
}

PIXELCODEC_AVX2_FUNCTION int encodeRgb32(const std::uint32_t* in, int count, std::uint8_t* out) {
    if (count < 16)
        return 0;
    for (int x = 0; x < count; x += 16) {
        const int at = x < count - 16 ? x : count - 16;
        const std::uint32_t* group = in + at;
        encodeSixteen(spread(loadLanes(group, group + 8), kRgb32Outer, kRgb32Green),
                      spread(loadLanes(group + 4, group + 12), kRgb32Outer, kRgb32Green),
                      out + 2 * at);
    }
    return count;
}

PIXELCODEC_AVX2_FUNCTION int decodeRgb888(const std::uint8_t* blocks, int count,
                                          std::uint8_t* out) {
    if (count < 16)
        return 0;
    for (int x = 0; x < count; x += 16) {
        const int at = x < count - 16 ? x : count - 16;
        __m256i r, g, b;
        decodeSixteen(blocks + 2 * at, r, g, b);
        storeSixteenRgb888(r, g, b, out + 3 * at);
    }
    return count;
}

} // namespace winorbis::pixelcodec::avx2

#endif
