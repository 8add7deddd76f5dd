// SPDX-License-Identifier: GPL-3.0-or-later
#include "Waterfall.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace winorbis::modem {

namespace {

// The power of two that holds at least 40 ms of samples: about 25 Hz per bin or finer.
std::size_t windowLength(double rate) {
    std::size_t n = 256;
    while (double(n) < rate * 0.04)
        n *= 2;
    return n;
}

} // namespace

Waterfall::Waterfall(double sampleRate, int rowMs)
    : rate_(sampleRate)
    , rowSamples_(std::max<std::size_t>(1, std::size_t(sampleRate * rowMs / 1000.0)))
    , window_(windowLength(sampleRate))
    , history_(window_.size(), 0.0f) {
    const std::size_t n = window_.size();
    for (std::size_t i = 0; i < n; ++i)
        window_[i] = 0.5 - 0.5 * std::cos(2.0 * std::numbers::pi * double(i) / double(n));
}

void Waterfall::transform(std::vector<std::complex<double>>& data) {
    const std::size_t n = data.size();
    for (std::size_t i = 1, j = 0; i < n; ++i) {
        std::size_t bit = n >> 1;
        for (; j & bit; bit >>= 1)
            j ^= bit;
        j ^= bit;
        if (i < j)
            std::swap(data[i], data[j]);
    }
    for (std::size_t length = 2; length <= n; length <<= 1) {
        const double angle = -2.0 * std::numbers::pi / double(length);
        const std::complex<double> step(std::cos(angle), std::sin(angle));
        for (std::size_t start = 0; start < n; start += length) {
            std::complex<double> w(1.0, 0.0);
            for (std::size_t k = 0; k < length / 2; ++k) {
                const std::complex<double> even = data[start + k];
                const std::complex<double> odd = data[start + k + length / 2] * w;
                data[start + k] = even + odd;
                data[start + k + length / 2] = even - odd;
                w *= step;
            }
        }
    }
}

std::vector<QByteArray> Waterfall::process(std::span<const float> samples) {
    std::vector<QByteArray> rows;
    const std::size_t n = history_.size();
    for (const float sample : samples) {
        history_[written_ % n] = std::isfinite(sample) ? std::clamp(sample, -1.0f, 1.0f) : 0.0f;
        ++written_;
        if (++sinceRow_ >= rowSamples_) {
            sinceRow_ = 0;
            rows.push_back(row());
        }
    }
    return rows;
}

QByteArray Waterfall::row() const {
    const std::size_t n = history_.size();
    std::vector<std::complex<double>> data(n);
    // The latest n samples, oldest first.
    for (std::size_t i = 0; i < n; ++i)
        data[i] = history_[(written_ + i) % n] * window_[i];
    transform(data);
    // A full-scale sine through the Hann window peaks at n / 4.
    const double fullScale = double(n) / 4.0;
    QByteArray out(kBins, '\0');
    for (int column = 0; column < kBins; ++column) {
        const double hz = kLowHz + (kHighHz - kLowHz) * (column + 0.5) / kBins;
        const double bin = hz * double(n) / rate_;
        const std::size_t k = std::min(std::size_t(std::lround(bin)), n / 2);
        const double magnitude = std::abs(data[k]) / fullScale;
        const double db = 20.0 * std::log10(std::max(magnitude, 1e-9));
        const double level = std::clamp((db - kFloorDb) / -kFloorDb, 0.0, 1.0);
        out[column] = char(std::uint8_t(std::lround(level * 255.0)));
    }
    return out;
}

} // namespace winorbis::modem
