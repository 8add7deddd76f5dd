// SPDX-License-Identifier: GPL-3.0-or-later
// Fuzz target for the WAV reader: arbitrary file contents, or a file of the input's choosing (any
// sample format, channel count and rate, other chunks before and between, odd chunk sizes) that
// is then cut short or edited byte by byte. A refusal says why; a file that is read has a rate
// and format the reader names, no more frames than its bytes hold, and PCM samples within full
// scale; a file made here comes back as it was made, as far as its data goes; reading it from a
// file gives what reading its bytes gives.
#include "FuzzSupport.h"

#include "modem/WavFile.h"

#include <QFile>
#include <QtEndian>

#include <cmath>
#include <cstring>
#include <optional>
#include <vector>

using namespace winorbis;
using fuzz::check;

namespace {

// The smallest file that holds samples: RIFF header, "fmt " chunk of 16 bytes, "data" header.
constexpr qsizetype kLeastHeader = 12 + 8 + 16 + 8;

void appendLe(QByteArray& out, std::uint32_t value, int bytes) {
    for (int i = 0; i < bytes; ++i)
        out.append(char(value >> (8 * i)));
}

void appendChunk(QByteArray& out, const char* id, const QByteArray& body) {
    out.append(id, 4);
    appendLe(out, std::uint32_t(body.size()), 4);
    out.append(body);
    if (body.size() % 2)
        out.append('\0');
}

// A file made from the input, with what its first channel holds.
struct MadeFile {
    QByteArray bytes;
    int sampleRate = 0;
    int blockAlign = 0;
    qsizetype dataAt = 0; // where the data chunk's samples begin
    std::vector<float> firstChannel;
};

MadeFile makeFile(fuzz::InputReader& in) {
    struct Format {
        std::uint16_t tag;
        int bits;
    };
    static const Format formats[] = {{1, 8}, {1, 16}, {1, 24}, {1, 32}, {3, 32}};
    const std::uint8_t shape = in.byte();
    const Format format = formats[shape % std::size(formats)];
    const bool extensible = shape & 0x08;
    const bool chunkBefore = shape & 0x10;
    const bool chunkBetween = shape & 0x20;
    const int channels = 1 + (shape >> 6);
    MadeFile made;
    made.sampleRate = 1000 + in.word() * 5;
    made.blockAlign = channels * format.bits / 8;

    QByteArray fmt;
    appendLe(fmt, extensible ? 0xfffe : format.tag, 2);
    appendLe(fmt, std::uint32_t(channels), 2);
    appendLe(fmt, std::uint32_t(made.sampleRate), 4);
    appendLe(fmt, std::uint32_t(made.sampleRate * made.blockAlign), 4);
    appendLe(fmt, std::uint32_t(made.blockAlign), 2);
    appendLe(fmt, std::uint32_t(format.bits), 2);
    if (extensible) {
        appendLe(fmt, 22, 2);
        appendLe(fmt, std::uint32_t(format.bits), 2);
        appendLe(fmt, 0, 4);
        appendLe(fmt, format.tag, 2);
        fmt.append(14, '\x01'); // the rest of the subformat's GUID
    }

    QByteArray data;
    const int frames = in.byte();
    for (int f = 0; f < frames; ++f) {
        for (int c = 0; c < channels; ++c) {
            const std::uint32_t raw = std::uint32_t(in.word()) | std::uint32_t(in.word()) << 16;
            float value = 0.0f;
            switch (format.bits) {
            case 8:
                value = (float(raw & 0xff) - 128.0f) / 128.0f;
                break;
            case 16:
                value = float(std::int16_t(raw)) / 32768.0f;
                break;
            case 24:
                value = float(std::int32_t(raw << 8)) / 2147483648.0f;
                break;
            default:
                if (format.tag == 3)
                    std::memcpy(&value, &raw, 4);
                else
                    value = float(std::int32_t(raw)) / 2147483648.0f;
            }
            appendLe(data, raw, format.bits / 8);
            if (c == 0)
                made.firstChannel.push_back(value);
        }
    }

    QByteArray body("WAVE");
    if (chunkBefore)
        appendChunk(body, "LIST", in.take(in.byte() % 9));
    appendChunk(body, "fmt ", fmt);
    if (chunkBetween)
        appendChunk(body, "fact", in.take(in.byte() % 9));
    made.dataAt = 8 + body.size() + 8;
    appendChunk(body, "data", data);
    made.bytes = "RIFF";
    appendLe(made.bytes, std::uint32_t(body.size()), 4);
    made.bytes.append(body);
    return made;
}

bool sameSamples(const std::vector<float>& a, const std::vector<float>& b) {
    return a.size() == b.size() &&
           (a.empty() || std::memcmp(a.data(), b.data(), a.size() * sizeof(float)) == 0);
}

// What holds for every file that is read, whatever its bytes.
void checkRead(const QByteArray& bytes, const std::optional<sstv::WavAudio>& audio,
               const QString& why) {
    if (!audio) {
        check(!why.isEmpty(), "a refusal says why");
        return;
    }
    check(audio->sampleRate >= 1000 && audio->sampleRate <= 384000, "the rate is one it reads");
    check(audio->channels >= 1, "at least one channel");
    check(audio->bits == 8 || audio->bits == 16 || audio->bits == 24 || audio->bits == 32,
          "samples of a size it reads");
    const auto frameBytes = qsizetype(audio->channels) * audio->bits / 8;
    check(bytes.size() >= kLeastHeader &&
              qsizetype(audio->samples.size()) <= (bytes.size() - kLeastHeader) / frameBytes,
          "no more frames than the bytes hold");
    for (const float v : audio->samples) {
        // Float samples are passed on as they stand; integer ones lie within full scale.
        if (std::isfinite(v) && (v < -1.0f || v >= 1.0f))
            check(audio->bits == 32, "integer samples within full scale");
    }
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    fuzz::application();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    fuzz::InputReader in(data, size);
    const std::uint8_t how = in.byte();
    std::optional<MadeFile> made;
    QByteArray bytes;
    bool edited = false;
    if (how & 1) {
        made = makeFile(in);
        bytes = made->bytes;
        // Cut short somewhere, or edited byte by byte, or left whole.
        if (how & 2) {
            bytes.truncate(in.word() % (bytes.size() + 1));
        } else {
            while (!in.atEnd()) {
                const int at = in.word() % int(bytes.size());
                bytes[at] = char(in.byte());
                edited = true;
            }
        }
    } else {
        bytes = in.rest();
    }

    QString why;
    const auto audio = sstv::parseWav(bytes, &why);
    checkRead(bytes, audio, why);

    if (made && !edited && bytes.size() >= made->dataAt) {
        // A file made here and cut short in its data: read as far as its data goes.
        check(audio.has_value(), "a well-formed file is read");
        check(audio->sampleRate == made->sampleRate, "the rate as written");
        const auto frames = std::size_t((bytes.size() - made->dataAt) / made->blockAlign);
        std::vector<float> expected = made->firstChannel;
        expected.resize(std::min(frames, expected.size()));
        check(sameSamples(audio->samples, expected), "the first channel as written");
    }

    if (how & 4) {
        // The file reader gives what the byte reader gives, and names the file in its refusal.
        const QString path = fuzz::scratchFolder() + QStringLiteral("/fuzz.wav");
        QFile file(path);
        check(file.open(QIODevice::WriteOnly | QIODevice::Truncate), "WAV file written");
        check(file.write(bytes) == bytes.size(), "WAV file written whole");
        file.close();
        QString fileWhy;
        const auto fromFile = sstv::readWav(path, &fileWhy);
        check(fromFile.has_value() == audio.has_value(), "the file is read as its bytes are");
        if (audio) {
            check(fromFile->sampleRate == audio->sampleRate &&
                      fromFile->channels == audio->channels && fromFile->bits == audio->bits &&
                      sameSamples(fromFile->samples, audio->samples),
                  "the file gives the samples its bytes give");
        } else {
            check(fileWhy == path + QStringLiteral(": ") + why, "a refusal names the file");
        }
    }
    return 0;
}
