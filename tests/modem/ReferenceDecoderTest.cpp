// SPDX-License-Identifier: GPL-3.0-or-later
// The transmitter's audio read back by a second, much simpler receiver written here from the
// published mode timings alone: known mode, perfect timing, the tone of each pixel from the
// samples under it. It shares nothing with the library's receiver or its mode table.
#include "ModemTestSupport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <map>
#include <string>
#include <vector>

using namespace winorbis::sstv;
using namespace winorbis::sstv::test;

namespace {

constexpr double kRate = 48000.0;
// Line pairs of which one in this many is read (the others are left black).
constexpr int kEvery = 4;
constexpr double kHeaderMs = 910.0;

// One part of a line: 'G', 'B', 'R' (RGB scans), 'Y', 'U' (B-Y), 'V' (R-Y), 'W' (Y of the second
// row a line carries), or '-' a tone.
struct Part {
    char what;
    double ms;
};

struct Timing {
    ModeId id;
    int pixels, lines; // lines: picture rows
    double leadMs;     // a sync after the header before the first line
    std::vector<Part> even, odd;
    int rows = 1;        // picture rows per line
    double headerMs = 0; // beyond the plain header (MMSSTV's second byte)
};

std::vector<Timing> publishedTimings() {
    const auto same = [](ModeId id, int pixels, int lines, std::vector<Part> l, int rows = 1,
                         double headerMs = 0) {
        return Timing{id, pixels, lines, 0.0, l, l, rows, headerMs};
    };
    const auto martin = [&](ModeId id, double scan) {
        return same(id, 320, 256,
                    {{'-', 4.862},
                     {'-', 0.572},
                     {'G', scan},
                     {'-', 0.572},
                     {'B', scan},
                     {'-', 0.572},
                     {'R', scan},
                     {'-', 0.572}});
    };
    const auto scottie = [](ModeId id, double scan) {
        const std::vector<Part> l{{'-', 1.5}, {'G', scan}, {'-', 1.5}, {'B', scan},
                                  {'-', 9.0}, {'-', 1.5},  {'R', scan}};
        return Timing{id, 320, 256, 9.0, l, l};
    };
    // Robot 72 and Robot 24 (two thirds of its times).
    const auto robot = [&](ModeId id, int lines, double k) {
        return same(id, 320, lines,
                    {{'-', 12.0 * k},
                     {'Y', 138.0 * k},
                     {'-', 6.0 * k},
                     {'V', 69.0 * k},
                     {'-', 6.0 * k},
                     {'U', 69.0 * k}});
    };
    const auto wraase = [&](ModeId id, double scan) {
        return same(id, 320, 256, {{'-', 6.0225}, {'R', scan}, {'G', scan}, {'B', scan}});
    };
    const auto pasokon = [&](ModeId id, double unit) { // ms of a pixel
        return same(id, 640, 496,
                    {{'-', 30 * unit},
                     {'R', 640 * unit},
                     {'-', 5 * unit},
                     {'G', 640 * unit},
                     {'-', 5 * unit},
                     {'B', 640 * unit},
                     {'-', 5 * unit}});
    };
    const auto pd = [&](ModeId id, int pixels, int lines, double pixelMs) {
        const double scan = pixels * pixelMs;
        return same(id, pixels, lines,
                    {{'-', 22.08}, {'Y', scan}, {'V', scan}, {'U', scan}, {'W', scan}}, 2);
    };
    const auto mp = [&](ModeId id, double scan) {
        return same(id, 320, 256, {{'-', 10.0}, {'Y', scan}, {'V', scan}, {'U', scan}, {'W', scan}},
                    2, 240.0);
    };
    const auto mr = [&](ModeId id, int pixels, int lines, double y) {
        return same(
            id, pixels, lines,
            {{'-', 10.0}, {'Y', y}, {'-', 0.1}, {'V', y / 2}, {'-', 0.1}, {'U', y / 2}, {'-', 0.1}},
            1, 240.0);
    };
    using I = ModeId;
    return {
        Timing{I::Robot36,
               320,
               240,
               0.0,
               {{'-', 12.0}, {'Y', 88.0}, {'-', 6.0}, {'V', 44.0}},
               {{'-', 12.0}, {'Y', 88.0}, {'-', 6.0}, {'U', 44.0}}},
        robot(I::Robot72, 240, 1.0),
        martin(I::Martin1, 146.432),
        martin(I::Martin2, 73.216),
        scottie(I::Scottie1, 138.240),
        scottie(I::Scottie2, 88.064),
        scottie(I::ScottieDx, 345.6),
        robot(I::Robot24, 120, 2.0 / 3.0),
        same(I::Bw8, 160, 120, {{'-', 7.0}, {'Y', 59.9}}),
        same(I::Bw12, 160, 120, {{'-', 7.0}, {'Y', 93.0}}),
        same(I::Bw24, 320, 240, {{'-', 12.0}, {'Y', 88.0}}),
        same(I::Bw36, 320, 240, {{'-', 12.0}, {'Y', 138.0}}),
        wraase(I::Wraase60, 78.12),
        wraase(I::Wraase120, 156.5),
        wraase(I::Wraase180, 235.0),
        pasokon(I::Pasokon3, 1.0 / 4.8),
        pasokon(I::Pasokon5, 1.0 / 3.2),
        pasokon(I::Pasokon7, 1.0 / 2.4),
        pd(I::Pd50, 320, 256, 0.286),
        pd(I::Pd90, 320, 256, 0.532),
        pd(I::Pd120, 640, 496, 0.19),
        pd(I::Pd160, 512, 400, 0.382),
        pd(I::Pd180, 640, 496, 0.286),
        pd(I::Pd240, 640, 496, 0.382),
        pd(I::Pd290, 800, 616, 0.286),
        mp(I::Mp73, 140.0),
        mp(I::Mp115, 223.0),
        mp(I::Mp140, 270.0),
        mp(I::Mp175, 340.0),
        mr(I::Mr73, 320, 256, 138.0),
        mr(I::Mr90, 320, 256, 171.0),
        mr(I::Mr115, 320, 256, 220.0),
        mr(I::Mr140, 320, 256, 269.0),
        mr(I::Mr175, 320, 256, 337.0),
        mr(I::Ml180, 640, 496, 176.5),
        mr(I::Ml240, 640, 496, 236.5),
        mr(I::Ml280, 640, 496, 277.5),
        mr(I::Ml320, 640, 496, 317.5),
    };
}

// The frequency of a steady tone from the samples [a, b): for a sine, x[n-1] + x[n+1] =
// 2 cos(w) x[n]; least squares over the stretch.
double toneHz(const std::vector<float>& x, double fromMs, double toMs) {
    auto a = std::size_t(std::ceil(fromMs * kRate / 1000.0));
    auto b = std::size_t(std::ceil(toMs * kRate / 1000.0));
    a = std::max<std::size_t>(a, 1);
    b = std::min(b, x.size() - 1);
    double num = 0.0, den = 0.0;
    for (std::size_t n = a; n < b; ++n) {
        num += double(x[n]) * (double(x[n - 1]) + double(x[n + 1]));
        den += 2.0 * double(x[n]) * double(x[n]);
    }
    return std::acos(std::clamp(num / den, -1.0, 1.0)) * kRate / (2.0 * 3.14159265358979);
}

int byteOf(double v) {
    return int(std::clamp(std::lround(v), 0L, 255L));
}

QImage referenceDecode(const std::vector<float>& audio, const Timing& t) {
    const int w = t.pixels;
    QImage out(w, t.lines, QImage::Format_RGB32);
    // Robot 36: the even line's Y and R-Y wait for the odd line's B-Y.
    std::vector<double> evenY(static_cast<std::size_t>(w)), evenV(static_cast<std::size_t>(w));
    double lineStart = kHeaderMs + t.headerMs + t.leadMs;
    auto yuv = [](double y, double u, double vr) {
        const double c = 1.164383 * (y - 16.0);
        return qRgb(byteOf(c + 1.596027 * (vr - 128.0)),
                    byteOf(c - 0.391762 * (u - 128.0) - 0.812968 * (vr - 128.0)),
                    byteOf(c + 2.017232 * (u - 128.0)));
    };
    for (int line = 0; line < t.lines / t.rows; ++line) {
        std::map<char, std::vector<double>> v;
        double at = lineStart;
        const bool read = line / 2 % kEvery == 0;
        for (const Part& p : line % 2 ? t.odd : t.even) {
            if (p.what != '-' && read)
                for (int x = 0; x < w; ++x) {
                    const double hz = toneHz(audio, at + x * p.ms / w, at + (x + 1) * p.ms / w);
                    v[p.what].push_back((hz - 1500.0) / 800.0 * 255.0);
                }
            at += p.ms;
        }
        for (const Part& p : t.even)
            lineStart += p.ms;
        if (!read)
            continue;
        const int row = line * t.rows;
        for (int x = 0; x < w; ++x) {
            const auto i = std::size_t(x);
            if (v.count('G')) {
                out.setPixel(x, row, qRgb(byteOf(v['R'][i]), byteOf(v['G'][i]), byteOf(v['B'][i])));
            } else if (!v.count('U') && !v.count('V')) {
                out.setPixel(x, row, yuv(v['Y'][i], 128.0, 128.0));
            } else if (v.count('U') && v.count('V')) {
                out.setPixel(x, row, yuv(v['Y'][i], v['U'][i], v['V'][i]));
                if (t.rows == 2)
                    out.setPixel(x, row + 1, yuv(v['W'][i], v['U'][i], v['V'][i]));
            } else if (v.count('V')) {
                evenY[i] = v['Y'][i];
                evenV[i] = v['V'][i];
            } else {
                out.setPixel(x, row - 1, yuv(evenY[i], v['U'][i], evenV[i]));
                out.setPixel(x, row, yuv(v['Y'][i], v['U'][i], evenV[i]));
            }
        }
    }
    return out;
}

TEST(ModemReference, ASecondReceiverReadsTheTransmitterInEveryMode) {
    const auto timings = publishedTimings();
    ASSERT_EQ(timings.size(), modes().size());
    for (const Timing& t : timings) {
        const std::string name = mode(t.id).name.toStdString();
        const QImage sent = testPicture(t.id);
        const auto audio = SstvEncoder::encode(sent, t.id, {kRate});
        // The length is the header, the lead sync and the lines, to the sample.
        double lineMs = 0.0;
        for (const Part& p : t.even)
            lineMs += p.ms;
        EXPECT_NEAR(double(audio.size()),
                    (kHeaderMs + t.headerMs + t.leadMs + t.lines / t.rows * lineMs) * 48.0, 1.0)
            << name;
        // The header's tones where they belong: leaders, start bit, a data bit, the stop bit;
        // MMSSTV's modes send 0x23 first (its first bit a one).
        EXPECT_NEAR(toneHz(audio, 10, 290), 1900.0, 2.0) << name;
        EXPECT_NEAR(toneHz(audio, 302, 308), 1200.0, 5.0) << name;
        EXPECT_NEAR(toneHz(audio, 615, 635), 1200.0, 3.0) << name;
        const int firstBit = t.headerMs > 0 ? 1 : mode(t.id).vis & 1;
        EXPECT_NEAR(toneHz(audio, 645, 665), firstBit ? 1100.0 : 1300.0, 3.0) << name;
        EXPECT_NEAR(toneHz(audio, kHeaderMs + t.headerMs - 25, kHeaderMs + t.headerMs - 5), 1200.0,
                    3.0)
            << name;
        // The rows read, against the same rows sent.
        const QImage got = referenceDecode(audio, t);
        std::vector<QImage> sentRows, gotRows;
        for (int row = 0; row < t.lines; ++row)
            if (row / t.rows / 2 % kEvery == 0) {
                sentRows.push_back(sent.copy(0, row, t.pixels, 1));
                gotRows.push_back(got.copy(0, row, t.pixels, 1));
            }
        const auto stack = [&](const std::vector<QImage>& rows) {
            QImage out(t.pixels, int(rows.size()), QImage::Format_RGB32);
            for (std::size_t i = 0; i < rows.size(); ++i)
                std::copy_n(reinterpret_cast<const QRgb*>(rows[i].constScanLine(0)), t.pixels,
                            reinterpret_cast<QRgb*>(out.scanLine(int(i))));
            return out;
        };
        // Robot 36, PD and MP share their colour between two rows.
        const double least = t.id == ModeId::Robot36 || t.rows == 2 ? 24.0 : 30.0;
        EXPECT_GT(psnr(stack(sentRows), stack(gotRows)), least) << name;
    }
}

} // namespace
