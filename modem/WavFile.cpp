// SPDX-License-Identifier: GPL-3.0-or-later
#include "WavFile.h"

#include <QFile>
#include <QFileInfo>
#include <QtEndian>

#include <cstring>

namespace winorbis::sstv {

namespace {

constexpr std::uint16_t kFormatPcm = 1;
constexpr std::uint16_t kFormatFloat = 3;
constexpr std::uint16_t kFormatExtensible = 0xfffe;

std::uint16_t u16(const char* p) {
    return qFromLittleEndian<std::uint16_t>(p);
}
std::uint32_t u32(const char* p) {
    return qFromLittleEndian<std::uint32_t>(p);
}

std::optional<WavAudio> fail(QString* why, const QString& text) {
    if (why)
        *why = text;
    return std::nullopt;
}

} // namespace

std::optional<WavAudio> parseWav(const QByteArray& bytes, QString* why) {
    const char* d = bytes.constData();
    const qsizetype size = bytes.size();
    if (size < 12 || std::memcmp(d, "RIFF", 4) != 0 || std::memcmp(d + 8, "WAVE", 4) != 0)
        return fail(why, QStringLiteral("not a WAV file (no RIFF WAVE header)"));
    WavAudio audio;
    std::uint16_t format = 0;
    int blockAlign = 0;
    bool haveFormat = false;
    qsizetype at = 12;
    while (at + 8 <= size) {
        const std::uint32_t chunk = u32(d + at + 4);
        const qsizetype body = at + 8;
        if (std::memcmp(d + at, "fmt ", 4) == 0) {
            if (chunk < 16 || body + 16 > size)
                return fail(why, QStringLiteral("the WAV format chunk is cut short"));
            format = u16(d + body);
            audio.channels = u16(d + body + 2);
            audio.sampleRate = int(u32(d + body + 4));
            blockAlign = u16(d + body + 12);
            audio.bits = u16(d + body + 14);
            if (format == kFormatExtensible && chunk >= 26 && body + 26 <= size)
                format = u16(d + body + 24);
            haveFormat = true;
        } else if (std::memcmp(d + at, "data", 4) == 0) {
            if (!haveFormat)
                return fail(why, QStringLiteral("the WAV data comes before its format"));
            if ((format != kFormatPcm && format != kFormatFloat) ||
                (format == kFormatFloat && audio.bits != 32))
                return fail(why, QStringLiteral("the WAV file is not PCM (format %1)").arg(format));
            if (audio.bits != 8 && audio.bits != 16 && audio.bits != 24 && audio.bits != 32)
                return fail(why, QStringLiteral("%1-bit samples are not read").arg(audio.bits));
            if (audio.channels < 1 || audio.sampleRate < 1000 || audio.sampleRate > 384000 ||
                blockAlign < audio.channels * audio.bits / 8)
                return fail(why, QStringLiteral("the WAV format is inconsistent"));
            // A data chunk running past the end (a recording still being written) is read as far
            // as it goes.
            const qsizetype available = std::min<qsizetype>(qsizetype(chunk), size - body);
            const qsizetype frames = available / blockAlign;
            audio.samples.resize(std::size_t(frames));
            for (qsizetype i = 0; i < frames; ++i) {
                const char* s = d + body + i * blockAlign;
                float v = 0.0f;
                switch (audio.bits) {
                case 8:
                    v = (float(std::uint8_t(s[0])) - 128.0f) / 128.0f;
                    break;
                case 16:
                    v = float(qFromLittleEndian<std::int16_t>(s)) / 32768.0f;
                    break;
                case 24:
                    v = float(std::int32_t(std::uint32_t(std::uint8_t(s[0])) << 8 |
                                           std::uint32_t(std::uint8_t(s[1])) << 16 |
                                           std::uint32_t(std::uint8_t(s[2])) << 24)) /
                        2147483648.0f;
                    break;
                default:
                    if (format == kFormatFloat) {
                        const std::uint32_t raw = u32(s);
                        std::memcpy(&v, &raw, 4);
                    } else {
                        v = float(qFromLittleEndian<std::int32_t>(s)) / 2147483648.0f;
                    }
                }
                audio.samples[std::size_t(i)] = v;
            }
            return audio;
        }
        at = body + qsizetype(chunk) + (chunk & 1);
    }
    return fail(why, haveFormat ? QStringLiteral("the WAV file has no data")
                                : QStringLiteral("the WAV header is cut short"));
}

std::optional<WavAudio> readWav(const QString& path, QString* why) {
    if (QFileInfo(path).isDir())
        return fail(why, QStringLiteral("%1 is a directory, not a WAV file").arg(path));
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return fail(why, QStringLiteral("cannot read %1: %2").arg(path, file.errorString()));
    QString problem;
    auto audio = parseWav(file.readAll(), &problem);
    if (!audio)
        return fail(why, QStringLiteral("%1: %2").arg(path, problem));
    return audio;
}

QByteArray wavBytes(std::span<const std::int16_t> samples, int sampleRate) {
    QByteArray out;
    const auto dataBytes = std::uint32_t(samples.size() * 2);
    out.resize(44 + qsizetype(dataBytes));
    char* d = out.data();
    std::memcpy(d, "RIFF", 4);
    qToLittleEndian<std::uint32_t>(36 + dataBytes, d + 4);
    std::memcpy(d + 8, "WAVEfmt ", 8);
    qToLittleEndian<std::uint32_t>(16, d + 16);
    qToLittleEndian<std::uint16_t>(kFormatPcm, d + 20);
    qToLittleEndian<std::uint16_t>(1, d + 22);
    qToLittleEndian<std::uint32_t>(std::uint32_t(sampleRate), d + 24);
    qToLittleEndian<std::uint32_t>(std::uint32_t(sampleRate) * 2, d + 28);
    qToLittleEndian<std::uint16_t>(2, d + 32);
    qToLittleEndian<std::uint16_t>(16, d + 34);
    std::memcpy(d + 36, "data", 4);
    qToLittleEndian<std::uint32_t>(dataBytes, d + 40);
    for (std::size_t i = 0; i < samples.size(); ++i)
        qToLittleEndian<std::int16_t>(samples[i], d + 44 + 2 * i);
    return out;
}

} // namespace winorbis::sstv
