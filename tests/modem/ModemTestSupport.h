// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "modem/Colour.h"
#include "modem/SstvDecoder.h"
#include "modem/SstvEncoder.h"

#include <QImage>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <numbers>
#include <numeric>
#include <random>
#include <span>
#include <vector>

namespace winorbis::sstv::test {

// A picture with smooth gradients, hard edges and saturated colours at the mode's size.
inline QImage testPicture(int width, int height) {
    QImage picture(width, height, QImage::Format_RGB32);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            int r = x * 255 / (width - 1), g = y * 255 / (height - 1), b = 128;
            if (y > height / 2) { // colour blocks below
                const int block = x * 8 / width;
                r = block & 1 ? 230 : 20;
                g = block & 2 ? 230 : 20;
                b = block & 4 ? 230 : 20;
            }
            picture.setPixel(x, y, qRgb(r, g, b));
        }
    return picture;
}

// What a mode can carry of a picture at its size: the picture itself, or its luminance for the
// black-and-white modes.
inline QImage asSent(const QImage& picture, ModeId id) {
    const Mode& m = mode(id);
    QImage out = picture.convertToFormat(QImage::Format_RGB32);
    if (out.size() != QSize(m.pixels, m.lines))
        out = out.scaled(m.pixels, m.lines, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    if (m.colour == ColourModel::Mono)
        for (int y = 0; y < out.height(); ++y) {
            auto* row = reinterpret_cast<QRgb*>(out.scanLine(y));
            for (int x = 0; x < out.width(); ++x) {
                int r, g, b;
                toRgb(Yuv{toYuv(qRed(row[x]), qGreen(row[x]), qBlue(row[x])).y, 128, 128}, r, g, b);
                row[x] = qRgb(r, g, b);
            }
        }
    return out;
}

inline QImage testPicture(ModeId id) {
    return asSent(testPicture(mode(id).pixels, mode(id).lines), id);
}

// Peak signal-to-noise ratio of b against a over the first lines (all when 0), RGB.
inline double psnr(const QImage& a, const QImage& b, int lines = 0) {
    const QImage x = a.convertToFormat(QImage::Format_RGB32);
    const QImage y = b.convertToFormat(QImage::Format_RGB32);
    if (x.size() != y.size())
        return 0.0;
    const int h = lines > 0 ? std::min(lines, x.height()) : x.height();
    double sum = 0.0;
    for (int row = 0; row < h; ++row) {
        const auto* p = reinterpret_cast<const QRgb*>(x.constScanLine(row));
        const auto* q = reinterpret_cast<const QRgb*>(y.constScanLine(row));
        for (int i = 0; i < x.width(); ++i) {
            const double dr = qRed(p[i]) - qRed(q[i]), dg = qGreen(p[i]) - qGreen(q[i]),
                         db = qBlue(p[i]) - qBlue(q[i]);
            sum += dr * dr + dg * dg + db * db;
        }
    }
    const double mse = sum / (3.0 * h * x.width());
    return mse <= 0 ? 99.0 : 10.0 * std::log10(255.0 * 255.0 / mse);
}

// White noise added for a signal-to-noise ratio within 3 kHz (signal power taken from the
// samples themselves).
inline void addNoise(std::vector<float>& samples, double rate, double snrDb, unsigned seed) {
    double power = 0.0;
    for (const float s : samples)
        power += double(s) * s;
    power /= double(samples.size());
    const double noisePower = power / std::pow(10.0, snrDb / 10.0) * (rate / 2.0) / 3000.0;
    std::mt19937 random(seed);
    std::normal_distribution<float> gauss(0.0f, float(std::sqrt(noisePower)));
    for (float& s : samples)
        s += gauss(random);
}

// Audio at one rate heard at another, as a receiver's sound card hears a sender whose samples are
// not its own: band-limited interpolation by a Kaiser-windowed sinc cut off at 0.45 of the lower
// rate, one filter for each of the up phases between the rates (whole numbers of hertz).
inline std::vector<float> resampled(std::span<const float> audio, int from, int to) {
    const int g = std::gcd(from, to), up = to / g, down = from / g;
    const double ratio = double(from) / to, scale = std::max(1.0, ratio);
    const double cutoff = 0.9 * std::min(1.0, double(to) / from); // of the input's half rate
    constexpr int kHalf = 24; // the filter's reach either side, in the lower rate's samples
    const int reach = int(std::ceil(kHalf * scale));
    const auto bessel0 = [](double x) {
        double sum = 1.0, term = 1.0;
        for (int k = 1; k < 30; ++k) {
            term *= (x / (2 * k)) * (x / (2 * k));
            sum += term;
        }
        return sum;
    };
    constexpr double kBeta = 8.0;
    std::vector<std::vector<double>> filters(static_cast<std::size_t>(up));
    for (int phase = 0; phase < up; ++phase)
        for (int k = -reach; k <= reach; ++k) {
            const double d = k - double(phase) / up; // input samples from the output's time
            const double r = d / (kHalf * scale);
            const double sinc =
                d == 0 ? 1.0
                       : std::sin(std::numbers::pi * cutoff * d) / (std::numbers::pi * cutoff * d);
            filters[std::size_t(phase)].push_back(
                std::abs(r) < 1.0
                    ? cutoff * sinc * bessel0(kBeta * std::sqrt(1 - r * r)) / bessel0(kBeta)
                    : 0.0);
        }
    std::vector<float> out(std::size_t(double(audio.size()) / ratio));
    for (std::size_t m = 0; m < out.size(); ++m) {
        const auto whole = std::int64_t(m) * down;
        const std::int64_t base = whole / up;
        const auto& h = filters[std::size_t(whole % up)];
        double acc = 0.0;
        for (int k = -reach; k <= reach; ++k)
            if (const std::int64_t n = base + k; n >= 0 && n < std::int64_t(audio.size()))
                acc += audio[std::size_t(n)] * h[std::size_t(k + reach)];
        out[m] = float(acc);
    }
    return out;
}

// Gaussian noise of the given standard deviation (full scale 1), alone or over a signal.
inline void addHiss(std::vector<float>& samples, double deviation, unsigned seed) {
    std::mt19937 random(seed);
    std::normal_distribution<float> gauss(0.0f, float(deviation));
    for (float& s : samples)
        s += gauss(random);
}

// Everything the receiver reported for a stretch of audio.
struct Reception {
    std::vector<PictureStart> starts;
    std::vector<PictureEnd> ends;
    int lines = 0;
    std::vector<QString> callsigns;
};

// Writes every event of a decoder into a Reception.
class Recorder final : public DecoderListener {
public:
    explicit Recorder(Reception& reception)
        : r_(reception) {}
    void started(const PictureStart& start) override { r_.starts.push_back(start); }
    void line(int, const QImage&) override { ++r_.lines; }
    void ended(const PictureEnd& end) override { r_.ends.push_back(end); }
    void fskId(const QString& callsign) override { r_.callsigns.push_back(callsign); }

private:
    Reception& r_;
};

inline Reception receive(std::span<const float> audio, double rate, std::size_t block = 4096) {
    Reception r;
    Recorder recorder(r);
    SstvDecoder decoder(rate);
    decoder.setListener(&recorder);
    for (std::size_t at = 0; at < audio.size(); at += block)
        decoder.process(audio.subspan(at, std::min(block, audio.size() - at)));
    decoder.finish();
    return r;
}

} // namespace winorbis::sstv::test
