// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "link/BytePort.h"

#include <QByteArray>
#include <QList>

#include <deque>
#include <functional>
#include <mutex>

namespace winorbis::test {

class VirtualClock;

// A converter line in memory for fast tests on virtual time. Bytes "arrive" from a script or from
// a responder that reacts to each written byte; a read takes what has arrived and spends the time
// the real port would: the whole time-out (10 + 10 x n ms) when nothing is there, the 5 ms pause
// when fewer bytes than asked for are there, nothing otherwise.
class MemoryPort final : public BytePort {
public:
    explicit MemoryPort(VirtualClock& clock)
        : clock_(clock) {}

    int read(std::uint8_t* buffer, int count) override;
    bool writeByte(std::uint8_t byte) override;
    // Takes the bytes in one call (recorded in writeCalls()), each answered by the responder.
    bool write(const std::uint8_t* bytes, int count) override;
    void discardInput() override;

    // Bytes that are there at the next read.
    void arrive(const QByteArray& bytes) { arriveAfterEmptyReads(0, bytes); }
    // Bytes that are there only after the given number of reads have come back empty.
    void arriveAfterEmptyReads(int reads, const QByteArray& bytes);
    // Called for every byte written, e.g. to answer like a converter.
    void setResponder(std::function<void(std::uint8_t, MemoryPort&)> responder);
    void setWritable(bool writable);

    // The device vanishes: reads bring nothing, writes fail, until a reopen() finds it back.
    void vanish();
    // Whether reopen() finds the device back.
    void setComesBack(bool back);
    bool hasVanished() const override;
    bool reopen() override;
    int reopenAttempts() const;

    QByteArray written() const;
    // The bytes of each write call, in order.
    QList<QByteArray> writeCalls() const;
    int reads() const;
    int emptyReads() const;
    int discards() const;
    // Bytes arrived and not read yet.
    int pending() const;

private:
    struct Chunk {
        int emptyReadsBefore;
        QByteArray bytes;
    };

    VirtualClock& clock_;
    mutable std::recursive_mutex mutex_;
    std::deque<Chunk> incoming_;
    std::function<void(std::uint8_t, MemoryPort&)> responder_;
    QByteArray written_;
    QList<QByteArray> writeCalls_;
    bool writable_ = true;
    bool vanished_ = false;
    bool comesBack_ = false;
    int reopenAttempts_ = 0;
    int reads_ = 0;
    int emptyReads_ = 0;
    int discards_ = 0;
};

// A responder that answers identify (16) with answer and five more bytes, and the transfer
// commands 1 and 8 with the acknowledge 128.
std::function<void(std::uint8_t, MemoryPort&)> converterAnswers(std::uint8_t answer);

} // namespace winorbis::test
