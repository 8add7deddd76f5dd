// SPDX-License-Identifier: GPL-3.0-or-later
// Encoding a 420 x 256 picture into the converter's 256 line blocks, and decoding them into the
// 410 x 256 RX picture.
#include "link/PixelCodec.h"

#include <QImage>
#include <QRandomGenerator>

#include <benchmark/benchmark.h>

#include <vector>

namespace pc = winorbis::pixelcodec;

namespace {

QImage randomFrame() {
    QRandomGenerator rng(7);
    QImage picture(420, 256, QImage::Format_RGB888);
    for (int y = 0; y < 256; ++y)
        for (int x = 0; x < 420; ++x)
            picture.setPixel(x, y, qRgb(rng.bounded(256), rng.bounded(256), rng.bounded(256)));
    return picture;
}

void EncodeFrame(benchmark::State& state) {
    const QImage picture = randomFrame();
    for (auto _ : state) {
        for (int row = 0; row < pc::kFrameLines; ++row)
            benchmark::DoNotOptimize(pc::encodeImageRow(picture, row));
    }
}
BENCHMARK(EncodeFrame)->Unit(benchmark::kMicrosecond);

void DecodeFrame(benchmark::State& state) {
    const QImage picture = randomFrame();
    std::vector<QByteArray> lines;
    for (int row = 0; row < pc::kFrameLines; ++row)
        lines.push_back(pc::encodeImageRow(picture, row));
    QImage rx(410, 256, QImage::Format_RGB888);
    for (auto _ : state) {
        for (int row = 0; row < pc::kFrameLines; ++row)
            pc::decodeLineRgb888(
                reinterpret_cast<const std::uint8_t*>(lines[std::size_t(row)].constData()), 10, 410,
                rx.scanLine(row));
        benchmark::DoNotOptimize(rx.bits());
    }
}
BENCHMARK(DecodeFrame)->Unit(benchmark::kMicrosecond);

} // namespace
