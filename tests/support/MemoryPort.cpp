// SPDX-License-Identifier: GPL-3.0-or-later
#include "support/MemoryPort.h"

#include "support/VirtualClock.h"

#include <chrono>
#include <thread>

namespace winorbis::test {

int MemoryPort::read(std::uint8_t* buffer, int count) {
    int got = 0;
    {
        std::lock_guard lock(mutex_);
        ++reads_;
        if (vanished_) {
            // nothing comes from a device that is not there
        } else if (!incoming_.empty() && incoming_.front().emptyReadsBefore > 0) {
            --incoming_.front().emptyReadsBefore;
        } else {
            while (got < count && !incoming_.empty() && incoming_.front().emptyReadsBefore == 0) {
                Chunk& chunk = incoming_.front();
                const int take = std::min<int>(count - got, int(chunk.bytes.size()));
                std::copy_n(reinterpret_cast<const std::uint8_t*>(chunk.bytes.constData()), take,
                            buffer + got);
                chunk.bytes.remove(0, take);
                got += take;
                if (chunk.bytes.isEmpty())
                    incoming_.pop_front();
            }
        }
        if (got == 0)
            ++emptyReads_;
    }
    if (got == 0) {
        clock_.sleep(porttimeouts::totalMs(count));
        // A monitor thread polling an empty line must not take a whole core from the test.
        std::this_thread::sleep_for(std::chrono::microseconds(50));
    } else if (got < count)
        clock_.sleep(porttimeouts::kInterval);
    return got;
}

bool MemoryPort::writeByte(std::uint8_t byte) {
    return write(&byte, 1);
}

bool MemoryPort::write(const std::uint8_t* bytes, int count) {
    std::function<void(std::uint8_t, MemoryPort&)> responder;
    {
        std::lock_guard lock(mutex_);
        if (!writable_ || vanished_)
            return false;
        written_.append(reinterpret_cast<const char*>(bytes), count);
        writeCalls_.append(QByteArray(reinterpret_cast<const char*>(bytes), count));
        responder = responder_;
    }
    if (responder) {
        for (int i = 0; i < count; ++i)
            responder(bytes[i], *this);
    }
    return true;
}

void MemoryPort::discardInput() {
    std::lock_guard lock(mutex_);
    ++discards_;
    while (!incoming_.empty() && incoming_.front().emptyReadsBefore == 0)
        incoming_.pop_front();
}

void MemoryPort::arriveAfterEmptyReads(int reads, const QByteArray& bytes) {
    std::lock_guard lock(mutex_);
    if (!bytes.isEmpty())
        incoming_.push_back({reads, bytes});
}

void MemoryPort::setResponder(std::function<void(std::uint8_t, MemoryPort&)> responder) {
    std::lock_guard lock(mutex_);
    responder_ = std::move(responder);
}

void MemoryPort::setWritable(bool writable) {
    std::lock_guard lock(mutex_);
    writable_ = writable;
}

void MemoryPort::vanish() {
    std::lock_guard lock(mutex_);
    vanished_ = true;
}

void MemoryPort::setComesBack(bool back) {
    std::lock_guard lock(mutex_);
    comesBack_ = back;
}

bool MemoryPort::hasVanished() const {
    std::lock_guard lock(mutex_);
    return vanished_;
}

bool MemoryPort::reopen() {
    std::lock_guard lock(mutex_);
    ++reopenAttempts_;
    if (vanished_ && comesBack_)
        vanished_ = false;
    return !vanished_;
}

int MemoryPort::reopenAttempts() const {
    std::lock_guard lock(mutex_);
    return reopenAttempts_;
}

QList<QByteArray> MemoryPort::writeCalls() const {
    std::lock_guard lock(mutex_);
    return writeCalls_;
}

QByteArray MemoryPort::written() const {
    std::lock_guard lock(mutex_);
    return written_;
}

int MemoryPort::reads() const {
    std::lock_guard lock(mutex_);
    return reads_;
}

int MemoryPort::emptyReads() const {
    std::lock_guard lock(mutex_);
    return emptyReads_;
}

int MemoryPort::discards() const {
    std::lock_guard lock(mutex_);
    return discards_;
}

int MemoryPort::pending() const {
    std::lock_guard lock(mutex_);
    int n = 0;
    for (const Chunk& chunk : incoming_)
        n += int(chunk.bytes.size());
    return n;
}

std::function<void(std::uint8_t, MemoryPort&)> converterAnswers(std::uint8_t answer) {
    return [answer](std::uint8_t byte, MemoryPort& port) {
        if (byte == 16)
            port.arrive(QByteArray(1, char(answer)) + QByteArray("ORB70"));
        else if (byte == 1 || byte == 8)
            port.arrive(QByteArray(1, char(128)));
    };
}

} // namespace winorbis::test
