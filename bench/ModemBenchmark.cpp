// SPDX-License-Identifier: GPL-3.0-or-later
// The software SSTV modem against a plain receiver: picture quality in white noise, how often
// the mode is found, slant correction, and the speed of receiver and transmitter.
//   bench_modem [quick]    (quick: 10 detection runs per level instead of 50)
#include "modem/Colour.h"
#include "modem/ModemTestSupport.h"
#include "modem/SstvDecoder.h"
#include "modem/SstvEncoder.h"
#include "workspace/TestPictures.h"

#include <QGuiApplication>
#include <QImage>

#include <chrono>
#include <cmath>
#include <complex>
#include <cstdio>
#include <cstring>
#include <numbers>
#include <optional>
#include <random>
#include <span>
#include <vector>

using namespace winorbis;
using namespace winorbis::sstv;

namespace {

constexpr double kPi = std::numbers::pi;
constexpr double kRate = 11025.0;
const double kSnrs[] = {30.0, 20.0, 10.0, 5.0, 0.0};

double seconds() {
    return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

// A photograph-like picture: soft overlapping blobs of colour over a sky gradient, with fine
// texture and a few hard edges.
QImage photoLike(int width, int height) {
    QImage picture(width, height, QImage::Format_RGB32);
    std::mt19937 random(1234);
    std::uniform_real_distribution<double> u(0.0, 1.0);
    struct Blob {
        double x, y, r, cr, cg, cb;
    };
    std::vector<Blob> blobs;
    for (int i = 0; i < 14; ++i)
        blobs.push_back({u(random) * width, u(random) * height, 15 + u(random) * 70,
                         u(random) * 255, u(random) * 255, u(random) * 255});
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            double r = 90 + 100.0 * y / height, g = 130 + 60.0 * y / height,
                   b = 220 - 80.0 * y / height;
            for (const Blob& blob : blobs) {
                const double d2 =
                    ((x - blob.x) * (x - blob.x) + (y - blob.y) * (y - blob.y)) / (blob.r * blob.r);
                const double w = d2 < 1.0 ? 0.85 : std::exp(-(d2 - 1.0) * 3.0) * 0.85;
                r = r * (1 - w) + blob.cr * w;
                g = g * (1 - w) + blob.cg * w;
                b = b * (1 - w) + blob.cb * w;
            }
            const double texture = 12.0 * std::sin(x * 0.9 + y * 0.35) * std::sin(y * 0.7);
            picture.setPixel(
                x, y, qRgb(clampByte(r + texture), clampByte(g + texture), clampByte(b + texture)));
        }
    return picture;
}

// The tests' measures: white noise for a signal-to-noise ratio within 3 kHz, and the PSNR.
using test::psnr;
std::vector<float> noisy(std::vector<float> samples, double rate, double snrDb, unsigned seed) {
    test::addNoise(samples, rate, snrDb, seed);
    return samples;
}

// The plain receiver: mixed down at 1900 Hz, a linear-phase 800 Hz low-pass, the phase step
// between samples, each pixel read at its centre from the known timing of the known mode.
QImage baseline(std::span<const float> audio, double rate, const Mode& m, double startMs) {
    const int taps = int(2.5e-3 * rate) | 1;
    std::vector<double> h(static_cast<std::size_t>(taps));
    const double fc = 800.0 / rate;
    double sum = 0.0;
    for (int i = 0; i < taps; ++i) {
        const double k = i - (taps - 1) / 2.0;
        const double sinc = k == 0 ? 2 * fc : std::sin(2 * kPi * fc * k) / (kPi * k);
        h[std::size_t(i)] = sinc * (0.54 - 0.46 * std::cos(2 * kPi * i / (taps - 1)));
        sum += h[std::size_t(i)];
    }
    for (double& v : h)
        v /= sum;
    std::vector<std::complex<double>> mixed(audio.size());
    for (std::size_t n = 0; n < audio.size(); ++n)
        mixed[n] = double(audio[n]) * std::polar(1.0, -2 * kPi * 1900.0 * double(n) / rate);
    const int delay = (taps - 1) / 2;
    auto filtered = [&](std::int64_t n) {
        std::complex<double> acc;
        for (int i = 0; i < taps; ++i) {
            const std::int64_t k = n + delay - i;
            if (k >= 0 && k < std::int64_t(mixed.size()))
                acc += h[std::size_t(i)] * mixed[std::size_t(k)];
        }
        return acc;
    };
    auto frequency = [&](double t) {
        const auto n = std::int64_t(std::llround(t));
        return 1900.0 + std::arg(filtered(n) * std::conj(filtered(n - 1))) * rate / (2 * kPi);
    };
    QImage picture(m.pixels, m.lines, QImage::Format_RGB32);
    std::vector<double> y0(std::size_t(m.pixels)), ry(std::size_t(m.pixels));
    double lineStart = startMs;
    for (int line = 0; line < m.lines; ++line) {
        double t = lineStart;
        std::array<std::vector<double>, 7> v;
        for (const Segment& s : m.layout(line)) {
            if (s.channel != Channel::Tone) {
                auto& c = v[std::size_t(s.channel)];
                for (int x = 0; x < m.pixels; ++x)
                    c.push_back(hzValue(
                        frequency((t + (x + 0.5) * s.ms / m.pixels) * rate / 1000.0 + 0.5)));
            }
            t += s.ms;
        }
        lineStart += m.lineMs;
        auto* row = reinterpret_cast<QRgb*>(picture.scanLine(line));
        for (int x = 0; x < m.pixels; ++x) {
            const auto i = std::size_t(x);
            int r = 0, g = 0, b = 0;
            switch (m.colour) {
            case ColourModel::Rgb:
                r = clampByte(v[std::size_t(Channel::Red)][i]);
                g = clampByte(v[std::size_t(Channel::Green)][i]);
                b = clampByte(v[std::size_t(Channel::Blue)][i]);
                break;
            case ColourModel::YuvLine:
                toRgb({v[1][i], v[2][i], v[3][i]}, r, g, b);
                break;
            case ColourModel::YuvPair:
                if (line % 2 == 0) {
                    y0[i] = v[std::size_t(Channel::Y)][i];
                    ry[i] = v[std::size_t(Channel::RedDiff)][i];
                    toRgb({y0[i], ry[i], 128}, r, g, b);
                } else {
                    const double by = v[std::size_t(Channel::BlueDiff)][i];
                    toRgb({y0[i], ry[i], by}, r, g, b);
                    reinterpret_cast<QRgb*>(picture.scanLine(line - 1))[x] = qRgb(r, g, b);
                    toRgb({v[std::size_t(Channel::Y)][i], ry[i], by}, r, g, b);
                }
                break;
            }
            row[x] = qRgb(r, g, b);
        }
    }
    return picture;
}

struct Decoded {
    std::optional<PictureStart> start;
    std::optional<PictureEnd> end;
    bool wrongMode = false;
};

// Keeps the first start, the first picture of the expected mode, and whether another mode began.
class DecodeListener final : public DecoderListener {
public:
    DecodeListener(Decoded& decoded, ModeId expected)
        : d_(decoded)
        , expected_(expected) {}

    void started(const PictureStart& s) override {
        if (s.mode != expected_)
            d_.wrongMode = true;
        if (!d_.start)
            d_.start = s;
    }
    void ended(const PictureEnd& e) override {
        if (!d_.end && e.mode == expected_)
            d_.end = e;
    }

private:
    Decoded& d_;
    ModeId expected_;
};

Decoded decode(std::span<const float> audio, double rate, ModeId expected) {
    Decoded d;
    DecodeListener listener(d, expected);
    SstvDecoder decoder(rate);
    decoder.setListener(&listener);
    constexpr std::size_t kBlock = 1024;
    for (std::size_t at = 0; at < audio.size(); at += kBlock)
        decoder.process(audio.subspan(at, std::min(kBlock, audio.size() - at)));
    decoder.finish();
    return d;
}

// The horizontal shift of a decoded line against the sent one, in pixels (-4 .. 4 by tenths).
double lineShift(const QImage& sent, const QImage& got, int line) {
    const auto* a = reinterpret_cast<const QRgb*>(sent.constScanLine(line));
    const auto* b = reinterpret_cast<const QRgb*>(got.constScanLine(line));
    const int w = sent.width();
    double best = 0.0, bestError = 1e300;
    for (int tenth = -40; tenth <= 40; ++tenth) {
        const double s = tenth / 10.0;
        double error = 0.0;
        for (int x = 8; x < w - 8; ++x) {
            const double at = x + s;
            const int i = int(std::floor(at));
            const double f = at - i;
            for (int c = 0; c < 3; ++c) {
                auto channel = [&](QRgb p) {
                    return c == 0 ? qRed(p) : c == 1 ? qGreen(p) : qBlue(p);
                };
                const double sentValue = channel(a[x]);
                const double gotValue = (1 - f) * channel(b[i]) + f * channel(b[i + 1]);
                error += (sentValue - gotValue) * (sentValue - gotValue);
            }
        }
        if (error < bestError) {
            bestError = error;
            best = s;
        }
    }
    return best;
}

double meanShift(const QImage& sent, const QImage& got, int from, int count) {
    double sum = 0.0;
    for (int line = from; line < from + count; ++line)
        sum += lineShift(sent, got, line);
    return sum / count;
}

} // namespace

int main(int argc, char** argv) {
    QGuiApplication::setAttribute(Qt::AA_Use96Dpi);
    const bool quick = argc > 1 && std::strcmp(argv[1], "quick") == 0;
    const int detectionRuns = quick ? 10 : 50;

    struct Named {
        const char* name;
        QImage picture;
    };
    const std::vector<Named> pictures{{"colour bars", TestPictures::draw(0)},
                                      {"grey wedge", TestPictures::draw(1)},
                                      {"photo-like", photoLike(320, 256)}};
    const ModeId benchModes[] = {ModeId::Martin1, ModeId::Scottie1, ModeId::Robot36};

    std::printf("Picture quality, PSNR in dB of the received picture against the sent one, at "
                "%.0f Hz\n(white noise, SNR within 3 kHz); modem finds mode and timing itself, "
                "the baseline is\ntold both (800 Hz low-pass discriminator, read at pixel "
                "centres)\n\n",
                kRate);
    std::printf("%-10s %-12s %-9s", "mode", "picture", "decoder");
    for (const double snr : kSnrs)
        std::printf(" %7.0f dB", snr);
    std::printf("\n");
    std::vector<double> gain10, gain5;
    for (const ModeId id : benchModes) {
        const Mode& m = mode(id);
        for (const Named& p : pictures) {
            const QImage sent =
                p.picture.convertToFormat(QImage::Format_RGB32)
                    .scaled(m.pixels, m.lines, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
            const auto clean = SstvEncoder::encode(sent, id, {kRate});
            std::vector<double> ours, plain;
            unsigned seed = 1;
            for (const double snr : kSnrs) {
                const auto audio = noisy(clean, kRate, snr, seed++);
                const Decoded d = decode(audio, kRate, id);
                ours.push_back(d.end ? psnr(sent, d.end->picture) : NAN);
                plain.push_back(psnr(sent, baseline(audio, kRate, m, kVisMs + m.leadSyncMs)));
            }
            std::printf("%-10s %-12s %-9s", qPrintable(m.name), p.name, "modem");
            for (const double v : ours)
                std::printf(" %10.1f", v);
            std::printf("\n%-10s %-12s %-9s", "", "", "baseline");
            for (const double v : plain)
                std::printf(" %10.1f", v);
            std::printf("\n%-10s %-12s %-9s", "", "", "gain");
            for (std::size_t i = 0; i < ours.size(); ++i)
                std::printf(" %+10.1f", ours[i] - plain[i]);
            std::printf("\n");
            gain10.push_back(ours[2] - plain[2]);
            gain5.push_back(ours[3] - plain[3]);
        }
    }
    std::printf("\nsmallest gain over the baseline: %.1f dB at 10 dB, %.1f dB at 5 dB (goal: 2 dB "
                "or more)\n",
                *std::min_element(gain10.begin(), gain10.end()),
                *std::min_element(gain5.begin(), gain5.end()));

    std::printf("\nClean audio at 48000 Hz, PSNR in dB (goal: the modem within 1 dB of the "
                "baseline)\n");
    for (const ModeId id : benchModes) {
        const Mode& m = mode(id);
        for (const Named& p : pictures) {
            const QImage sent =
                p.picture.convertToFormat(QImage::Format_RGB32)
                    .scaled(m.pixels, m.lines, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
            const auto audio = SstvEncoder::encode(sent, id, {48000.0});
            const Decoded d = decode(audio, 48000.0, id);
            const double ours = d.end ? psnr(sent, d.end->picture) : NAN;
            const double plain = psnr(sent, baseline(audio, 48000.0, m, kVisMs + m.leadSyncMs));
            std::printf("  %-10s %-12s modem %5.1f  baseline %5.1f  difference %+5.1f\n",
                        qPrintable(m.name), p.name, ours, plain, ours - plain);
        }
    }

    std::printf("\nMode found over %d noisy runs per level (the three modes and pictures in "
                "turn, %.0f Hz)\n",
                detectionRuns, kRate);
    for (const double snr : kSnrs) {
        int right = 0, wrong = 0, missed = 0;
        for (int run = 0; run < detectionRuns; ++run) {
            const ModeId id = benchModes[run % 3];
            const Mode& m = mode(id);
            const QImage sent = pictures[std::size_t(run / 3 % 3)].picture.scaled(
                m.pixels, m.lines, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
            // The header and the first 16 lines suffice to see the start.
            auto audio = SstvEncoder::encode(sent, id, {kRate});
            audio.resize(std::size_t((kVisMs + m.leadSyncMs + 16 * m.lineMs) * kRate / 1000.0));
            const Decoded d = decode(noisy(audio, kRate, snr, 1000u + unsigned(run)), kRate, id);
            if (d.wrongMode)
                ++wrong;
            else if (d.start && d.start->mode == id)
                ++right;
            else
                ++missed;
        }
        std::printf("  %4.0f dB: %5.1f %% right, %d wrong mode, %d missed\n", snr,
                    100.0 * right / detectionRuns, wrong, missed);
    }

    std::printf("\nSlant: Martin 1 and Scottie 1 from a sound card off by +-2000 ppm, %.0f Hz "
                "(goals: drift under 1 pixel, clock error within 30 ppm)\n",
                kRate);
    for (const ModeId id : {ModeId::Martin1, ModeId::Scottie1})
        for (const double ppm : {2000.0, -2000.0}) {
            const Mode& m = mode(id);
            const QImage sent =
                pictures[0]
                    .picture.convertToFormat(QImage::Format_RGB32)
                    .scaled(m.pixels, m.lines, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
            const auto audio = SstvEncoder::encode(sent, id, {kRate * (1 + ppm * 1e-6)});
            const Decoded d = decode(audio, kRate, id);
            if (!d.end) {
                std::printf("  %-10s %+5.0f ppm: no picture\n", qPrintable(m.name), ppm);
                continue;
            }
            const double drift = meanShift(sent, d.end->picture, m.lines - 24, 16) -
                                 meanShift(sent, d.end->picture, 8, 16);
            std::printf("  %-10s %+5.0f ppm: drift %+.2f pixels, reported %+.0f ppm (error %+.1f "
                        "ppm)\n",
                        qPrintable(m.name), ppm, drift, d.end->clockPpm, d.end->clockPpm - ppm);
        }

    std::printf("\nSpeed at 48000 Hz, one core (goals: receiver 200 x, transmitter 1000 x real "
                "time)\n");
    for (const ModeId id : benchModes) {
        const Mode& m = mode(id);
        const QImage sent = pictures[2].picture.scaled(m.pixels, m.lines);
        double t0 = seconds();
        const int encodes = 5;
        std::vector<float> audio;
        for (int i = 0; i < encodes; ++i)
            audio = SstvEncoder::encode(sent, id, {48000.0});
        const double encodeTime = (seconds() - t0) / encodes;
        const double audioSeconds = double(audio.size()) / 48000.0;
        const auto noisyAudio = noisy(audio, 48000.0, 15.0, 5);
        t0 = seconds();
        const Decoded d = decode(noisyAudio, 48000.0, id);
        const double decodeTime = seconds() - t0;
        std::printf("  %-10s receiver %6.0f x, transmitter %6.0f x real time%s\n",
                    qPrintable(m.name), audioSeconds / decodeTime, audioSeconds / encodeTime,
                    d.end ? "" : " (no picture!)");
    }
    return 0;
}
