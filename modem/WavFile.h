// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

#include <cstdint>
#include <optional>
#include <span>
#include <vector>

namespace winorbis::sstv {

// Audio of a WAV file: the first channel as samples of full scale 1.
struct WavAudio {
    int sampleRate = 0;
    int channels = 0;
    int bits = 0;
    std::vector<float> samples;
};

// Reads a RIFF WAVE file of PCM (8, 16, 24 or 32 bits) or 32-bit float samples, plain or in
// the extensible format; the first channel is kept. On failure why says what is wrong.
std::optional<WavAudio> readWav(const QString& path, QString* why);
std::optional<WavAudio> parseWav(const QByteArray& bytes, QString* why);

// A mono file of 16-bit PCM.
QByteArray wavBytes(std::span<const std::int16_t> samples, int sampleRate);

} // namespace winorbis::sstv
