// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <array>
#include <cstdint>

namespace winorbis {

// The bytes a converter received, kept within a bound however long it runs: the last ones (at
// least kKept of them) with the count of all bytes and of each byte value. Positions count from
// the first byte ever received, so a caller takes a mark (size()) and reads what came after it
// (mid(mark)) as long as that is still kept.
class ReceivedBytes {
public:
    // What is kept at least: more than an upload of a whole picture (215,297 bytes).
    static constexpr qsizetype kKept = 256 * 1024;
    // What is kept at most: the oldest bytes are dropped a slice at a time.
    static constexpr qsizetype kMaxKept = kKept + kKept / 4;

    void append(std::uint8_t byte);

    // Every byte received, counted.
    qsizetype size() const { return total_; }
    bool isEmpty() const { return total_ == 0; }
    // How often the byte came, over every byte received.
    qsizetype count(char byte) const { return counts_[std::uint8_t(byte)]; }
    bool contains(char byte) const { return count(byte) > 0; }
    // The bytes from position mark on, as far back as they are kept.
    QByteArray mid(qsizetype mark) const;
    // The bytes kept, the last received last: all of them up to kKept.
    const QByteArray& kept() const { return kept_; }
    // True when the bytes received are these, every one of them still kept.
    bool operator==(const QByteArray& bytes) const {
        return total_ == kept_.size() && kept_ == bytes;
    }

private:
    QByteArray kept_;
    qsizetype total_ = 0;
    std::array<qsizetype, 256> counts_{};
};

// What a converter was told and did, within bounds: the bytes it received (ReceivedBytes) and its
// events, the last kEvents of them with the count of all. The served line keeps one, so that a
// converter that serves for weeks holds no more of it than after its first few uploads.
class ConverterRecord {
public:
    static constexpr qsizetype kEvents = 500;

    void byte(std::uint8_t byte) { received_.append(byte); }
    void events(const QStringList& events);

    const ReceivedBytes& received() const { return received_; }
    // The last kEvents events, the latest last.
    const QStringList& events() const { return events_; }
    // Every event so far, counted.
    qsizetype eventCount() const { return eventCount_; }

private:
    ReceivedBytes received_;
    QStringList events_;
    qsizetype eventCount_ = 0;
};

} // namespace winorbis
