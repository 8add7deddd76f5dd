// SPDX-License-Identifier: GPL-3.0-or-later
// The software SSTV modem against a plain receiver: picture quality in every mode, clean and in
// white noise, the first column, mistuning, a picture without its header, mode finding, slant
// correction and the speed of receiver and transmitter; and the material for a comparison with
// qsstv as the receiver (bench/qsstv-receive.sh).
//   bench_modem [quick] [MODE ...]      the figures (quick: fewer runs; MODE: short names)
//   bench_modem qsstv-make DIR          noisy recordings for qsstv to receive, into DIR
//   bench_modem qsstv-score DIR         the modem's and qsstv's pictures of them, as PSNR
#include "modem/Colour.h"
#include "modem/ModemTestSupport.h"
#include "modem/SstvDecoder.h"
#include "modem/SstvEncoder.h"
#include "modem/WavFile.h"
#include "workspace/TestPictures.h"

#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QImage>

#include <chrono>
#include <cmath>
#include <complex>
#include <cstdio>
#include <cstring>
#include <map>
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
const double kSnrs[] = {20.0, 10.0, 5.0, 0.0};
// A picture without its header is locked once this many lines have come.
constexpr int kLockLines = 12;

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
using test::asSent;
using test::psnr;
using test::resampled;
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
    auto rgbOf = [](double y, double redDiff, double blueDiff) {
        int r, g, b;
        toRgb({y, redDiff, blueDiff}, r, g, b);
        return qRgb(r, g, b);
    };
    for (int line = 0; line < m.scanLines(); ++line) {
        double t = lineStart;
        std::array<std::vector<double>, kChannelCount> v;
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
        const auto& Y = v[std::size_t(Channel::Y)];
        const auto& Y2 = v[std::size_t(Channel::Y2)];
        const auto& V = v[std::size_t(Channel::RedDiff)];
        const auto& U = v[std::size_t(Channel::BlueDiff)];
        const int first = line * m.rowsPerLine;
        auto* row = reinterpret_cast<QRgb*>(picture.scanLine(first));
        for (int x = 0; x < m.pixels; ++x) {
            const auto i = std::size_t(x);
            switch (m.colour) {
            case ColourModel::Rgb:
                row[x] = qRgb(clampByte(v[std::size_t(Channel::Red)][i]),
                              clampByte(v[std::size_t(Channel::Green)][i]),
                              clampByte(v[std::size_t(Channel::Blue)][i]));
                break;
            case ColourModel::Mono:
                row[x] = rgbOf(Y[i], 128, 128);
                break;
            case ColourModel::YuvLine:
                row[x] = rgbOf(Y[i], V[i], U[i]);
                if (m.rowsPerLine == 2)
                    reinterpret_cast<QRgb*>(picture.scanLine(first + 1))[x] =
                        rgbOf(Y2[i], V[i], U[i]);
                break;
            case ColourModel::YuvPair:
                if (line % 2 == 0) {
                    y0[i] = Y[i];
                    ry[i] = V[i];
                    row[x] = rgbOf(y0[i], ry[i], 128);
                } else {
                    reinterpret_cast<QRgb*>(picture.scanLine(line - 1))[x] =
                        rgbOf(y0[i], ry[i], U[i]);
                    row[x] = rgbOf(Y[i], ry[i], U[i]);
                }
                break;
            }
        }
    }
    return picture;
}

QImage baseline(std::span<const float> audio, double rate, const Mode& m) {
    return baseline(audio, rate, m, visMs(m) + m.leadSyncMs);
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

double psnrOf(const QImage& sent, const Decoded& d) {
    return d.end ? psnr(sent, d.end->picture) : NAN;
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

// The mean squared error of one column, and of all the others.
std::pair<double, double> columnErrors(const QImage& sent, const QImage& got, int column) {
    double one = 0.0, rest = 0.0;
    for (int y = 0; y < sent.height(); ++y)
        for (int x = 0; x < sent.width(); ++x) {
            const QRgb a = sent.pixel(x, y), b = got.pixel(x, y);
            const double e = (std::pow(qRed(a) - qRed(b), 2) + std::pow(qGreen(a) - qGreen(b), 2) +
                              std::pow(qBlue(a) - qBlue(b), 2)) /
                             3.0;
            (x == column ? one : rest) += e;
        }
    return {one / sent.height(), rest / (double(sent.height()) * (sent.width() - 1))};
}

const QImage& photo() {
    static const QImage picture = photoLike(320, 256);
    return picture;
}

void everyMode(const std::vector<ModeId>& ids) {
    std::printf("Every mode: the photo-like picture, PSNR in dB of the received picture against "
                "the sent one;\nmodem finds mode and timing itself, the baseline is told both. "
                "Clean at 11025 and 48000 Hz,\nthen at %.0f Hz in white noise of the SNR given "
                "(within 3 kHz).\n\n",
                kRate);
    std::printf("%-15s %-9s %7s %7s", "mode", "decoder", "11025", "48000");
    for (const double snr : kSnrs)
        std::printf(" %5.0f dB", snr);
    std::printf("\n");
    double worstClean = 1e9, worstGain = 1e9;
    for (const ModeId id : ids) {
        const Mode& m = mode(id);
        const QImage sent = asSent(photo(), id);
        std::vector<double> ours, plain;
        for (const double rate : {11025.0, 48000.0}) {
            const auto audio = SstvEncoder::encode(sent, id, {rate});
            ours.push_back(psnrOf(sent, decode(audio, rate, id)));
            plain.push_back(psnr(sent, baseline(audio, rate, m)));
            worstClean = std::min(worstClean, ours.back() - plain.back());
        }
        const auto clean = SstvEncoder::encode(sent, id, {kRate});
        unsigned seed = 1;
        for (const double snr : kSnrs) {
            const auto audio = noisy(clean, kRate, snr, seed++);
            ours.push_back(psnrOf(sent, decode(audio, kRate, id)));
            plain.push_back(psnr(sent, baseline(audio, kRate, m)));
            if (snr >= 5.0)
                worstGain = std::min(worstGain, ours.back() - plain.back());
        }
        std::printf("%-15s %-9s", qPrintable(m.name), "modem");
        for (const double v : ours)
            std::printf(" %7.1f", v);
        std::printf("\n%-15s %-9s", "", "baseline");
        for (const double v : plain)
            std::printf(" %7.1f", v);
        std::printf("\n");
        std::fflush(stdout);
    }
    std::printf("\nclean audio: the modem at worst %+.1f dB from the baseline (goal: -2 dB or "
                "better); in noise (20 to 5 dB) at worst %+.1f dB\n",
                worstClean, worstGain);
}

// A column this much above the mean squared error of the others counts as off.
constexpr double kEdgeTolerance = 5.0;

void firstColumn(const std::vector<ModeId>& ids) {
    std::printf("\nThe first and last columns: mean squared error of columns 0 and %s against the "
                "mean of the\nothers (clean, the photo-like picture): the mode where it is worst, "
                "and the median over the modes;\nsent and heard at one rate, then sent at one rate "
                "and heard at another (a sender's tones\nchange on its own samples, between the "
                "receiver's)\n",
                "the last");
    const std::pair<int, int> rates[] = {{11025, 11025}, {48000, 48000}, {48000, 11025},
                                         {11025, 48000}, {44100, 48000}, {48000, 44100}};
    for (const auto& [sender, rate] : rates) {
        std::vector<double> firsts, lasts, rests;
        double worst = -1.0;
        QString worstMode;
        QStringList off; // the modes whose edge columns are off by more than the rest
        for (const ModeId id : ids) {
            const QImage sent = asSent(photo(), id);
            auto audio = SstvEncoder::encode(sent, id, {double(sender)});
            if (sender != rate)
                audio = resampled(audio, sender, rate);
            const Decoded d = decode(audio, rate, id);
            if (!d.end)
                continue;
            const auto [first, rest] = columnErrors(sent, d.end->picture, 0);
            const auto [last, others] = columnErrors(sent, d.end->picture, sent.width() - 1);
            firsts.push_back(first);
            lasts.push_back(last);
            rests.push_back(rest);
            if (std::max(first, last) > rest + kEdgeTolerance)
                off << QStringLiteral("%1 (%2, %3)")
                           .arg(mode(id).name)
                           .arg(first, 0, 'f', 1)
                           .arg(last, 0, 'f', 1);
            if (std::max(first, last) > worst) {
                worst = std::max(first, last);
                worstMode = QStringLiteral("%1: first %2, last %3, others %4")
                                .arg(mode(id).name)
                                .arg(first, 0, 'f', 1)
                                .arg(last, 0, 'f', 1)
                                .arg(rest, 0, 'f', 1);
            }
        }
        const auto median = [](std::vector<double> v) {
            std::nth_element(v.begin(), v.begin() + std::ptrdiff_t(v.size() / 2), v.end());
            return v[v.size() / 2];
        };
        std::printf("  %d to %d Hz: worst %s; median first %.1f, last %.1f, others %.1f\n", sender,
                    rate, qPrintable(worstMode), median(firsts), median(lasts), median(rests));
        std::printf("    first or last more than %.0f above the others in %lld of %zu modes%s%s\n",
                    kEdgeTolerance, static_cast<long long>(off.size()), firsts.size(),
                    off.isEmpty() ? "" : ": ", qPrintable(off.join(QStringLiteral(", "))));
    }
}

void mistuning() {
    std::printf("\nMistuning: Martin 2, Scottie 2, Robot 36 and PD 120 sent off by the given "
                "amount, 11025 Hz, PSNR in dB\n(goal: under 2 dB lost up to 150 Hz)\n");
    for (const ModeId id : {ModeId::Martin2, ModeId::Scottie2, ModeId::Robot36, ModeId::Pd120}) {
        const QImage sent = asSent(photo(), id);
        std::printf("  %-10s", qPrintable(mode(id).name));
        double tuned = 0.0, worst = 0.0;
        for (const double offset : {0.0, 50.0, -100.0, 120.0, 150.0, -150.0}) {
            EncoderOptions options{kRate};
            options.offsetHz = offset;
            const double v =
                psnrOf(sent, decode(SstvEncoder::encode(sent, id, options), kRate, id));
            if (offset == 0.0)
                tuned = v;
            worst = std::max(worst, tuned - v);
            std::printf(" %+4.0f Hz %5.1f", offset, v);
        }
        std::printf("  (lost at worst %.1f dB)\n", worst);
    }
}

void withoutVis(const std::vector<ModeId>& ids) {
    std::printf("\nWithout the VIS header: PSNR in dB of the lines after the first %d, against the "
                "same lines with\nthe header, and of all lines decoded (clean, 11025 Hz; goal: "
                "within 2 dB once locked)\n",
                kLockLines);
    double worst = 0.0;
    for (const ModeId id : ids) {
        const Mode& m = mode(id);
        const QImage sent = asSent(photo(), id);
        auto audio = SstvEncoder::encode(sent, id, {kRate});
        const Decoded with = decode(audio, kRate, id);
        audio.erase(audio.begin(), audio.begin() + std::ptrdiff_t(visMs(m) * kRate / 1000.0));
        const Decoded without = decode(audio, kRate, id);
        if (!with.end || !without.end || without.wrongMode) {
            std::printf("  %-15s %s\n", qPrintable(m.name),
                        without.wrongMode ? "found as another mode!" : "no picture!");
            worst = 99.0;
            continue;
        }
        // Once locked: from the lines the timing found on (the first dozen are decoded from
        // what was heard before).
        const int lines = without.end->lines;
        const int from = std::min(lines - 1, kLockLines * m.rowsPerLine);
        const auto part = [&](const QImage& picture) {
            return picture.copy(0, from, m.pixels, lines - from);
        };
        const double a = psnr(part(sent), part(with.end->picture));
        const double b = psnr(part(sent), part(without.end->picture));
        const double all = psnr(sent, without.end->picture, lines);
        worst = std::max(worst, a - b);
        std::printf(
            "  %-15s %3d of %3d lines, with %5.1f, without %5.1f (%+.1f); all lines %5.1f\n",
            qPrintable(m.name), lines, m.lines, a, b, b - a, all);
    }
    std::printf("  at worst %.1f dB lost\n", worst);
}

void robot36Noise(int runs) {
    std::printf("\nRobot 36 at 15 dB SNR, 11025 Hz, mean PSNR over %d runs (QSSTV: see "
                "bench/qsstv-receive.sh)\n",
                runs);
    const QImage pictures[] = {photo(), test::testPicture(320, 240), TestPictures::draw(0)};
    const char* names[] = {"photo-like", "test picture", "colour bars"};
    for (int i = 0; i < 3; ++i) {
        const QImage sent = asSent(pictures[i], ModeId::Robot36);
        const auto clean = SstvEncoder::encode(sent, ModeId::Robot36, {kRate});
        double sum = 0.0, plain = 0.0;
        for (int run = 0; run < runs; ++run) {
            const auto audio = noisy(clean, kRate, 15.0, 500u + unsigned(run));
            sum += psnrOf(sent, decode(audio, kRate, ModeId::Robot36));
            plain += psnr(sent, baseline(audio, kRate, mode(ModeId::Robot36)));
        }
        std::printf("  %-13s modem %.1f dB, baseline %.1f dB\n", names[i], sum / runs,
                    plain / runs);
    }
}

void detection(int runs) {
    const ModeId ids[] = {ModeId::Martin1, ModeId::Scottie1, ModeId::Robot36, ModeId::Pd120};
    std::printf("\nMode found over %d noisy runs per level (Martin 1, Scottie 1, Robot 36 and "
                "PD 120 in turn, %.0f Hz)\n",
                runs, kRate);
    for (const double snr : {20.0, 10.0, 5.0, 0.0, -3.0}) {
        int right = 0, wrong = 0, missed = 0;
        std::map<QString, int> wrongModes;
        for (int run = 0; run < runs; ++run) {
            const ModeId id = ids[run % 4];
            const Mode& m = mode(id);
            const QImage sent = asSent(photo(), id);
            // The header and the first 12 lines suffice to see the start.
            auto audio = SstvEncoder::encode(sent, id, {kRate});
            audio.resize(std::size_t((visMs(m) + m.leadSyncMs + 12 * m.lineMs) * kRate / 1000.0));
            const Decoded d = decode(noisy(audio, kRate, snr, 1000u + unsigned(run)), kRate, id);
            if (d.wrongMode) {
                ++wrong;
                ++wrongModes[mode(id).shortName + " as " + mode(d.start->mode).shortName +
                             (d.start->fromVis ? " (VIS)" : "")];
            } else if (d.start && d.start->mode == id)
                ++right;
            else
                ++missed;
        }
        QStringList which;
        for (const auto& [text, count] : wrongModes)
            which << QStringLiteral("%1 %2x").arg(text).arg(count);
        std::printf("  %4.0f dB: %5.1f %% right, %d wrong mode, %d missed%s%s\n", snr,
                    100.0 * right / runs, wrong, missed, which.isEmpty() ? "" : ": ",
                    qPrintable(which.join(", ")));
    }
}

void slant() {
    std::printf("\nSlant: Martin 1, Scottie 1 and PD 120 from a sound card off by +-2000 ppm, "
                "%.0f Hz (goals: drift under 1 pixel, clock error within 30 ppm)\n",
                kRate);
    for (const ModeId id : {ModeId::Martin1, ModeId::Scottie1, ModeId::Pd120})
        for (const double ppm : {2000.0, -2000.0}) {
            const Mode& m = mode(id);
            const QImage sent = asSent(TestPictures::draw(0), id);
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
}

void speed(const std::vector<ModeId>& ids) {
    std::printf("\nSpeed at 48000 Hz, one core, 15 dB SNR (goals: receiver 200 x, transmitter "
                "1000 x real time)\n");
    double slowest = 1e9;
    for (const ModeId id : ids) {
        const Mode& m = mode(id);
        const QImage sent = asSent(photo(), id);
        double t0 = seconds();
        const int encodes = 3;
        std::vector<float> audio;
        for (int i = 0; i < encodes; ++i)
            audio = SstvEncoder::encode(sent, id, {48000.0});
        const double encodeTime = (seconds() - t0) / encodes;
        const double audioSeconds = double(audio.size()) / 48000.0;
        const auto noisyAudio = noisy(audio, 48000.0, 15.0, 5);
        t0 = seconds();
        const Decoded d = decode(noisyAudio, 48000.0, id);
        const double decodeTime = seconds() - t0;
        slowest = std::min(slowest, audioSeconds / decodeTime);
        std::printf("  %-15s receiver %6.0f x, transmitter %6.0f x real time%s\n",
                    qPrintable(m.name), audioSeconds / decodeTime, audioSeconds / encodeTime,
                    d.end ? "" : " (no picture!)");
        std::fflush(stdout);
    }
    std::printf("  slowest receiver %.0f x real time\n", slowest);
}

// The recordings for qsstv: the photo-like picture in each mode, clean and at each level, as
// 16-bit WAV at 11025 Hz (the rate of the sound server qsstv listens on), with 3 s of the same
// noise before and after, and the picture as it was sent.
const ModeId kPeerModes[] = {ModeId::Martin1, ModeId::Scottie1, ModeId::Robot36, ModeId::Pd120};
const double kPeerSnrs[] = {30.0, 20.0, 10.0, 5.0, 0.0};

QString peerName(ModeId id, double snr) {
    return QStringLiteral("%1-%2dB").arg(mode(id).shortName.toLower()).arg(int(snr));
}

int qsstvMake(const QString& dir) {
    QDir().mkpath(dir);
    for (const ModeId id : kPeerModes) {
        const QImage sent = asSent(photo(), id);
        sent.save(QStringLiteral("%1/%2-sent.png").arg(dir, mode(id).shortName.toLower()));
        auto clean = SstvEncoder::encode(sent, id, {kRate});
        std::vector<float> padded(std::size_t(3 * kRate), 0.0f);
        padded.insert(padded.end(), clean.begin(), clean.end());
        padded.resize(padded.size() + std::size_t(3 * kRate), 0.0f);
        unsigned seed = 77;
        for (const double snr : kPeerSnrs) {
            // The noise's level is set by the signal's power while it sends.
            std::vector<float> audio = padded;
            double power = 0.0;
            for (const float s : clean)
                power += double(s) * s;
            power /= double(clean.size());
            const double deviation =
                std::sqrt(power / std::pow(10.0, snr / 10.0) * (kRate / 2.0) / 3000.0);
            test::addHiss(audio, deviation, seed++);
            std::vector<std::int16_t> samples(audio.size());
            for (std::size_t i = 0; i < audio.size(); ++i)
                samples[i] = std::int16_t(std::lround(std::clamp(audio[i], -1.0f, 1.0f) * 32767));
            QFile f(QStringLiteral("%1/%2.wav").arg(dir, peerName(id, snr)));
            if (!f.open(QIODevice::WriteOnly) || f.write(wavBytes(samples, int(kRate))) < 0)
                return 1;
            std::printf("%s\n", qPrintable(f.fileName()));
        }
    }
    return 0;
}

// The PSNR of a picture against the sent one once it is shifted sideways (up to 12 pixels) and
// each of its colours mapped by the gain and offset that fit best: what is left is noise, not
// a receiver's placement of the lines or its colour conversion. The columns near the edges are
// left out.
double alignedPsnr(const QImage& sent, const QImage& got) {
    const int w = sent.width(), h = sent.height(), margin = 16;
    double best = 1e300;
    for (int shift = -12; shift <= 12; ++shift) {
        double error = 0.0;
        int n = 0;
        for (int c = 0; c < 3; ++c) {
            double sx = 0, sy = 0, sxx = 0, sxy = 0, syy = 0;
            int count = 0;
            for (int y = 0; y < h; ++y)
                for (int x = margin; x < w - margin; ++x) {
                    const QRgb a = sent.pixel(x, y), b = got.pixel(x + shift, y);
                    const double u = c == 0 ? qRed(b) : c == 1 ? qGreen(b) : qBlue(b);
                    const double v = c == 0 ? qRed(a) : c == 1 ? qGreen(a) : qBlue(a);
                    sx += u;
                    sy += v;
                    sxx += u * u;
                    sxy += u * v;
                    syy += v * v;
                    ++count;
                }
            const double d = count * sxx - sx * sx;
            const double gain = d > 0 ? (count * sxy - sx * sy) / d : 1.0;
            const double offset = (sy - gain * sx) / count;
            // The residual of the fit: sum (v - gain u - offset)^2.
            error += syy - 2 * gain * sxy - 2 * offset * sy + gain * gain * sxx +
                     2 * gain * offset * sx + offset * offset * count;
            n += count;
        }
        best = std::min(best, error / n);
    }
    return best <= 0 ? 99.0 : 10.0 * std::log10(255.0 * 255.0 / best);
}

int qsstvScore(const QString& dir) {
    std::printf("The same noisy recordings received by qsstv and by the modem: PSNR in dB against "
                "the picture sent,\nas received, and aligned (once shifted sideways and levelled "
                "per colour as fits best)\n\n%-8s %-9s",
                "mode", "");
    for (const double snr : kPeerSnrs)
        std::printf(" %5.0f dB", snr);
    std::printf("\n");
    for (const ModeId id : kPeerModes) {
        const Mode& m = mode(id);
        const QImage sent = asSent(photo(), id);
        std::vector<double> ours, theirs, oursAligned, theirsAligned;
        for (const double snr : kPeerSnrs) {
            QString why;
            const auto audio =
                readWav(QStringLiteral("%1/%2.wav").arg(dir, peerName(id, snr)), &why);
            const Decoded d = audio ? decode(audio->samples, kRate, id) : Decoded{};
            ours.push_back(psnrOf(sent, d));
            oursAligned.push_back(d.end ? alignedPsnr(sent, d.end->picture) : NAN);
            QImage peer(QStringLiteral("%1/%2-qsstv.png").arg(dir, peerName(id, snr)));
            if (!peer.isNull())
                peer =
                    peer.convertToFormat(QImage::Format_RGB32)
                        .scaled(m.pixels, m.lines, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
            theirs.push_back(peer.isNull() ? NAN : psnr(sent, peer));
            theirsAligned.push_back(peer.isNull() ? NAN : alignedPsnr(sent, peer));
        }
        const auto row = [](const char* mode, const char* what, const std::vector<double>& v) {
            std::printf("%-8s %-9s", mode, what);
            for (const double x : v)
                std::printf(" %8.1f", x);
            std::printf("\n");
        };
        row(qPrintable(m.shortName), "modem", ours);
        row("", "qsstv", theirs);
        row("", "modem al.", oursAligned);
        row("", "qsstv al.", theirsAligned);
    }
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    QGuiApplication::setAttribute(Qt::AA_Use96Dpi);
    if (argc == 3 && std::strcmp(argv[1], "qsstv-make") == 0)
        return qsstvMake(QString::fromLocal8Bit(argv[2]));
    if (argc == 3 && std::strcmp(argv[1], "qsstv-score") == 0)
        return qsstvScore(QString::fromLocal8Bit(argv[2]));
    bool quick = false;
    std::vector<ModeId> ids;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "quick") == 0) {
            quick = true;
        } else if (const auto id = modeByShortName(QString::fromLocal8Bit(argv[i]))) {
            ids.push_back(*id);
        } else {
            std::fprintf(stderr, "bench_modem: unknown mode %s\n", argv[i]);
            return 2;
        }
    }
    const bool all = ids.empty();
    if (all)
        for (const Mode& m : modes())
            ids.push_back(m.id);

    // BENCH_ONLY=SECTION runs one section alone.
    const char* only = std::getenv("BENCH_ONLY");
    const auto run = [&](const char* section) { return !only || std::strcmp(only, section) == 0; };
    if (run("modes"))
        everyMode(ids);
    if (run("column"))
        firstColumn(ids);
    if (run("novis"))
        withoutVis(ids);
    if (all || only) {
        if (run("mistuning"))
            mistuning();
        if (run("robot36"))
            robot36Noise(quick ? 3 : 10);
        if (run("detection"))
            detection(quick ? 12 : 48);
        if (run("slant"))
            slant();
    }
    if (run("speed"))
        speed(ids);
    return 0;
}
