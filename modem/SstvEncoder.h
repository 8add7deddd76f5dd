// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "converter/Modes.h"

#include <QImage>

#include <cstdint>
#include <vector>

namespace winorbis::sstv {

struct EncoderOptions {
    double sampleRate = 48000.0; // 8000 .. 96000; need not be whole (a sound card's true rate)
    bool vox = false;            // the VOX tones before the VIS header
    double amplitude = 0.7;      // peak, of full scale 1
    double offsetHz = 0.0;       // every tone shifted by this much (a mistuned transmitter)
    QString fskId = {};          // a callsign sent in FSK after the picture; empty: none
};

// The transmitter: a picture in a mode to audio samples, phase-continuous, the timing of every
// tone carried in exact time over the whole transmission so that no rounding adds up.
class SstvEncoder {
public:
    // The picture is scaled to the mode's size when it has another.
    static std::vector<float> encode(const QImage& picture, ModeId mode,
                                     const EncoderOptions& options = {});
    // The same as 16-bit samples.
    static std::vector<std::int16_t> encode16(const QImage& picture, ModeId mode,
                                              const EncoderOptions& options = {});
    // Milliseconds of audio the transmission lasts, with the VOX tones when asked for.
    static double durationMs(ModeId mode, bool vox);
    static double durationMs(ModeId mode, const EncoderOptions& options);
};

} // namespace winorbis::sstv
