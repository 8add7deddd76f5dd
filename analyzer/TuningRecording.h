// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

#include <cstdint>
#include <optional>
#include <vector>

namespace winorbis {

// A recording for the tuning display: a WAV file of PCM samples, mono, 8000 samples per second,
// 8 or 16 bits, as the sound card would deliver them. Samples come back unsigned 8-bit as the
// capture device gives them (16-bit samples keep their upper byte, shifted to unsigned). Any other
// file is refused with the reason, in the words the tools print.
std::optional<std::vector<std::uint8_t>> readTuningRecording(const QString& path, QString* error);

} // namespace winorbis
