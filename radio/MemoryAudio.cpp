// SPDX-License-Identifier: GPL-3.0-or-later
#include "MemoryAudio.h"

#include <algorithm>

namespace winorbis::radio {

std::size_t MemoryAudioSource::read(std::span<float> out) {
    std::lock_guard lock(mutex_);
    const std::size_t count = std::min(out.size(), queued_.size() - next_);
    std::copy_n(queued_.begin() + std::ptrdiff_t(next_), count, out.begin());
    next_ += count;
    if (next_ == queued_.size()) {
        queued_.clear();
        next_ = 0;
    }
    return count;
}

bool MemoryAudioSink::play(std::span<const float> samples) {
    if (failAfter_ > 0 && samples_.size() + samples.size() > failAfter_) {
        problem_ = QStringLiteral("Playback device has gone");
        return false;
    }
    samples_.insert(samples_.end(), samples.begin(), samples.end());
    return true;
}

} // namespace winorbis::radio
