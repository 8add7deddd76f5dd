// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "link/BytePort.h"

#include <QByteArray>

#include <poll.h>

#include <algorithm>
#include <atomic>
#include <cstdint>
#include <functional>
#include <mutex>

namespace winorbis::fuzz {

// A converter line that answers from a script of fuzz bytes: each read takes one step of the
// script, which decides what arrives within that read's time-out:
//   0x00..0x3F  a gap: nothing arrives;
//   0x40..0x7F  the next (step - 0x3F) script bytes arrive as they stand (fewer when the read
//               asks for fewer or the script ends: a short read);
//   0x80..0xFF  everything the read asks for arrives, picture-like bytes made from the step.
// Once the script has run out, the converter stays silent: reads bring nothing, and an idle
// reader's wait sleeps on the wake-up descriptor. Every byte delivered is recorded, and so is
// every byte written.
class ScriptPort final : public BytePort {
public:
    explicit ScriptPort(QByteArray script)
        : script_(std::move(script)) {}

    int read(std::uint8_t* buffer, int count) override {
        if (onRead)
            onRead();
        std::lock_guard lock(mutex_);
        if (count <= 0 || pos_ >= script_.size())
            return 0;
        const auto step = std::uint8_t(script_[pos_++]);
        int n = 0;
        if (step < 0x40) {
            n = 0;
        } else if (step < 0x80) {
            n = std::min<qsizetype>({count, step - 0x3F, script_.size() - pos_});
            std::copy_n(script_.constData() + pos_, n, buffer);
            pos_ += n;
        } else {
            std::uint32_t state = step * 2654435761u;
            for (int i = 0; i < count; ++i) {
                state = state * 1103515245u + 12345u;
                buffer[i] = std::uint8_t(state >> 24);
            }
            n = count;
        }
        delivered_.append(reinterpret_cast<const char*>(buffer), n);
        return n;
    }
    bool writeByte(std::uint8_t byte) override {
        std::lock_guard lock(mutex_);
        written_.append(char(byte));
        return true;
    }
    void discardInput() override {}
    Wait waitForInput(int wakeFd) override {
        {
            std::lock_guard lock(mutex_);
            if (pos_ < script_.size())
                return Wait::Input;
        }
        if (!silentWaitSeen_.exchange(true) && onSilentWait)
            onSilentWait();
        pollfd fd{wakeFd, POLLIN, 0};
        return ::poll(&fd, 1, 1000) > 0 ? Wait::Woken : Wait::Quiet;
    }

    QByteArray delivered() const {
        std::lock_guard lock(mutex_);
        return delivered_;
    }
    QByteArray written() const {
        std::lock_guard lock(mutex_);
        return written_;
    }
    // True once an idle reader waited with the script used up.
    bool silentWaitSeen() const { return silentWaitSeen_.load(); }

    // Called at the start of every read, on the reading thread.
    std::function<void()> onRead;
    // Called once, on the waiting thread, when an idle reader first waits with the script used up.
    std::function<void()> onSilentWait;

private:
    mutable std::mutex mutex_;
    QByteArray script_;
    qsizetype pos_ = 0;
    QByteArray delivered_;
    QByteArray written_;
    std::atomic<bool> silentWaitSeen_{false};
};

} // namespace winorbis::fuzz
