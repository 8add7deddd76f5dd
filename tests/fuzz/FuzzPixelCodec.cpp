// SPDX-License-Identifier: GPL-3.0-or-later
// Fuzz target for the converter's pixel format: arbitrary line bytes decode into 420 opaque
// pixels, read only from the 840 bytes of the line block (held in a block of exactly that size),
// and the two decoders agree; a part of a line decodes into exactly the bytes asked for; pixels
// encode into blocks of the converter's form, the same through every picture format, and grey
// pairs come back as their grey. Every code path the processor has gives the plain path's bytes.
#include "FuzzSupport.h"

#include "converter/PixelCodec.h"
#include "converter/PixelCodecPaths.h"

#include <QImage>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <tuple>
#include <vector>

using namespace winorbis;
using fuzz::check;
namespace pc = winorbis::pixelcodec;
using pc::paths::Path;

namespace {

// Runs make on every code path the processor has; each must give what the plain path gives.
template <typename Make> void checkEveryPathAgrees(const Make& make, const char* what) {
    const std::vector<Path> paths = pc::paths::supported();
    pc::paths::use(Path::Scalar);
    const auto plain = make();
    for (Path path : paths) {
        pc::paths::use(path);
        check(make() == plain, what);
    }
    pc::paths::use(paths.back());
}

// A line block of exactly 840 bytes: the input's bytes, repeated.
std::unique_ptr<std::uint8_t[]> lineBlock(const QByteArray& bytes) {
    auto line = std::make_unique<std::uint8_t[]>(pc::kLineBytes);
    for (int i = 0; i < pc::kLineBytes; ++i)
        line[std::size_t(i)] = bytes.isEmpty() ? 0 : std::uint8_t(bytes[i % bytes.size()]);
    return line;
}

void checkDecoding(const std::uint8_t* line, int first, int count) {
    const auto pixels = pc::decodeLine(line);
    for (QRgb p : pixels)
        check(qAlpha(p) == 255, "decoded pixels are opaque");

    // Exactly count pixels' room: a decoder that writes more is caught by the sanitizer.
    const int room = std::max(count, 0);
    auto out = std::make_unique<std::uint8_t[]>(std::size_t(3 * room) + 1);
    std::memset(out.get(), 0xA5, std::size_t(3 * room) + 1);
    pc::decodeLineRgb888(line, first, count, out.get());
    const int from = std::max(first, 0);
    const int to = std::min(from + room, pc::kFrameWidth);
    for (int x = from; x < to; ++x) {
        const std::uint8_t* rgb = out.get() + 3 * (x - from);
        const QRgb p = pixels[std::size_t(x)];
        check(rgb[0] == qRed(p) && rgb[1] == qGreen(p) && rgb[2] == qBlue(p),
              "both decoders give the same pixel");
    }
    check(out[std::size_t(3 * room)] == 0xA5, "nothing written past the pixels asked for");
    checkEveryPathAgrees(
        [&] {
            std::vector<std::uint8_t> bytes(std::size_t(3 * room));
            pc::decodeLineRgb888(line, first, count, bytes.data());
            return bytes;
        },
        "every path decodes alike");
}

void checkEncodedForm(const QByteArray& line) {
    check(line.size() == pc::kLineBytes, "an encoded line has 840 bytes");
    for (int p = 0; p < pc::kPairsPerLine; ++p) {
        const auto* block = reinterpret_cast<const std::uint8_t*>(line.constData()) + 4 * p;
        check((block[0] & 1) == 1, "Y1 is odd");
        check((block[2] & 1) == 0, "Y2 is even");
        check((block[1] & 1) == 0 && (block[3] & 1) == 0, "colour differences are even");
        check(block[0] >= 61 && block[2] >= 60, "luminance at or above black");
    }
}

void checkEncoding(const QByteArray& bytes, int width) {
    // Pixels from the input's bytes; a picture of the given width in two formats.
    std::array<QRgb, pc::kFrameWidth> pixels;
    for (int x = 0; x < pc::kFrameWidth; ++x) {
        const auto at = [&](int k) {
            return bytes.isEmpty() ? 0 : std::uint8_t(bytes[(3 * x + k) % bytes.size()]);
        };
        pixels[std::size_t(x)] = qRgb(at(0), at(1), at(2));
    }
    const QByteArray line = pc::encodeLine(pixels);
    checkEncodedForm(line);

    QImage rgb888(width, 2, QImage::Format_RGB888);
    for (int x = 0; x < width; ++x) {
        const QRgb p = x < pc::kFrameWidth ? pixels[std::size_t(x)] : qRgb(1, 2, 3);
        rgb888.setPixel(x, 1, p);
        rgb888.setPixel(x, 0, p);
    }
    const QImage rgb32 = rgb888.convertToFormat(QImage::Format_RGB32);
    const QByteArray fromRgb888 = pc::encodeImageRow(rgb888, 1);
    check(fromRgb888 == pc::encodeImageRow(rgb32, 1), "every picture format encodes alike");
    checkEncodedForm(fromRgb888);
    if (width >= pc::kFrameWidth)
        check(fromRgb888 == line, "a full-width row encodes as its pixels");
    check(pc::encodeImageRow(rgb888, 2) == pc::encodeImageRow(rgb888, -1),
          "rows outside the picture encode as white");
    checkEveryPathAgrees(
        [&] {
            return std::tuple(pc::encodeLine(pixels), pc::encodeImageRow(rgb888, 1),
                              pc::encodeImageRow(rgb32, 1));
        },
        "every path encodes alike");

    // A grey pair comes back within 4 steps of its grey.
    for (int p = 0; p < pc::kPairsPerLine; ++p) {
        const int grey = qRed(pixels[std::size_t(2 * p)]);
        const pc::PairBlock block = pc::encodePair(qRgb(grey, grey, grey), qRgb(grey, grey, grey));
        for (QRgb back : pc::decodePair(block.data())) {
            for (int channel : {qRed(back), qGreen(back), qBlue(back)})
                check(std::abs(channel - grey) <= 4, "a grey pair comes back as its grey");
        }
    }
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    fuzz::application();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    fuzz::InputReader in(data, size);
    const int first = in.signedWord() % 512;
    const int count = in.signedWord() % 512;
    const int width = 1 + in.word() % 500;
    const QByteArray bytes = in.rest();

    const auto line = lineBlock(bytes);
    checkDecoding(line.get(), first, count);
    checkEncoding(bytes, width);
    return 0;
}
