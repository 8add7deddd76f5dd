// SPDX-License-Identifier: GPL-3.0-or-later
#include "SstvEncoder.h"

#include "Colour.h"
#include "FskId.h"

#include <array>
#include <cmath>
#include <numbers>

namespace winorbis::sstv {

namespace {

constexpr int kTableBits = 14;
constexpr double kTwoTo32 = 4294967296.0;
constexpr std::array<double, 8> kVoxHz{1900, 1500, 1900, 1500, 2300, 1500, 2300, 1500};
constexpr double kVoxToneMs = 100.0;

const std::array<float, 1 << kTableBits>& sineTable() {
    static const auto table = [] {
        std::array<float, 1 << kTableBits> t{};
        for (std::size_t i = 0; i < t.size(); ++i)
            t[i] = float(std::sin(2.0 * std::numbers::pi * double(i) / double(t.size())));
        return t;
    }();
    return table;
}

// Writes tones one after the other: the end of each is the exact sum of the lengths before,
// rounded to a sample only where it falls; the phase runs on across every change.
class ToneWriter {
public:
    ToneWriter(const EncoderOptions& o, std::vector<float>& out)
        : rate_(o.sampleRate)
        , offset_(o.offsetHz)
        , amplitude_(float(o.amplitude))
        , out_(out)
        , table_(sineTable()) {}

    void tone(double hz, double ms) {
        endMs_ += ms;
        const std::uint32_t step = stepOf(hz);
        const std::int64_t end = endSample();
        for (std::int64_t n = written_; n < end; ++n)
            put(step);
        written_ = end;
    }

    // The pixels' tones spread evenly over ms: each sample takes the pixel under its centre.
    void scan(const std::vector<double>& hz, double ms) {
        const double startMs = endMs_;
        endMs_ += ms;
        const std::int64_t end = endSample();
        const double pixelsPerSample = double(hz.size()) * 1000.0 / (ms * rate_);
        const double first =
            ((double(written_) + 0.5) * 1000.0 / rate_ - startMs) / ms * double(hz.size());
        int current = -1;
        std::uint32_t step = 0;
        for (std::int64_t n = written_; n < end; ++n) {
            const double at = first + double(n - written_) * pixelsPerSample;
            const int pixel = std::clamp(int(at), 0, int(hz.size()) - 1);
            if (pixel != current) {
                current = pixel;
                step = stepOf(hz[std::size_t(pixel)]);
            }
            put(step);
        }
        written_ = end;
    }

private:
    std::uint32_t stepOf(double hz) const {
        return std::uint32_t(std::llround((hz + offset_) / rate_ * kTwoTo32) & 0xffffffffLL);
    }
    std::int64_t endSample() const { return std::llround(endMs_ * rate_ / 1000.0); }
    void put(std::uint32_t step) {
        out_.push_back(amplitude_ * table_[phase_ >> (32 - kTableBits)]);
        phase_ += step;
    }

    double rate_;
    double offset_;
    float amplitude_;
    std::vector<float>& out_;
    const std::array<float, 1 << kTableBits>& table_;
    double endMs_ = 0.0;
    std::int64_t written_ = 0;
    std::uint32_t phase_ = 0;
};

// The value of a colour component at a pixel: from the row's colour, or the luminance and colour
// differences of the rows the line serves.
double channelValue(Channel c, QRgb rgb, const Yuv& yuv, const Yuv& second) {
    switch (c) {
    case Channel::Green:
        return qGreen(rgb);
    case Channel::Blue:
        return qBlue(rgb);
    case Channel::Red:
        return qRed(rgb);
    case Channel::Y:
        return yuv.y;
    case Channel::Y2:
        return second.y;
    case Channel::RedDiff:
        return yuv.redDiff;
    case Channel::BlueDiff:
        return yuv.blueDiff;
    case Channel::Tone:
        break;
    }
    return 0.0;
}

Yuv yuvOf(QRgb c) {
    return toYuv(qRed(c), qGreen(c), qBlue(c));
}

} // namespace

double SstvEncoder::durationMs(ModeId id, const EncoderOptions& options) {
    const QString callsign = fskid::sendable(options.fskId);
    return durationMs(id, options.vox) + (callsign.isEmpty() ? 0.0 : fskid::durationMs(callsign));
}

double SstvEncoder::durationMs(ModeId id, bool vox) {
    const Mode& m = mode(id);
    return (vox ? kVoxHz.size() * kVoxToneMs : 0.0) + visMs(m) + m.leadSyncMs +
           m.scanLines() * m.lineMs;
}

std::vector<float> SstvEncoder::encode(const QImage& source, ModeId id,
                                       const EncoderOptions& options) {
    const Mode& m = mode(id);
    QImage picture = source.convertToFormat(QImage::Format_RGB32);
    if (picture.width() != m.pixels || picture.height() != m.lines)
        picture =
            picture.scaled(m.pixels, m.lines, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);

    std::vector<float> out;
    out.reserve(std::size_t(durationMs(id, options) * options.sampleRate / 1000.0) + 16);
    ToneWriter writer(options, out);
    if (options.vox)
        for (const double hz : kVoxHz)
            writer.tone(hz, kVoxToneMs);

    writer.tone(kLeaderHz, kVisLeaderMs);
    writer.tone(kSyncHz, kVisBreakMs);
    writer.tone(kLeaderHz, kVisLeaderMs);
    writer.tone(kSyncHz, kVisBitMs);
    for (const int byte : visBytes(m))
        for (int i = 0; i < 8; ++i)
            writer.tone(byte >> i & 1 ? kVisOneHz : kVisZeroHz, kVisBitMs);
    writer.tone(kSyncHz, kVisBitMs);
    if (m.leadSyncMs > 0)
        writer.tone(kSyncHz, m.leadSyncMs);

    std::vector<double> hz(std::size_t(m.pixels));
    const auto rowOf = [&](int row) {
        return reinterpret_cast<const QRgb*>(
            picture.constScanLine(std::clamp(row, 0, m.lines - 1)));
    };
    for (int line = 0; line < m.scanLines(); ++line) {
        // The rows the line carries, and the row its colour differences are shared with: the
        // other row of the pair (Robot 36, PD, MP), else its own.
        const int row = line * m.rowsPerLine;
        const int partner = m.rowsPerLine == 2                 ? row + 1
                            : m.colour == ColourModel::YuvPair ? (line ^ 1)
                                                               : row;
        const QRgb* first = rowOf(row);
        const QRgb* second = rowOf(row + m.rowsPerLine - 1);
        const QRgb* shared = rowOf(partner);
        for (const Segment& s : m.layout(line)) {
            if (s.channel == Channel::Tone) {
                writer.tone(s.hz, s.ms);
                continue;
            }
            for (int x = 0; x < m.pixels; ++x) {
                Yuv yuv = yuvOf(first[x]);
                const Yuv other = yuvOf(shared[x]);
                yuv.redDiff = (yuv.redDiff + other.redDiff) / 2;
                yuv.blueDiff = (yuv.blueDiff + other.blueDiff) / 2;
                hz[std::size_t(x)] =
                    valueHz(channelValue(s.channel, first[x], yuv, yuvOf(second[x])));
            }
            writer.scan(hz, s.ms);
        }
    }
    if (const QString callsign = fskid::sendable(options.fskId); !callsign.isEmpty()) {
        writer.tone(kBlackHz, fskid::kPauseMs);
        writer.tone(fskid::kZeroHz, fskid::kLeadMs);
        for (const int bit : fskid::bits(callsign))
            writer.tone(bit ? fskid::kOneHz : fskid::kZeroHz, fskid::kBitMs);
        writer.tone(fskid::kOneHz, fskid::kTailMs);
    }
    return out;
}

std::vector<std::int16_t> SstvEncoder::encode16(const QImage& picture, ModeId mode,
                                                const EncoderOptions& options) {
    const std::vector<float> samples = encode(picture, mode, options);
    std::vector<std::int16_t> out(samples.size());
    for (std::size_t i = 0; i < samples.size(); ++i)
        out[i] = std::int16_t(std::lround(std::clamp(samples[i], -1.0f, 1.0f) * 32767.0f));
    return out;
}

} // namespace winorbis::sstv
