// SPDX-License-Identifier: GPL-3.0-or-later
#include "PixelCodec.h"

#include "PixelCodecAvx2.h"
#include "PixelCodecPaths.h"

#include <QImage>

#include <algorithm>
#include <atomic>
#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace winorbis::pixelcodec {

namespace paths {

namespace {

bool processorHas(Path path) {
    switch (path) {
    case Path::Scalar:
        return true;
    case Path::Sse2:
#if defined(__SSE2__)
        return true;
#else
        return false;
#endif
    case Path::Avx2:
#if WINORBIS_PIXELCODEC_AVX2
        __builtin_cpu_init(); // the check may run before the run time's own initialisation
        return __builtin_cpu_supports("avx2");
#else
        return false;
#endif
    }
    return false;
}

// The widest path, chosen on the first line encoded or decoded; only the tests and the benchmark
// choose another.
std::atomic<Path>& chosenPath() {
    static std::atomic<Path> path{supported().back()};
    return path;
}

} // namespace

std::vector<Path> supported() {
    std::vector<Path> paths;
    for (Path path : {Path::Scalar, Path::Sse2, Path::Avx2}) {
        if (processorHas(path))
            paths.push_back(path);
    }
    return paths;
}

Path active() {
    return chosenPath().load(std::memory_order_relaxed);
}

bool use(Path path) {
    if (!processorHas(path))
        return false;
    chosenPath().store(path, std::memory_order_relaxed);
    return true;
}

const char* name(Path path) {
    switch (path) {
    case Path::Scalar:
        return "scalar";
    case Path::Sse2:
        return "sse2";
    case Path::Avx2:
        return "avx2";
    }
    return "";
}

} // namespace paths

using paths::Path;

namespace {

int clampByte(int v) {
    return std::clamp(v, 0, 255);
}

// Two's complement byte with its lowest bit cleared.
std::uint8_t evenSigned(int v) {
    return std::uint8_t(std::uint8_t(std::int8_t(v)) & 0xFE);
}

} // namespace

namespace {

// Encodes two pixels given by their components into a block at out.
inline void encodeComponents(int r1, int g1, int b1, int r2, int g2, int b2, std::uint8_t* out) {
    const int s1 = 45 * r1 + 89 * g1 + 17 * b1; // never negative: the shifts divide exactly
    const int s2 = 45 * r2 + 89 * g2 + 17 * b2;
    const int dr1 = (150 * r1 - s1) / 4, dr2 = (150 * r2 - s2) / 4;
    const int db1 = (150 * b1 - s1) / 4, db2 = (150 * b2 - s2) / 4;
    const int ry = std::clamp((dr1 + dr2) * 619 / 65536, -127, 127);
    const int by = std::clamp((db1 + db2) * 348 / 65536, -127, 127);
    out[0] = std::uint8_t(((s1 >> 8) + 61) | 1);
    out[1] = evenSigned(ry);
    out[2] = std::uint8_t(((s2 >> 8) + 61) & ~1);
    out[3] = evenSigned(by);
}

} // namespace

PairBlock encodePair(QRgb left, QRgb right) {
    PairBlock block;
    encodeComponents(qRed(left), qGreen(left), qBlue(left), qRed(right), qGreen(right),
                     qBlue(right), block.data());
    return block;
}

namespace {

// Decodes a block into the components of its two pixels: left r, g, b, then right r, g, b.
inline void decodeComponents(const std::uint8_t* block, int out[6]) {
    const int a = (int(block[0]) - 61) * 109;
    const int b = (int(block[2]) - 60) * 109;
    const int u = int(std::int8_t(block[1])) * 90;
    const int v = int(std::int8_t(block[3])) * 160;
    const int g = (v * 12218 + u * 33324) / 65536;
    out[0] = clampByte((a + u) / 64);
    out[1] = clampByte((a - g) / 64);
    out[2] = clampByte((a + v) / 64);
    out[3] = clampByte((b + u) / 64);
    out[4] = clampByte((b - g) / 64);
    out[5] = clampByte((b + v) / 64);
}

} // namespace

std::array<QRgb, 2> decodePair(const std::uint8_t* block) {
    int c[6];
    decodeComponents(block, c);
    return {qRgb(c[0], c[1], c[2]), qRgb(c[3], c[4], c[5])};
}

#if defined(__SSE2__)

namespace {

// Eight pixels at a time with SSE2 (part of every x86-64 processor), in the same integer
// arithmetic as the scalar code above, so that both give the same bytes.

// Signed 32-bit lanes divided by 2^shift, truncating toward zero.
template <int shift> inline __m128i truncatingShift32(__m128i v) {
    const __m128i bias = _mm_and_si128(_mm_srai_epi32(v, 31), _mm_set1_epi32((1 << shift) - 1));
    return _mm_srai_epi32(_mm_add_epi32(v, bias), shift);
}

// The weights of a pixel's bytes 0 and 2 in the luminance sum and in four times the two colour
// differences; green (byte 1) adds 89 times to the sum and takes as much from the differences.
// RGB888 pixels have red in byte 0, QRgb words blue.
struct ChannelWeights {
    __m128i sum, red, blue;
};

// Every 32-bit lane holding the 16-bit words low and high.
inline __m128i wordPairs(int low, int high) {
    return _mm_set1_epi32(int(std::uint32_t(std::uint16_t(high)) << 16 | std::uint16_t(low)));
}

ChannelWeights rgbWeights() {
    return {wordPairs(45, 17), wordPairs(105, -17), wordPairs(-45, 133)};
}

ChannelWeights bgrWeights() {
    return {wordPairs(17, 45), wordPairs(-17, 105), wordPairs(133, -45)};
}

// Luminance sum and four times the red and blue differences of four pixels, one in each 32-bit
// lane with its colour bytes in bytes 0 to 2 of the lane.
inline void pixelSums(__m128i pixels, const ChannelWeights& w, __m128i& sum, __m128i& red,
                      __m128i& blue) {
    const __m128i outer = _mm_and_si128(pixels, _mm_set1_epi32(0x00FF00FF));
    const __m128i green = _mm_and_si128(_mm_srli_epi32(pixels, 8), _mm_set1_epi32(0xFF));
    const __m128i green89 = _mm_madd_epi16(green, _mm_set1_epi32(89));
    sum = _mm_add_epi32(_mm_madd_epi16(outer, w.sum), green89);
    red = _mm_sub_epi32(_mm_madd_epi16(outer, w.red), green89);
    blue = _mm_sub_epi32(_mm_madd_epi16(outer, w.blue), green89);
}

// Signed 16-bit lanes divided by 4, truncating toward zero.
inline __m128i quarter16(__m128i v) {
    return _mm_srai_epi16(_mm_add_epi16(v, _mm_and_si128(_mm_srai_epi16(v, 15), _mm_set1_epi16(3))),
                          2);
}

// Encodes eight pixels (four pairs) given as two vectors of four 32-bit pixels into 16 bytes.
inline void encodeEight(__m128i first, __m128i second, const ChannelWeights& w, std::uint8_t* out) {
    __m128i s1, r1, b1, s2, r2, b2;
    pixelSums(first, w, s1, r1, b1);
    pixelSums(second, w, s2, r2, b2);
    // Four times the red difference stays within 16 bits, four times the blue one not; the
    // differences of a pair are summed and scaled in one step.
    const __m128i dr = quarter16(_mm_packs_epi32(r1, r2));
    const __m128i db = _mm_packs_epi32(truncatingShift32<2>(b1), truncatingShift32<2>(b2));
    const __m128i ry = truncatingShift32<16>(_mm_madd_epi16(dr, _mm_set1_epi16(619)));
    const __m128i by = truncatingShift32<16>(_mm_madd_epi16(db, _mm_set1_epi16(348)));
    // RY for the left pixel's place, BY for the right one's; saturating to -128 instead of
    // -127 gives the same byte once the lowest bit is cleared.
    __m128i diffs = _mm_unpacklo_epi16(_mm_packs_epi32(ry, ry), _mm_packs_epi32(by, by));
    diffs = _mm_and_si128(_mm_packs_epi16(diffs, diffs), _mm_set1_epi8(char(0xFE)));
    // Luminance: odd for the left pixel, even for the right one.
    __m128i luma = _mm_packs_epi32(_mm_srli_epi32(s1, 8), _mm_srli_epi32(s2, 8));
    luma = _mm_add_epi16(luma, _mm_set1_epi16(61));
    luma = _mm_or_si128(_mm_and_si128(luma, _mm_set1_epi16(~1)), wordPairs(1, 0));
    luma = _mm_packus_epi16(luma, luma);
    _mm_storeu_si128(reinterpret_cast<__m128i*>(out), _mm_unpacklo_epi8(luma, diffs));
}

// Four RGB888 pixels (12 bytes; 14 are read) as 32-bit lanes.
inline __m128i loadFourRgb888(const uchar* in) {
    const __m128i halves =
        _mm_unpacklo_epi64(_mm_loadl_epi64(reinterpret_cast<const __m128i*>(in)),
                           _mm_loadl_epi64(reinterpret_cast<const __m128i*>(in + 6)));
    return _mm_or_si128(
        _mm_and_si128(halves, _mm_set_epi32(0, 0xFFFFFF, 0, 0xFFFFFF)),
        _mm_and_si128(_mm_slli_epi64(halves, 8), _mm_set_epi32(0xFFFFFF, 0, 0xFFFFFF, 0)));
}

// Decodes four blocks into the red, green and blue values of their eight pixels.
inline void decodeEight(const std::uint8_t* blocks, __m128i& r, __m128i& g, __m128i& b) {
    // A block's words are Y1 + 256 RY and Y2 + 256 BY.
    const __m128i in = _mm_loadu_si128(reinterpret_cast<const __m128i*>(blocks));
    const __m128i luma = _mm_and_si128(in, _mm_set1_epi16(0xFF));
    const __m128i diffs = _mm_srai_epi16(in, 8);

    const __m128i a = _mm_mullo_epi16(_mm_sub_epi16(luma, wordPairs(61, 60)), _mm_set1_epi16(109));
    // u = 90 RY and v = 160 BY, each spread over the pair's two pixels.
    const __m128i uv = _mm_mullo_epi16(diffs, wordPairs(90, 160));
    const __m128i u = _mm_shufflehi_epi16(_mm_shufflelo_epi16(uv, _MM_SHUFFLE(2, 2, 0, 0)),
                                          _MM_SHUFFLE(2, 2, 0, 0));
    const __m128i v = _mm_shufflehi_epi16(_mm_shufflelo_epi16(uv, _MM_SHUFFLE(3, 3, 1, 1)),
                                          _MM_SHUFFLE(3, 3, 1, 1));
    // v * 12218 + u * 33324 per pair, as (2u) * 16662 so that every factor fits 16 bits.
    const __m128i scaled = _mm_mullo_epi16(diffs, wordPairs(180, 160));
    __m128i green = truncatingShift32<16>(_mm_madd_epi16(scaled, wordPairs(16662, 12218)));
    green = _mm_packs_epi32(green, green);
    green = _mm_unpacklo_epi16(green, green);
    // Sums beyond 16 bits saturate, which the clamp to 255 would reach anyway; a negative sum
    // becomes 0 whether it is divided truncating or shifted.
    r = _mm_srai_epi16(_mm_adds_epi16(a, u), 6);
    g = _mm_srai_epi16(_mm_subs_epi16(a, green), 6);
    b = _mm_srai_epi16(_mm_adds_epi16(a, v), 6);
}

// Twelve bytes of four pixels from 32-bit lanes holding red, green and blue in bytes 0 to 2.
inline void storeFourRgb888(__m128i pixels, std::uint8_t* out) {
    // Per 64-bit half: the first pixel, then the second right behind it.
    const __m128i halves = _mm_or_si128(
        _mm_and_si128(pixels, _mm_set_epi32(0, 0xFFFFFF, 0, 0xFFFFFF)),
        _mm_and_si128(_mm_srli_epi64(pixels, 8),
                      _mm_set_epi32(0xFFFF, int(0xFF000000), 0xFFFF, int(0xFF000000))));
    const __m128i packed =
        _mm_or_si128(_mm_move_epi64(halves), _mm_slli_si128(_mm_srli_si128(halves, 8), 6));
    _mm_storel_epi64(reinterpret_cast<__m128i*>(out), packed);
    const std::uint32_t last = std::uint32_t(_mm_cvtsi128_si32(_mm_srli_si128(packed, 8)));
    std::memcpy(out + 8, &last, sizeof last);
}

inline void decodeEightRgb888(const std::uint8_t* blocks, std::uint8_t* out) {
    __m128i r, g, b;
    decodeEight(blocks, r, g, b);
    const __m128i zero = _mm_setzero_si128();
    const __m128i red = _mm_packus_epi16(r, r);
    const __m128i green = _mm_packus_epi16(g, g);
    const __m128i blue = _mm_packus_epi16(b, b);
    const __m128i redGreen = _mm_unpacklo_epi8(red, green);
    const __m128i blueZero = _mm_unpacklo_epi8(blue, zero);
    storeFourRgb888(_mm_unpacklo_epi16(redGreen, blueZero), out);
    storeFourRgb888(_mm_unpackhi_epi16(redGreen, blueZero), out + 12);
}

} // namespace

#endif

namespace {

// Decodes one pixel into three bytes.
inline void decodePixelRgb888(const std::uint8_t* line, int pixel, std::uint8_t* out) {
    int c[6];
    decodeComponents(line + 2 * (pixel & ~1), c);
    const int* own = c + 3 * (pixel & 1);
    out[0] = std::uint8_t(own[0]);
    out[1] = std::uint8_t(own[1]);
    out[2] = std::uint8_t(own[2]);
}

} // namespace

void decodeLineRgb888(const std::uint8_t* line, int first, int count, std::uint8_t* out) {
    first = std::clamp(first, 0, kFrameWidth);
    // Counted against what is left of the line, so that no sum can overflow.
    const int end = first + std::clamp(count, 0, kFrameWidth - first);
    int x = first;
    if (x < end && (x & 1) != 0) {
        decodePixelRgb888(line, x, out);
        ++x;
    }
    // Whole blocks from here on, through the widest path first.
    [[maybe_unused]] const Path path = paths::active();
#if WINORBIS_PIXELCODEC_AVX2
    if (path >= Path::Avx2) {
        const int done = avx2::decodeRgb888(line + 2 * x, (end - x) & ~1, out + 3 * (x - first));
        x += done;
    }
#endif
#if defined(__SSE2__)
    if (path >= Path::Sse2) {
        for (; x + 8 <= end; x += 8)
            decodeEightRgb888(line + 2 * x, out + 3 * (x - first));
    }
#endif
    for (; x < end; ++x)
        decodePixelRgb888(line, x, out + 3 * (x - first));
}

namespace {

// The blocks of pixels first .. count - 1 (count even) given as QRgb words.
void encodeRgb32(const QRgb* pixels, int count, std::uint8_t* out) {
    int x = 0;
    [[maybe_unused]] const Path path = paths::active();
#if WINORBIS_PIXELCODEC_AVX2
    if (path >= Path::Avx2) {
        x = avx2::encodeRgb32(pixels, count, out);
        out += 2 * x;
    }
#endif
#if defined(__SSE2__)
    if (path >= Path::Sse2) {
        const ChannelWeights weights = bgrWeights();
        for (; x + 8 <= count; x += 8, out += 16) {
            const auto* in = reinterpret_cast<const __m128i*>(pixels + x);
            encodeEight(_mm_loadu_si128(in), _mm_loadu_si128(in + 1), weights, out);
        }
    }
#endif
    for (; x < count; x += 2, out += 4) {
        const QRgb left = pixels[x], right = pixels[x + 1];
        encodeComponents(qRed(left), qGreen(left), qBlue(left), qRed(right), qGreen(right),
                         qBlue(right), out);
    }
}

// The blocks of a line of kFrameWidth RGB888 pixels.
void encodeRgb888(const uchar* in, std::uint8_t* out) {
    int x = 0;
    [[maybe_unused]] const Path path = paths::active();
#if WINORBIS_PIXELCODEC_AVX2
    if (path >= Path::Avx2) {
        x = avx2::encodeRgb888(in, kFrameWidth, out);
        in += 3 * x;
        out += 2 * x;
    }
#endif
#if defined(__SSE2__)
    if (path >= Path::Sse2) {
        // A group reads two bytes of the pixels after it, which the scalar loop encodes.
        const ChannelWeights weights = rgbWeights();
        for (; x + 8 < kFrameWidth; x += 8, in += 24, out += 16)
            encodeEight(loadFourRgb888(in), loadFourRgb888(in + 12), weights, out);
    }
#endif
    for (; x < kFrameWidth; x += 2, in += 6, out += 4)
        encodeComponents(in[0], in[1], in[2], in[3], in[4], in[5], out);
}

} // namespace

QByteArray encodeLine(const std::array<QRgb, kFrameWidth>& pixels) {
    QByteArray line(kLineBytes, Qt::Uninitialized);
    encodeRgb32(pixels.data(), kFrameWidth, reinterpret_cast<std::uint8_t*>(line.data()));
    return line;
}

QByteArray encodeImageRow(const QImage& image, int row) {
    const bool inside = row >= 0 && row < image.height();
    if (inside && image.width() >= kFrameWidth) {
        // The common case of a full-width picture: straight from the picture's bytes.
        switch (image.format()) {
        case QImage::Format_RGB888: {
            QByteArray line(kLineBytes, Qt::Uninitialized);
            encodeRgb888(image.constScanLine(row), reinterpret_cast<std::uint8_t*>(line.data()));
            return line;
        }
        case QImage::Format_RGB32:
        case QImage::Format_ARGB32: {
            QByteArray line(kLineBytes, Qt::Uninitialized);
            encodeRgb32(reinterpret_cast<const QRgb*>(image.constScanLine(row)), kFrameWidth,
                        reinterpret_cast<std::uint8_t*>(line.data()));
            return line;
        }
        default:
            break;
        }
    }
    std::array<QRgb, kFrameWidth> pixels;
    pixels.fill(qRgb(255, 255, 255)); // columns beyond the picture count as white
    if (inside) {
        const int width = std::min(image.width(), kFrameWidth);
        const uchar* line = image.constScanLine(row);
        switch (image.format()) {
        case QImage::Format_RGB888:
            for (int x = 0; x < width; ++x)
                pixels[std::size_t(x)] = qRgb(line[3 * x], line[3 * x + 1], line[3 * x + 2]);
            break;
        case QImage::Format_RGB32:
        case QImage::Format_ARGB32:
            std::copy_n(reinterpret_cast<const QRgb*>(line), width, pixels.begin());
            break;
        default:
            for (int x = 0; x < width; ++x)
                pixels[std::size_t(x)] = image.pixel(x, row);
            break;
        }
    }
    return encodeLine(pixels);
}

std::array<QRgb, kFrameWidth> decodeLine(const std::uint8_t* line) {
    std::array<QRgb, kFrameWidth> pixels;
    for (int p = 0; p < kPairsPerLine; ++p) {
        const auto pair = decodePair(line + 4 * p);
        pixels[std::size_t(2 * p)] = pair[0];
        pixels[std::size_t(2 * p + 1)] = pair[1];
    }
    return pixels;
}

const QByteArray& headerLine() {
    static const QByteArray line = [] {
        // Pairs per step and the step's luminance pair (Y1, Y2).
        struct Step {
            int pairs, y1, y2;
        };
        const Step steps[] = {{26, 61, 60},   {26, 83, 82},   {26, 103, 102}, {26, 123, 122},
                              {26, 143, 142}, {26, 167, 166}, {26, 187, 186}, {28, 209, 208}};
        QByteArray bytes;
        for (const Step& step : steps) {
            for (int i = 0; i < step.pairs; ++i)
                bytes.append(char(step.y1)).append('\0').append(char(step.y2)).append('\0');
        }
        return bytes;
    }();
    return line;
}

} // namespace winorbis::pixelcodec
