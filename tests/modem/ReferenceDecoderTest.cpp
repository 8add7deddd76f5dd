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
constexpr double kHeaderMs = 910.0;

// One part of a line: 'G', 'B', 'R' (RGB scans), 'Y', 'U' (B-Y), 'V' (R-Y), or '-' a tone.
struct Part {
    char what;
    double ms;
};

struct Timing {
    ModeId id;
    int lines;
    double leadMs; // a sync after the header before the first line
    std::vector<Part> even, odd;
};

std::vector<Timing> publishedTimings() {
    const auto martin = [](ModeId id, double scan) {
        const std::vector<Part> l{{'-', 4.862}, {'-', 0.572}, {'G', scan}, {'-', 0.572},
                                  {'B', scan},  {'-', 0.572}, {'R', scan}, {'-', 0.572}};
        return Timing{id, 256, 0.0, l, l};
    };
    const auto scottie = [](ModeId id, double scan) {
        const std::vector<Part> l{{'-', 1.5}, {'G', scan}, {'-', 1.5}, {'B', scan},
                                  {'-', 9.0}, {'-', 1.5},  {'R', scan}};
        return Timing{id, 256, 9.0, l, l};
    };
    const std::vector<Part> r72{{'-', 12.0}, {'Y', 138.0}, {'-', 6.0},
                                {'V', 69.0}, {'-', 6.0},   {'U', 69.0}};
    return {
        Timing{ModeId::Robot36,
               240,
               0.0,
               {{'-', 12.0}, {'Y', 88.0}, {'-', 6.0}, {'V', 44.0}},
               {{'-', 12.0}, {'Y', 88.0}, {'-', 6.0}, {'U', 44.0}}},
        Timing{ModeId::Robot72, 240, 0.0, r72, r72},
        martin(ModeId::Martin1, 146.432),
        martin(ModeId::Martin2, 73.216),
        scottie(ModeId::Scottie1, 138.240),
        scottie(ModeId::Scottie2, 88.064),
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
    QImage out(320, t.lines, QImage::Format_RGB32);
    // Robot 36: the even line's Y and R-Y wait for the odd line's B-Y.
    std::vector<double> evenY(320), evenV(320);
    double lineStart = kHeaderMs + t.leadMs;
    for (int line = 0; line < t.lines; ++line) {
        std::map<char, std::vector<double>> v;
        double at = lineStart;
        for (const Part& p : line % 2 ? t.odd : t.even) {
            if (p.what != '-')
                for (int x = 0; x < 320; ++x) {
                    const double hz = toneHz(audio, at + x * p.ms / 320, at + (x + 1) * p.ms / 320);
                    v[p.what].push_back((hz - 1500.0) / 800.0 * 255.0);
                }
            at += p.ms;
        }
        for (const Part& p : t.even)
            lineStart += p.ms;
        auto yuv = [](double y, double u, double vr) {
            const double c = 1.164383 * (y - 16.0);
            return qRgb(byteOf(c + 1.596027 * (vr - 128.0)),
                        byteOf(c - 0.391762 * (u - 128.0) - 0.812968 * (vr - 128.0)),
                        byteOf(c + 2.017232 * (u - 128.0)));
        };
        for (int x = 0; x < 320; ++x) {
            const auto i = std::size_t(x);
            if (v.count('G')) {
                out.setPixel(x, line,
                             qRgb(byteOf(v['R'][i]), byteOf(v['G'][i]), byteOf(v['B'][i])));
            } else if (v.count('U') && v.count('V')) {
                out.setPixel(x, line, yuv(v['Y'][i], v['U'][i], v['V'][i]));
            } else if (v.count('V')) {
                evenY[i] = v['Y'][i];
                evenV[i] = v['V'][i];
            } else {
                out.setPixel(x, line - 1, yuv(evenY[i], v['U'][i], evenV[i]));
                out.setPixel(x, line, yuv(v['Y'][i], v['U'][i], evenV[i]));
            }
        }
    }
    return out;
}

TEST(ModemReference, ASecondReceiverReadsTheTransmitterInEveryMode) {
    for (const Timing& t : publishedTimings()) {
        const std::string name = mode(t.id).name.toStdString();
        const QImage sent = testPicture(320, t.lines);
        const auto audio = SstvEncoder::encode(sent, t.id, {kRate});
        // The length is the header, the lead sync and the lines, to the sample.
        double lineMs = 0.0;
        for (const Part& p : t.even)
            lineMs += p.ms;
        EXPECT_NEAR(double(audio.size()), (kHeaderMs + t.leadMs + t.lines * lineMs) * 48.0, 1.0)
            << name;
        // The header's tones where they belong: leaders, start bit, a data bit.
        EXPECT_NEAR(toneHz(audio, 10, 290), 1900.0, 2.0) << name;
        EXPECT_NEAR(toneHz(audio, 302, 308), 1200.0, 5.0) << name;
        EXPECT_NEAR(toneHz(audio, 615, 635), 1200.0, 3.0) << name;
        const double firstBit = toneHz(audio, 645, 665);
        EXPECT_NEAR(firstBit, (mode(t.id).vis & 1) ? 1100.0 : 1300.0, 3.0) << name;
        const double least = t.id == ModeId::Robot36 ? 24.0 : 30.0;
        EXPECT_GT(psnr(sent, referenceDecode(audio, t)), least) << name;
    }
}

} // namespace
