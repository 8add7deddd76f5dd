// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "radio/Ptt.h"

namespace winorbis::radio {

// The common part of the push-to-talk kinds openPtt() makes: each one is on a list while it
// exists, so that releaseEveryPtt() reaches it.
class TrackedPtt : public Ptt {
public:
    TrackedPtt();
    ~TrackedPtt() override;
    TrackedPtt(const TrackedPtt&) = delete;
    TrackedPtt& operator=(const TrackedPtt&) = delete;
};

} // namespace winorbis::radio
