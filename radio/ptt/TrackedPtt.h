// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "radio/Ptt.h"

#include <mutex>

namespace winorbis::radio {

// The common part of the push-to-talk kinds openPtt() makes: each one is on a list while it
// exists, so that releaseEveryPtt() reaches it.
// Keys and releases one at a time, so that the release of every push-to-talk on a signal (on the
// window's thread) never meets the converter's worker keying it.
class TrackedPtt : public Ptt {
public:
    TrackedPtt();
    ~TrackedPtt() override;
    TrackedPtt(const TrackedPtt&) = delete;
    TrackedPtt& operator=(const TrackedPtt&) = delete;

    bool setKeyed(bool on, QString* error) final {
        std::lock_guard lock(keyMutex_);
        return key(on, error);
    }

protected:
    // The kind's own keying, under the lock.
    virtual bool key(bool on, QString* error) = 0;

private:
    std::mutex keyMutex_;
};

} // namespace winorbis::radio
