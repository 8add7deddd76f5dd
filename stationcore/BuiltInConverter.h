// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "ConverterChoice.h"

#include "radio/SoundCardConverter.h"

#include <functional>
#include <memory>

namespace winorbis {

class Clock;

// The converter inside the program on the sound card, with the capture and playback devices, the
// push-to-talk, the clock correction, the camera and the digitize picture a converter choice
// names. A device or push-to-talk that cannot be had is said through warning and left out, so that
// the station still runs; the devices it has reopen by themselves when they come back. log gets
// the air's events ("Receiving Martin 1 (VIS)"); none when empty.
std::unique_ptr<radio::SoundCardConverter>
openBuiltInConverter(const ConverterChoice& choice, const Clock& clock,
                     const std::function<void(const QString&)>& warning,
                     radio::SoundCardConverter::EventLog log = {});

} // namespace winorbis
