// SPDX-License-Identifier: GPL-3.0-or-later
#include "ParadoxHeader.h"

#include <cstdint>
#include <vector>

namespace winorbis::logbook {

namespace {

// Offsets into the header (little-endian throughout).
constexpr int kRecordSize = 0x00;
constexpr int kHeaderSize = 0x02;
constexpr int kFileType = 0x04;
constexpr int kMaxTableSize = 0x05;
constexpr int kNumRecords = 0x06;
constexpr int kFileBlocks = 0x0C;
constexpr int kFirstBlock = 0x0E;
constexpr int kNumFields = 0x21;
constexpr int kEncryption1 = 0x25;
constexpr std::uint32_t kNotEncrypted = 0xFF00FF00; // what writers put there, besides zero
constexpr int kFileVersion = 0x39;
constexpr int kEncryption2 = 0x5C;
constexpr int kFieldsPlain = 0x58;    // the field list of tables before version 4
constexpr int kFieldsExtended = 0x78; // and after the extended header of version 4 and later
constexpr int kBlockHeader = 6;       // next, previous, and the size of the block's records

unsigned byteAt(const QByteArray& b, int at) {
    return static_cast<std::uint8_t>(b[at]);
}
unsigned word(const QByteArray& b, int at) {
    return byteAt(b, at) | byteAt(b, at + 1) << 8;
}
std::uint32_t longWord(const QByteArray& b, int at) {
    return word(b, at) | std::uint32_t(word(b, at + 2)) << 16;
}

// The size a field of this type must have; 0 for types whose size varies from 1 to 255, -2 for
// memo and object fields (11 to 250), -1 for unknown types.
int fixedSize(unsigned type) {
    switch (type) {
    case 0x01: // alpha
    case 0x18: // bytes
        return 0;
    case 0x0C:     // memo
    case 0x0D:     // binary large object
    case 0x0E:     // formatted memo
    case 0x0F:     // OLE
    case 0x10:     // graphic
        return -2; // a leader of 1 to 240 bytes and 10 bytes of reference
    case 0x02:     // date
    case 0x04:     // long
    case 0x14:     // time
    case 0x16:     // auto increment
        return 4;
    case 0x03: // short
        return 2;
    case 0x05: // currency
    case 0x06: // number
    case 0x15: // timestamp
        return 8;
    case 0x09: // logical
        return 1;
    case 0x17: // binary-coded decimal
        return 17;
    default:
        return -1;
    }
}

} // namespace

QString ParadoxHeader::problem(const QByteArray& head) {
    const qint64 fileSize = head.size();
    if (head.size() < kFieldsPlain || fileSize < kFieldsPlain)
        return QStringLiteral("the file is too short for a table header");
    const unsigned version = byteAt(head, kFileVersion);
    const unsigned fileType = byteAt(head, kFileType);
    // Data tables (keyed or not) of version 4 and later carry an extended header before the
    // field list.
    const bool extended = version >= 5 && (fileType == 0 || fileType == 2);
    if (fileType != 0 && fileType != 2)
        return QStringLiteral("the file is a Paradox index or view, not a table");
    // 3 and 4: Paradox 3.0 and 3.5; 5 to 9: 4.x; 10 and 11: 5.x; 12: 7.x. The engine reads any
    // other value as some version and the rest of the header wrongly.
    if (version < 3 || version > 12)
        return QStringLiteral("the header names an unknown table version (%1)").arg(version);
    const std::uint32_t encryption1 = longWord(head, kEncryption1);
    if ((encryption1 != 0 && encryption1 != kNotEncrypted) ||
        (extended && head.size() >= kEncryption2 + 4 && longWord(head, kEncryption2) != 0))
        return QStringLiteral("the table is encrypted (password-protected), which the log book "
                              "cannot read");
    const unsigned recordSize = word(head, kRecordSize);
    const unsigned headerSize = word(head, kHeaderSize);
    const unsigned blockKb = byteAt(head, kMaxTableSize);
    const unsigned fields = word(head, kNumFields);
    if (recordSize == 0)
        return QStringLiteral("the header gives records of no size");
    if (blockKb != 1 && blockKb != 2 && blockKb != 3 && blockKb != 4 && blockKb != 8 &&
        blockKb != 16 && blockKb != 32)
        return QStringLiteral("the header gives an impossible block size");
    const unsigned blockSize = blockKb * 1024;
    if (recordSize > blockSize - kBlockHeader)
        return QStringLiteral("the header gives records larger than a block");
    if (fields == 0 || fields > 255)
        return QStringLiteral("the header gives %1 fields").arg(fields);
    const int fieldList = extended ? kFieldsExtended : kFieldsPlain;
    const int fieldListEnd = fieldList + 2 * int(fields);
    if (head.size() < fieldListEnd || qint64(headerSize) < fieldListEnd)
        return QStringLiteral("the header is shorter than its field list");
    if (qint64(headerSize) > fileSize)
        return QStringLiteral("the header is longer than the file");
    unsigned sum = 0;
    for (unsigned i = 0; i < fields; ++i) {
        const unsigned type = byteAt(head, fieldList + 2 * int(i));
        const unsigned size = byteAt(head, fieldList + 2 * int(i) + 1);
        const int expected = fixedSize(type);
        if (expected == -1)
            return QStringLiteral("field %1 has an unknown type").arg(i + 1);
        if ((expected > 0 && int(size) != expected) || size == 0 ||
            (expected == -2 && (size < 11 || size > 250)))
            return QStringLiteral("field %1 has a size of %2 bytes, which its type cannot have")
                .arg(i + 1)
                .arg(size);
        sum += size;
    }
    if (sum > recordSize)
        return QStringLiteral("the fields take %1 bytes, more than the record's %2")
            .arg(sum)
            .arg(recordSize);
    const qint64 blocks = word(head, kFileBlocks);
    if (qint64(headerSize) + blocks * blockSize > fileSize)
        return QStringLiteral("the header counts %1 blocks, more than the file holds").arg(blocks);
    const qint64 records = longWord(head, kNumRecords);
    const qint64 room = blocks * ((blockSize - kBlockHeader) / recordSize);
    if (records > room)
        return QStringLiteral("the header counts %1 records, more than its blocks hold")
            .arg(records);
    // The chain of data blocks from the first: each block number within the file, none twice,
    // each with room for the records it says it holds.
    const qint64 perBlock = (blockSize - kBlockHeader) / recordSize;
    std::vector<bool> seen(std::size_t(blocks) + 1, false);
    for (unsigned block = word(head, kFirstBlock); block != 0;) {
        if (block > blocks)
            return QStringLiteral("the chain of blocks leaves the file at block %1").arg(block);
        if (seen[block])
            return QStringLiteral("the chain of blocks runs in a circle at block %1").arg(block);
        seen[block] = true;
        const qint64 at = qint64(headerSize) + qint64(block - 1) * blockSize;
        const int used = std::int16_t(word(head, int(at) + 4)); // (records - 1) x record size
        const qint64 inBlock = used / qint64(recordSize) + 1;
        if (used % qint64(recordSize) != 0 || inBlock < 0 || inBlock > perBlock)
            return QStringLiteral("block %1 says it holds %2 bytes of records, which it cannot")
                .arg(block)
                .arg(used + qint64(recordSize));
        block = word(head, int(at));
    }
    return {};
}

} // namespace winorbis::logbook
