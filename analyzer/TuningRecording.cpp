// SPDX-License-Identifier: GPL-3.0-or-later
#include "TuningRecording.h"

#include <QFile>

namespace winorbis {

namespace {

constexpr int kSampleRate = 8000;
constexpr std::uint16_t kPcm = 1;

std::uint32_t little(const QByteArray& bytes, qsizetype at, int size) {
    std::uint32_t value = 0;
    for (int i = size - 1; i >= 0; --i)
        value = value << 8 | std::uint8_t(bytes[at + i]);
    return value;
}

std::optional<std::vector<std::uint8_t>> refuse(QString* error, const QString& why) {
    if (error)
        *error = why;
    return std::nullopt;
}

} // namespace

std::optional<std::vector<std::uint8_t>> readTuningRecording(const QString& path, QString* error) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return refuse(error, QStringLiteral("cannot read %1: %2").arg(path, file.errorString()));
    const QByteArray bytes = file.readAll();
    if (bytes.size() < 12 || !bytes.startsWith("RIFF") || bytes.mid(8, 4) != "WAVE")
        return refuse(error, QStringLiteral("%1 is no WAV file").arg(path));

    std::optional<std::uint16_t> bits;
    QByteArray data;
    bool haveData = false;
    // The chunks one after the other; each is padded to an even length.
    for (qsizetype at = 12; at + 8 <= bytes.size();) {
        const QByteArray id = bytes.mid(at, 4);
        const qsizetype size = qsizetype(little(bytes, at + 4, 4));
        const qsizetype body = at + 8;
        const qsizetype available = std::min<qsizetype>(size, bytes.size() - body);
        if (id == "fmt ") {
            if (available < 16)
                return refuse(error, QStringLiteral("%1 has a damaged format chunk").arg(path));
            const auto format = std::uint16_t(little(bytes, body, 2));
            const auto channels = std::uint16_t(little(bytes, body + 2, 2));
            const std::uint32_t rate = little(bytes, body + 4, 4);
            const auto sampleBits = std::uint16_t(little(bytes, body + 14, 2));
            if (format != kPcm || channels != 1 || rate != kSampleRate ||
                (sampleBits != 8 && sampleBits != 16))
                return refuse(
                    error,
                    QStringLiteral("%1 holds %2 channel(s) of %3-bit %4 at %5 Hz; the tuning "
                                   "display takes PCM mono at 8000 Hz, 8 or 16 bits")
                        .arg(path)
                        .arg(channels)
                        .arg(sampleBits)
                        .arg(format == kPcm ? QStringLiteral("PCM")
                                            : QStringLiteral("format %1").arg(format))
                        .arg(rate));
            bits = sampleBits;
        } else if (id == "data") {
            data = bytes.mid(body, available); // a cut file gives what is there
            haveData = true;
        }
        if (size > bytes.size())
            break;
        at = body + size + (size & 1);
    }
    if (!bits)
        return refuse(error, QStringLiteral("%1 has no format chunk").arg(path));
    if (!haveData)
        return refuse(error, QStringLiteral("%1 has no sample data").arg(path));

    std::vector<std::uint8_t> samples;
    if (*bits == 8) {
        samples.assign(data.cbegin(), data.cend());
    } else {
        samples.reserve(std::size_t(data.size() / 2));
        for (qsizetype i = 0; i + 1 < data.size(); i += 2)
            samples.push_back(std::uint8_t(std::uint8_t(data[i + 1]) ^ 0x80));
    }
    return samples;
}

} // namespace winorbis
