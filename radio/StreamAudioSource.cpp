// SPDX-License-Identifier: GPL-3.0-or-later
#include "StreamAudioSource.h"

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <unistd.h>

namespace winorbis::radio {

namespace {

// Bytes asked of the descriptor at a time.
constexpr std::size_t kReadBytes = 65536;

} // namespace

StreamAudioSource::StreamAudioSource(int fd, double sampleRate)
    : fd_(fd)
    , rate_(sampleRate)
    , ring_(std::max<std::size_t>(1, std::size_t(sampleRate * kBufferSeconds))) {
    if (::pipe2(wake_, O_CLOEXEC) != 0) {
        wake_[0] = wake_[1] = -1;
        problem_ = QStringLiteral("cannot read the input: %1").arg(std::strerror(errno));
        ended_ = true;
        return;
    }
    thread_ = std::thread([this] { run(); });
}

StreamAudioSource::~StreamAudioSource() {
    {
        std::lock_guard lock(mutex_);
        stopping_ = true;
    }
    room_.notify_all();
    if (wake_[1] >= 0) {
        const char byte = 0;
        [[maybe_unused]] const ssize_t written = ::write(wake_[1], &byte, 1);
    }
    if (thread_.joinable())
        thread_.join();
    for (const int fd : wake_)
        if (fd >= 0)
            ::close(fd);
}

void StreamAudioSource::run() {
    std::vector<char> bytes(kReadBytes);
    std::size_t carried = 0; // the first byte of a sample whose second has not come yet
    for (;;) {
        std::array<pollfd, 2> fds{pollfd{fd_, POLLIN, 0}, pollfd{wake_[0], POLLIN, 0}};
        if (::poll(fds.data(), fds.size(), -1) < 0) {
            if (errno == EINTR)
                continue;
            std::lock_guard lock(mutex_);
            problem_ = QStringLiteral("cannot read the input: %1").arg(std::strerror(errno));
            ended_ = true;
            return;
        }
        if (fds[1].revents != 0)
            return;
        if (fds[0].revents == 0)
            continue;
        const ssize_t got = ::read(fd_, bytes.data() + carried, kReadBytes - carried);
        if (got < 0 && (errno == EINTR || errno == EAGAIN))
            continue;
        if (got <= 0) {
            std::lock_guard lock(mutex_);
            if (got < 0)
                problem_ = QStringLiteral("cannot read the input: %1").arg(std::strerror(errno));
            ended_ = true;
            return;
        }
        const std::size_t total = carried + std::size_t(got);
        const std::size_t whole = total & ~std::size_t(1);
        if (!store(bytes.data(), whole))
            return;
        carried = total - whole;
        if (carried)
            bytes[0] = bytes[whole];
    }
}

bool StreamAudioSource::store(const char* bytes, std::size_t count) {
    const auto* data = reinterpret_cast<const unsigned char*>(bytes);
    for (std::size_t at = 0; at < count;) {
        std::unique_lock lock(mutex_);
        // A full ring holds the input back until samples have been taken.
        room_.wait(lock, [this] { return stopping_ || count_ < ring_.size(); });
        if (stopping_)
            return false;
        for (; at < count && count_ < ring_.size(); at += 2, ++count_) {
            const auto value = std::int16_t(std::uint16_t(data[at] | data[at + 1] << 8));
            ring_[(head_ + count_) % ring_.size()] = float(value) / 32768.0f;
        }
    }
    return true;
}

std::size_t StreamAudioSource::read(std::span<float> out) {
    std::size_t n = 0;
    {
        std::lock_guard lock(mutex_);
        n = std::min(out.size(), count_);
        for (std::size_t i = 0; i < n; ++i) {
            out[i] = ring_[head_];
            head_ = (head_ + 1) % ring_.size();
        }
        count_ -= n;
    }
    if (n > 0)
        room_.notify_all();
    return n;
}

QString StreamAudioSource::problem() const {
    std::lock_guard lock(mutex_);
    return problem_;
}

bool StreamAudioSource::atEnd() const {
    std::lock_guard lock(mutex_);
    return ended_ && count_ == 0;
}

} // namespace winorbis::radio
