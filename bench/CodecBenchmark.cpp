// SPDX-License-Identifier: GPL-3.0-or-later
// Encoding a 420 x 256 picture into the converter's 256 line blocks, and decoding them into the
// 410 x 256 RX picture: on the codec's own choice of path, then on each path the processor has
// (reported as skipped where it has not).
#include "converter/PixelCodec.h"
#include "converter/PixelCodecPaths.h"

#include <QImage>
#include <QRandomGenerator>

#include <benchmark/benchmark.h>

#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace pc = winorbis::pixelcodec;
using pc::paths::Path;

namespace {

QImage randomFrame() {
    QRandomGenerator rng(7);
    QImage picture(420, 256, QImage::Format_RGB888);
    for (int y = 0; y < 256; ++y)
        for (int x = 0; x < 420; ++x)
            picture.setPixel(x, y, qRgb(rng.bounded(256), rng.bounded(256), rng.bounded(256)));
    return picture;
}

// Runs a benchmark on path, or reports that the processor lacks it; the codec's own choice
// comes back afterwards.
class OnPath {
public:
    OnPath(benchmark::State& state, std::optional<Path> path)
        : widest_(pc::paths::active()) {
        if (path && !pc::paths::use(*path))
            state.SkipWithError("the processor lacks this path");
    }
    ~OnPath() { pc::paths::use(widest_); }
    OnPath(const OnPath&) = delete;
    OnPath& operator=(const OnPath&) = delete;

private:
    Path widest_;
};

void EncodeFrame(benchmark::State& state, std::optional<Path> path) {
    const QImage picture = randomFrame();
    const OnPath on(state, path);
    for (auto _ : state) {
        for (int row = 0; row < pc::kFrameLines; ++row)
            benchmark::DoNotOptimize(pc::encodeImageRow(picture, row));
    }
}

void DecodeFrame(benchmark::State& state, std::optional<Path> path) {
    const QImage picture = randomFrame();
    std::vector<QByteArray> lines;
    for (int row = 0; row < pc::kFrameLines; ++row)
        lines.push_back(pc::encodeImageRow(picture, row));
    QImage rx(410, 256, QImage::Format_RGB888);
    const OnPath on(state, path);
    for (auto _ : state) {
        for (int row = 0; row < pc::kFrameLines; ++row)
            pc::decodeLineRgb888(
                reinterpret_cast<const std::uint8_t*>(lines[std::size_t(row)].constData()), 10, 410,
                rx.scanLine(row));
        benchmark::DoNotOptimize(rx.bits());
    }
}

// EncodeFrame and DecodeFrame on the codec's own choice, then EncodeFrame/avx2 and so on.
const bool registered = [] {
    benchmark::AddCustomContext("goal", "EncodeFrame + DecodeFrame under 200 us of CPU time");
    benchmark::AddCustomContext("codec path", pc::paths::name(pc::paths::active()));
    const std::pair<const char*, std::optional<Path>> paths[] = {{"", std::nullopt},
                                                                 {"/avx2", Path::Avx2},
                                                                 {"/sse2", Path::Sse2},
                                                                 {"/scalar", Path::Scalar}};
    for (const auto& [suffix, path] : paths) {
        benchmark::RegisterBenchmark((std::string("EncodeFrame") + suffix).c_str(), EncodeFrame,
                                     path)
            ->Unit(benchmark::kMicrosecond);
        benchmark::RegisterBenchmark((std::string("DecodeFrame") + suffix).c_str(), DecodeFrame,
                                     path)
            ->Unit(benchmark::kMicrosecond);
    }
    return true;
}();

} // namespace
