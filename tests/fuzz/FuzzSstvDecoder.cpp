// SPDX-License-Identifier: GPL-3.0-or-later
// Fuzz target for the SSTV decoder fed arbitrary audio in arbitrary blocks. The input chooses the
// sample rate (8000 to 96000 Hz, not always whole; now and then the far rates of a WAV file), the
// block sizes (also empty blocks) and the audio, piece by piece: raw samples, values that are no
// audio (not finite, huge, subnormal), silence, full-scale square waves, tones, noise, and VIS
// headers and picture lines of the modes of the table as a transmitter sends them (mistuned, with
// a clock error, as the input says), so that pictures begin, run and break off; the decoder may
// receive one mode only, and be cancelled somewhere. The audio is bounded, so that a short run
// covers many inputs. The events are well formed: a picture starts, its rows come in order from 0
// within its mode's size, each row final once reported, and it ends before the next starts, at
// its mode's size with its lines and timing within bounds; receiving() tells whether one is under
// way; after cancel() and finish() none is. A clean picture after whatever came is received. The
// same samples in other blocks give the same events.
#include "FuzzSupport.h"

#include "modem/SstvDecoder.h"

#include <QCryptographicHash>
#include <QDataStream>

#include <algorithm>
#include <cmath>
#include <limits>
#include <numbers>
#include <optional>
#include <vector>

using namespace winorbis;
using fuzz::check;

namespace {

// Audio at most this long, at any rate: a few pictures' worth of lines at the lowest rate.
constexpr std::size_t kMostSamples = std::size_t(1) << 19;
// The lines of the picture after the audio of the input.
constexpr int kTailLines = 12;

class Audio {
public:
    Audio(double rate, std::size_t most)
        : rate_(rate)
        , most_(most) {}

    std::vector<float> samples;

    bool full() const { return samples.size() >= most_; }
    void add(float v) {
        if (!full())
            samples.push_back(v);
    }
    // A tone, its phase running on from the tone before.
    void tone(double hz, double ms, double amplitude = 0.7) {
        const double until = time_ + ms * rate_ / 1000.0;
        for (; double(sent_) < until && !full(); ++sent_) {
            phase_ += 2.0 * std::numbers::pi * hz / rate_;
            add(float(amplitude * std::sin(phase_)));
        }
        time_ = until;
        phase_ = std::fmod(phase_, 2.0 * std::numbers::pi);
    }
    // Samples added otherwise than as tones: the tones' time goes on after them.
    void skipTime() {
        sent_ = samples.size();
        time_ = double(sent_);
    }

private:
    double rate_;
    std::size_t most_;
    double phase_ = 0.0;
    double time_ = 0.0; // in samples, exact
    std::size_t sent_ = 0;
};

float special(std::uint8_t which) {
    constexpr float kValues[] = {std::numeric_limits<float>::quiet_NaN(),
                                 std::numeric_limits<float>::infinity(),
                                 -std::numeric_limits<float>::infinity(),
                                 std::numeric_limits<float>::max(),
                                 -std::numeric_limits<float>::max(),
                                 std::numeric_limits<float>::denorm_min(),
                                 1e-40f,
                                 -0.0f,
                                 1.0f,
                                 -1.0f,
                                 1e10f,
                                 -3e20f};
    return kValues[which % std::size(kValues)];
}

const Mode& modeOf(std::uint8_t byte) {
    const auto all = modes();
    return all[byte % all.size()];
}

// The VIS header of a mode as a transmitter sends it; a bit may come out flipped.
void visHeader(Audio& audio, const Mode& m, double offsetHz, int flippedBit) {
    audio.tone(kLeaderHz + offsetHz, kVisLeaderMs);
    audio.tone(kSyncHz + offsetHz, kVisBreakMs);
    audio.tone(kLeaderHz + offsetHz, kVisLeaderMs);
    audio.tone(kSyncHz + offsetHz, kVisBitMs);
    const int code = visByte(m.vis) ^ (flippedBit < 8 ? 1 << flippedBit : 0);
    for (int bit = 0; bit < 8; ++bit) {
        const double hz = (code >> bit) & 1 ? kVisOneHz : kVisZeroHz;
        audio.tone(hz + offsetHz, kVisBitMs);
    }
    audio.tone(kSyncHz + offsetHz, kVisBitMs);
}

// Lines of a mode from the given one on, their pixels a pattern of the seed, their length off by
// the clock error.
void pictureLines(Audio& audio, const Mode& m, int first, int count, std::uint8_t seed,
                  double offsetHz, double clockPpm) {
    const double scale = 1.0 + clockPpm * 1e-6;
    std::uint32_t state = seed * 2654435761u + 1;
    for (int line = first; line < first + count && line < m.lines && !audio.full(); ++line) {
        for (const Segment& s : m.layout(line)) {
            if (s.channel == Channel::Tone) {
                audio.tone(s.hz + offsetHz, s.ms * scale);
                continue;
            }
            const double pixelMs = s.ms * scale / m.pixels;
            for (int x = 0; x < m.pixels; ++x) {
                double value = 0.0;
                switch (seed % 4) {
                case 0: // gradients
                    value = (x + line * int(s.channel)) % 256;
                    break;
                case 1: // flat
                    value = seed;
                    break;
                case 2: // bars
                    value = (x / 40) % 2 ? 255.0 : 0.0;
                    break;
                default:
                    state = state * 1103515245u + 12345u;
                    value = double(state >> 24);
                }
                audio.tone(valueHz(value) + offsetHz, pixelMs);
            }
        }
    }
}

// After whatever came, silence long enough to end any picture, then a clean header and the
// first lines of the first mode of the table.
void cleanTail(std::vector<float>& samples, double rate) {
    double longestLineMs = 0.0;
    for (const Mode& m : modes())
        longestLineMs = std::max(longestLineMs, m.lineMs);
    samples.resize(samples.size() + std::size_t((4 * longestLineMs + 500.0) * rate / 1000.0));
    Audio audio(rate, std::numeric_limits<std::size_t>::max());
    const Mode& m = modes()[0];
    visHeader(audio, m, 0.0, 8);
    pictureLines(audio, m, 0, kTailLines, 0, 0.0, 0.0);
    samples.insert(samples.end(), audio.samples.begin(), audio.samples.end());
}

// The audio the input describes, piece by piece.
std::vector<float> makeAudio(fuzz::InputReader& in, double rate) {
    Audio audio(rate, kMostSamples);
    std::uint32_t noise = 1;
    while (!in.atEnd() && !audio.full()) {
        const std::uint8_t what = in.byte();
        switch (what % 9) {
        case 0: // raw 16-bit samples
            for (int n = 1 + in.byte(); n > 0; --n)
                audio.add(float(std::int16_t(std::uint16_t(in.word()))) / 32768.0f);
            audio.skipTime();
            break;
        case 1: { // values that are no audio
            const float v = special(in.byte());
            for (int n = 1 + in.byte() * 4; n > 0; --n)
                audio.add(v);
            audio.skipTime();
            break;
        }
        case 2: // silence
            for (int n = in.word() * 2; n > 0; --n)
                audio.add(0.0f);
            audio.skipTime();
            break;
        case 3: { // a full-scale square wave
            const double hz = 50.0 + in.word() % 4000;
            const int samples = int(in.byte() * rate / 250.0);
            for (int n = 0; n < samples; ++n)
                audio.add(std::fmod(n * hz / rate, 1.0) < 0.5 ? 1.0f : -1.0f);
            audio.skipTime();
            break;
        }
        case 4: { // a tone
            const double hz = 900.0 + in.byte() * 7.0;
            const double ms = 1.0 + in.byte() * 2.0;
            audio.tone(hz, ms, in.byte() / 255.0);
            break;
        }
        case 5: { // noise
            const double amplitude = in.byte() / 255.0;
            for (int n = in.word(); n > 0; --n) {
                noise = noise * 1103515245u + 12345u;
                audio.add(float(amplitude * (double(noise >> 8) / 8388608.0 - 1.0)));
            }
            audio.skipTime();
            break;
        }
        case 6: { // a VIS header, mistuned by up to 300 Hz, maybe with a wrong bit
            const Mode& m = modeOf(in.byte());
            const double offset = std::int8_t(in.byte()) * 2.5;
            visHeader(audio, m, offset, in.byte() % 64);
            break;
        }
        case 7:
        case 8: { // picture lines, mistuned, with a clock error of up to 6000 ppm
            const Mode& m = modeOf(in.byte());
            const int first = in.byte() % 8 == 0 ? 0 : in.word() % m.lines;
            const int count = 1 + in.word() % m.lines;
            const std::uint8_t seed = in.byte();
            const double offset = std::int8_t(in.byte()) * 2.5;
            const double ppm = std::int8_t(in.byte()) * 50.0;
            pictureLines(audio, m, first, count, seed, offset, ppm);
            break;
        }
        }
    }
    return std::move(audio.samples);
}

// What the decoder reported, to compare two runs; checks each event as it comes.
class Events final : public sstv::DecoderListener {
public:
    explicit Events(const sstv::SstvDecoder& decoder)
        : decoder_(decoder) {}

    void started(const sstv::PictureStart& start) override {
        check(!mode_, "a picture starts when none is under way");
        check(decoder_.receiving(), "the decoder receives from the start of a picture");
        check(std::isfinite(start.offsetHz) && std::isfinite(start.snrDb),
              "a start's measures are numbers");
        mode_ = &modes()[std::size_t(start.mode)];
        check(mode_->id == start.mode, "a mode of the table");
        rows_.clear();
        lastStart = start;
        record << 's' << int(start.mode) << start.fromVis << start.offsetHz << start.snrDb;
    }
    void line(int line, const QImage& picture) override {
        check(mode_ != nullptr, "rows come within a picture");
        check(line == int(rows_.size()), "rows come in order from 0, each once");
        check(line < mode_->lines, "rows of the mode's size");
        check(picture.width() == mode_->pixels && picture.height() == mode_->lines,
              "the picture is the mode's size while it comes");
        rows_.emplace_back(reinterpret_cast<const char*>(picture.constScanLine(line)),
                           qsizetype(picture.bytesPerLine()));
        record << 'l' << line;
    }
    void ended(const sstv::PictureEnd& end) override {
        check(mode_ != nullptr && end.mode == mode_->id, "a picture ends in the mode it started");
        check(!decoder_.receiving(), "the decoder receives no more after the end");
        const QImage& p = end.picture;
        check(p.width() == mode_->pixels && p.height() == mode_->lines, "a picture of its mode");
        check(end.lines >= 0 && end.lines <= mode_->lines, "the lines within the picture");
        check(!end.complete || end.lines == mode_->lines, "a complete picture has all its lines");
        check(end.lines <= int(rows_.size()), "the lines that came were reported");
        check(std::isfinite(end.clockPpm) && std::fabs(end.clockPpm) <= 4000.0 + 1e-6,
              "a clock error within what a sound card has");
        check(std::isfinite(end.offsetHz), "an end's mistuning is a number");
        for (int y = 0; y < mode_->lines; ++y) {
            const QByteArray row(reinterpret_cast<const char*>(p.constScanLine(y)),
                                 qsizetype(p.bytesPerLine()));
            if (y < end.lines) {
                check(row == rows_[std::size_t(y)], "a row is final once reported");
            } else {
                const auto* pixels = reinterpret_cast<const QRgb*>(p.constScanLine(y));
                for (int x = 0; x < p.width(); ++x)
                    check(qRed(pixels[x]) == 0 && qGreen(pixels[x]) == 0 && qBlue(pixels[x]) == 0,
                          "the lines that did not come are black");
            }
        }
        record << 'e' << int(end.mode) << end.complete << end.lines << end.clockPpm << end.offsetHz
               << QCryptographicHash::hash(QByteArrayView(p.constBits(), p.sizeInBytes()),
                                           QCryptographicHash::Md5);
        mode_ = nullptr;
        lastEnd = end;
    }

    bool underWay() const { return mode_ != nullptr; }

    std::optional<sstv::PictureStart> lastStart;
    std::optional<sstv::PictureEnd> lastEnd;

    // Every event with its fields, in order.
    QByteArray bytes;
    QDataStream record{&bytes, QIODevice::WriteOnly};

private:
    const sstv::SstvDecoder& decoder_;
    const Mode* mode_ = nullptr;
    std::vector<QByteArray> rows_;
};

// How the decoder is used besides the samples.
struct Use {
    std::optional<ModeId> onlyMode;      // free-run reception of this mode
    std::optional<std::size_t> cancelAt; // cancel() after this many samples
    bool tail = false;                   // a clean picture after the input
};

// Decodes the samples in blocks of the given sizes, in turn; returns the events.
QByteArray decode(double rate, const std::vector<float>& samples,
                  const std::vector<std::size_t>& blocks, const Use& use) {
    sstv::SstvDecoder decoder(rate);
    Events events(decoder);
    decoder.setListener(&events);
    decoder.setOnlyMode(use.onlyMode);
    std::size_t at = 0;
    for (std::size_t i = 0; at < samples.size(); ++i) {
        std::size_t n = std::min(blocks[i % blocks.size()], samples.size() - at);
        // A block ends where the decoder is cancelled, whatever the blocks.
        if (use.cancelAt && at < *use.cancelAt && at + n > *use.cancelAt)
            n = *use.cancelAt - at;
        decoder.process(std::span<const float>(samples).subspan(at, n));
        at += n;
        check(decoder.receiving() == events.underWay(), "receiving() while a picture is under way");
        if (use.cancelAt && at == *use.cancelAt && n > 0) {
            const bool underWay = events.underWay();
            decoder.cancel();
            check(!decoder.receiving() && !events.underWay(), "cancel() ends a picture");
            check(!underWay || (events.lastEnd && !events.lastEnd->complete),
                  "a cancelled picture is incomplete");
            events.record << 'c';
        }
    }
    decoder.finish();
    check(!decoder.receiving() && !events.underWay(), "after the end no picture is under way");
    // Where the decoder can hear it (a rate that holds the band, the mode received).
    const bool heard = rate >= 8000.0 && (!use.onlyMode || *use.onlyMode == modes()[0].id);
    if (use.tail && heard) {
        check(events.lastStart && events.lastStart->fromVis &&
                  events.lastStart->mode == modes()[0].id,
              "the picture after the input starts from its header");
        check(events.lastEnd && events.lastEnd->lines >= kTailLines - 2,
              "the picture after the input has its lines");
    }
    return events.bytes;
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    fuzz::application();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    fuzz::InputReader in(data, size);
    // The rate: one of those sound cards have, or any from 8000 to 96000 Hz, not always whole;
    // now and then one of the far rates a WAV file may have (1000 to 384000 Hz).
    static const double kRates[] = {8000.0,  11025.0, 12000.0, 16000.0, 22050.0,
                                    24000.0, 32000.0, 44100.0, 48000.0, 96000.0};
    const std::uint8_t how = in.byte();
    double rate = kRates[how % std::size(kRates)];
    if ((how & 0x90) == 0x80)
        rate = 8000.0 + in.word() * (88000.0 / 65535.0);
    else if ((how & 0x90) == 0x90)
        rate = 1000.0 + in.word() * (383000.0 / 65535.0);
    // Up to 16 block sizes, used in turn; 0 is an empty block, and one at least is not.
    std::vector<std::size_t> blocks;
    for (int n = 1 + in.byte() % 16; n > 0; --n)
        blocks.push_back(std::size_t(in.word() % 5000));
    if (std::all_of(blocks.begin(), blocks.end(), [](std::size_t b) { return b == 0; }))
        blocks.push_back(1);
    // Free run, a cancel somewhere in the input's audio.
    Use use;
    const std::uint8_t options = in.byte();
    if (options & 1)
        use.onlyMode = modeOf(options >> 4).id;
    const std::uint16_t cancelAt = std::uint16_t(in.word());
    std::vector<float> samples = makeAudio(in, rate);
    if (options & 2)
        use.cancelAt = samples.size() * cancelAt / 65536;
    // Whatever came before, a picture after it is received.
    use.tail = how & 0x20;
    if (use.tail)
        cleanTail(samples, rate);

    const QByteArray events = decode(rate, samples, blocks, use);
    if (how & 0x40) {
        // The same samples at once, or in small blocks of one size.
        const std::size_t block = how & 1 ? samples.size() + 1 : std::size_t(1 + how % 61);
        check(decode(rate, samples, {block}, use) == events, "the same events whatever the blocks");
    }
    return 0;
}
