// SPDX-License-Identifier: GPL-3.0-or-later
#include "converter/PixelCodec.h"
#include "converter/PixelCodecPaths.h"

#include <QFile>
#include <QImage>

#include <algorithm>
#include <cstring>
#include <random>
#include <utility>
#include <vector>

#include <gtest/gtest.h>

using namespace winorbis;
namespace pc = winorbis::pixelcodec;
using pc::paths::Path;

namespace {

pc::PairBlock block(int y1, int ry, int y2, int by) {
    return {std::uint8_t(y1), std::uint8_t(std::int8_t(ry)), std::uint8_t(y2),
            std::uint8_t(std::int8_t(by))};
}

} // namespace

TEST(PixelCodec, EncodesAndDecodesTheConvertersReferencePairs) {
    struct Case {
        QRgb pixel;
        pc::PairBlock encoded;
        QRgb decoded;
    };
    const Case cases[] = {
        {qRgb(255, 255, 255), block(211, -2, 210, 0), qRgb(252, 255, 255)},
        {qRgb(0, 0, 0), block(61, 0, 60, 0), qRgb(0, 0, 0)},
        {qRgb(255, 0, 0), block(105, 126, 104, -30), qRgb(252, 0, 0)},
        {qRgb(128, 128, 128), block(137, 0, 136, 0), qRgb(129, 129, 129)},
    };
    for (const Case& c : cases) {
        const pc::PairBlock encoded = pc::encodePair(c.pixel, c.pixel);
        EXPECT_EQ(encoded, c.encoded) << std::hex << c.pixel;
        const auto pair = pc::decodePair(encoded.data());
        EXPECT_EQ(pair[0], c.decoded) << std::hex << c.pixel;
        EXPECT_EQ(pair[1], c.decoded) << std::hex << c.pixel;
    }
}

TEST(PixelCodec, LimitsTheColourDifferencesAndKeepsThemEven) {
    // Cyan drives RY below -127: it is limited to -127, which goes out as -128.
    const pc::PairBlock cyan = pc::encodePair(qRgb(0, 255, 255), qRgb(0, 255, 255));
    EXPECT_EQ(std::int8_t(cyan[1]), -128);
    // Odd differences lose their lowest bit; Y1 is always odd, Y2 always even.
    const pc::PairBlock blue = pc::encodePair(qRgb(0, 0, 255), qRgb(0, 0, 254));
    EXPECT_EQ(std::int8_t(blue[3]), 88); // 89 before its lowest bit is cleared
    EXPECT_EQ(blue[0] & 1, 1);
    EXPECT_EQ(blue[2] & 1, 0);
    const pc::PairBlock mixed = pc::encodePair(qRgb(10, 200, 30), qRgb(250, 20, 90));
    EXPECT_EQ(mixed[1] & 1, 0);
    EXPECT_EQ(mixed[3] & 1, 0);
}

TEST(PixelCodec, TheHeaderLineIsAGreyStaircaseOfEightSteps) {
    const QByteArray& header = pc::headerLine();
    ASSERT_EQ(header.size(), pc::kLineBytes);
    const auto pixels = pc::decodeLine(reinterpret_cast<const std::uint8_t*>(header.constData()));
    const int greys[] = {0, 37, 71, 105, 139, 180, 214, 252};
    const int firstPair[] = {0, 26, 52, 78, 104, 130, 156, 182};
    for (int step = 0; step < 8; ++step) {
        const QRgb p = pixels[std::size_t(firstPair[step] * 2)];
        EXPECT_EQ(qRed(p), greys[step]) << step;
        EXPECT_EQ(qGreen(p), greys[step]) << step;
        EXPECT_EQ(qBlue(p), greys[step]) << step;
    }
    EXPECT_EQ(quint8(header[209 * 4]), 209);
    EXPECT_EQ(quint8(header[209 * 4 + 2]), 208);
}

TEST(PixelCodec, ColumnsOutsideTheImageAreWhite) {
    QImage black(410, 256, QImage::Format_RGB32);
    black.fill(Qt::black);
    const QByteArray line = pc::encodeImageRow(black, 1);
    ASSERT_EQ(line.size(), pc::kLineBytes);
    EXPECT_EQ(line.mid(0, 4), QByteArray("\x3D\x00\x3C\x00", 4));       // black pair 0
    EXPECT_EQ(line.mid(204 * 4, 4), QByteArray("\x3D\x00\x3C\x00", 4)); // columns 408, 409
    EXPECT_EQ(line.mid(205 * 4, 4), QByteArray("\xD3\xFE\xD2\x00", 4)); // columns 410, 411
    EXPECT_EQ(line.mid(209 * 4, 4), QByteArray("\xD3\xFE\xD2\x00", 4));
}

TEST(PixelCodec, ADecodedRangeBeyondTheLineStopsAtItsEnd) {
    std::array<QRgb, pc::kFrameWidth> pixels;
    pixels.fill(qRgb(200, 200, 200));
    const QByteArray line = pc::encodeLine(pixels);
    const auto* bytes = reinterpret_cast<const std::uint8_t*>(line.constData());
    std::vector<std::uint8_t> out(3 * pc::kFrameWidth + 3, 0xAB);
    // A count far past the line, even one whose sum with the start would overflow.
    pc::decodeLineRgb888(bytes, 410, 2147483647, out.data());
    EXPECT_NE(out[0], 0xAB);
    EXPECT_EQ(out[3 * 10], 0xAB) << "only ten pixels remain after 410";
    std::fill(out.begin(), out.end(), 0xAB);
    pc::decodeLineRgb888(bytes, 2147483600, 100, out.data());
    EXPECT_EQ(out[0], 0xAB) << "a start past the line decodes nothing";
}

// The codec's output pinned over large inputs: every colour, random pixel pairs and whole
// pictures in each picture format, each folded into a hash recorded from the codec as the
// converter accepts it. A faster codec must keep these hashes.
namespace {

// FNV-1a over bytes.
struct Fnv {
    std::uint64_t value = 14695981039346656037ull;
    void add(const void* data, std::size_t size) {
        const auto* bytes = static_cast<const std::uint8_t*>(data);
        for (std::size_t i = 0; i < size; ++i)
            value = (value ^ bytes[i]) * 1099511628211ull;
    }
    void add(QRgb pixel) { add(&pixel, sizeof pixel); }
};

QImage randomPicture(int width, int height, std::uint32_t seed) {
    std::mt19937 rng(seed);
    QImage picture(width, height, QImage::Format_RGB888);
    for (int y = 0; y < height; ++y) {
        uchar* line = picture.scanLine(y);
        for (int i = 0; i < 3 * width; ++i)
            line[i] = uchar(rng() >> 24);
    }
    return picture;
}

std::uint64_t frameHash(const QImage& picture) {
    Fnv hash;
    for (int row = -1; row <= pc::kFrameLines; ++row) {
        const QByteArray line = pc::encodeImageRow(picture, row);
        hash.add(line.constData(), std::size_t(line.size()));
    }
    return hash.value;
}

} // namespace

TEST(PixelCodecReference, EncodingKeepsItsOutputForEveryColourAndRandomPairs) {
    Fnv same, random;
    std::mt19937 rng(11);
    for (std::uint32_t c = 0; c < (1u << 24); ++c) {
        const QRgb pixel = 0xFF000000u | c;
        const pc::PairBlock block = pc::encodePair(pixel, pixel);
        same.add(block.data(), block.size());
        const pc::PairBlock mixed = pc::encodePair(pixel, 0xFF000000u | (rng() >> 8));
        random.add(mixed.data(), mixed.size());
    }
    EXPECT_EQ(same.value, 12346254572009041503ull);
    EXPECT_EQ(random.value, 13762394383606325115ull);
}

TEST(PixelCodecReference, DecodingKeepsItsOutputForEveryBlock) {
    // Red and blue depend on a luminance and one difference, green on all three.
    Fnv pairs;
    std::uint8_t block[4];
    for (int y = 0; y < 256; ++y) {
        block[0] = std::uint8_t(y);
        block[2] = std::uint8_t(255 - y);
        for (int u = 0; u < 256; ++u) {
            block[1] = std::uint8_t(u);
            for (int v = 0; v < 256; ++v) {
                block[3] = std::uint8_t(v);
                const auto pair = pc::decodePair(block);
                pairs.add(pair[0]);
                pairs.add(pair[1]);
            }
        }
    }
    EXPECT_EQ(pairs.value, 13057836385510903102ull);
}

namespace winorbis::pixelcodec::paths {
// A path's name in the tests' messages.
void PrintTo(Path path, std::ostream* out) {
    *out << name(path);
}
} // namespace winorbis::pixelcodec::paths

namespace {

// Each code path the processor can run, made the codec's path for one test.
class PixelCodecPath : public ::testing::TestWithParam<Path> {
protected:
    void SetUp() override {
        if (!pc::paths::use(GetParam()))
            GTEST_SKIP() << "no " << pc::paths::name(GetParam()) << " path on this processor";
    }
    void TearDown() override { pc::paths::use(widest_); }

private:
    Path widest_ = pc::paths::supported().back();
};

std::string pathName(const ::testing::TestParamInfo<Path>& path) {
    return pc::paths::name(path.param);
}

} // namespace

INSTANTIATE_TEST_SUITE_P(PixelCodec, PixelCodecPath,
                         ::testing::Values(Path::Scalar, Path::Sse2, Path::Avx2), pathName);

TEST_P(PixelCodecPath, DecodesLinesAsBefore) {
    // Whole lines and parts of them, from odd and even first pixels.
    Fnv lines;
    const QImage picture = randomPicture(pc::kFrameWidth, 16, 5);
    std::vector<std::uint8_t> rgb(3 * pc::kFrameWidth);
    for (int row = 0; row < 16; ++row) {
        const QByteArray encoded = pc::encodeImageRow(picture, row);
        const auto* bytes = reinterpret_cast<const std::uint8_t*>(encoded.constData());
        for (const QRgb pixel : pc::decodeLine(bytes))
            lines.add(pixel);
        for (const auto& [first, count] : {std::pair{0, 420}, std::pair{10, 410}, std::pair{3, 8},
                                           std::pair{1, 418}, std::pair{415, 9}}) {
            std::fill(rgb.begin(), rgb.end(), 0xAB);
            pc::decodeLineRgb888(bytes, first, count, rgb.data());
            lines.add(rgb.data(), rgb.size());
        }
    }
    EXPECT_EQ(lines.value, 3794738106937677928ull);
}

TEST_P(PixelCodecPath, EveryPictureFormatEncodesAsBefore) {
    const QImage picture = randomPicture(pc::kFrameWidth, pc::kFrameLines, 3);
    const std::uint64_t expected = 6595450927081407889ull;
    EXPECT_EQ(frameHash(picture), expected);
    EXPECT_EQ(frameHash(picture.convertToFormat(QImage::Format_RGB32)), expected);
    EXPECT_EQ(frameHash(picture.convertToFormat(QImage::Format_ARGB32)), expected);
    EXPECT_EQ(frameHash(picture.convertToFormat(QImage::Format_RGBX8888)), expected);
    // Narrower and wider pictures: white beyond the right edge, the rest cut off.
    EXPECT_EQ(frameHash(randomPicture(301, 200, 4)), 16187000904456264223ull);
    EXPECT_EQ(frameHash(randomPicture(301, 200, 4).convertToFormat(QImage::Format_RGB32)),
              16187000904456264223ull);
    EXPECT_EQ(frameHash(randomPicture(640, 300, 6)), 4714188316143896281ull);
}

// Every path the processor has against the plain pair code, over every colour and every block:
// each line is made once and run through each path.
namespace {

// The paths the processor has; the codec's own choice comes back at the end of the test.
class EveryPath {
public:
    EveryPath() = default;
    EveryPath(const EveryPath&) = delete;
    EveryPath& operator=(const EveryPath&) = delete;
    ~EveryPath() { pc::paths::use(paths_.back()); }
    auto begin() const { return paths_.begin(); }
    auto end() const { return paths_.end(); }

private:
    std::vector<Path> paths_ = pc::paths::supported();
};

} // namespace

TEST(PixelCodecPaths, EncodeEveryColourAsThePairCode) {
    // Lines of consecutive colours (every colour beside the next) as RGB888 and 32-bit pictures.
    const EveryPath paths;
    QImage rgb888(pc::kFrameWidth, 1, QImage::Format_RGB888);
    QImage rgb32(pc::kFrameWidth, 1, QImage::Format_RGB32);
    auto* words = reinterpret_cast<QRgb*>(rgb32.scanLine(0));
    uchar* bytes = rgb888.scanLine(0);
    QByteArray expected(pc::kLineBytes, '\0');
    for (std::uint32_t first = 0; first < (1u << 24); first += pc::kFrameWidth) {
        for (int x = 0; x < pc::kFrameWidth; ++x) {
            const std::uint32_t colour = (first + std::uint32_t(x)) & 0xFFFFFF;
            words[x] = 0xFF000000u | colour;
            bytes[3 * x] = uchar(colour >> 16);
            bytes[3 * x + 1] = uchar(colour >> 8);
            bytes[3 * x + 2] = uchar(colour);
        }
        for (int p = 0; p < pc::kPairsPerLine; ++p) {
            const pc::PairBlock block = pc::encodePair(words[2 * p], words[2 * p + 1]);
            std::memcpy(expected.data() + 4 * p, block.data(), block.size());
        }
        for (Path path : paths) {
            pc::paths::use(path);
            ASSERT_EQ(pc::encodeImageRow(rgb888, 0), expected) << pc::paths::name(path) << first;
            ASSERT_EQ(pc::encodeImageRow(rgb32, 0), expected) << pc::paths::name(path) << first;
        }
    }
}

TEST(PixelCodecPaths, DecodeEveryBlockAsThePairCode) {
    // The blocks of every first luminance and pair of differences, 210 to a line; each line
    // decoded whole and from an odd pixel on, so that the vector groups end at changing places.
    const EveryPath paths;
    std::vector<std::uint8_t> line(pc::kLineBytes);
    std::vector<std::uint8_t> expected(3 * pc::kFrameWidth), decoded(3 * pc::kFrameWidth);
    for (std::uint32_t next = 0, number = 0; next < (1u << 24); ++number) {
        for (int p = 0; p < pc::kPairsPerLine; ++p, ++next) {
            const std::uint32_t n = next & 0xFFFFFF;
            std::uint8_t* block = line.data() + 4 * p;
            block[0] = std::uint8_t(n >> 16);
            block[1] = std::uint8_t(n >> 8);
            block[2] = std::uint8_t(255 - (n >> 16));
            block[3] = std::uint8_t(n);
            const auto pair = pc::decodePair(block);
            for (std::size_t i = 0; i < 2; ++i) {
                std::uint8_t* rgb = expected.data() + 6 * p + 3 * i;
                rgb[0] = std::uint8_t(qRed(pair[i]));
                rgb[1] = std::uint8_t(qGreen(pair[i]));
                rgb[2] = std::uint8_t(qBlue(pair[i]));
            }
        }
        const int first = 1 + 2 * int(number % 24), count = pc::kFrameWidth - 2 * first;
        for (Path path : paths) {
            pc::paths::use(path);
            pc::decodeLineRgb888(line.data(), 0, pc::kFrameWidth, decoded.data());
            ASSERT_EQ(decoded, expected) << pc::paths::name(path) << " line " << number;
            decoded[std::size_t(3 * count)] = 0xAB;
            pc::decodeLineRgb888(line.data(), first, count, decoded.data());
            ASSERT_EQ(std::memcmp(decoded.data(), expected.data() + 3 * first, 3 * count), 0)
                << pc::paths::name(path) << " line " << number << " from " << first;
            ASSERT_EQ(decoded[std::size_t(3 * count)], 0xAB) << pc::paths::name(path);
        }
    }
}

TEST(PixelCodecPaths, TheCodecRunsTheWidestPathOfTheProcessor) {
    // The processor's own list of what it has, as the kernel reports it.
    QFile cpuinfo("/proc/cpuinfo");
    ASSERT_TRUE(cpuinfo.open(QIODevice::ReadOnly));
    const QByteArray flags = cpuinfo.readAll();
    const std::vector<Path> paths = pc::paths::supported();
    EXPECT_EQ(paths.front(), Path::Scalar);
#if defined(__x86_64__)
    EXPECT_NE(std::find(paths.begin(), paths.end(), Path::Sse2), paths.end());
    const bool avx2 = flags.contains(" avx2 ") || flags.contains(" avx2\n");
    EXPECT_EQ(std::find(paths.begin(), paths.end(), Path::Avx2) != paths.end(), avx2);
    EXPECT_EQ(pc::paths::active(), avx2 ? Path::Avx2 : Path::Sse2);
#endif
}
