// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "support/MemoryPort.h"

#include <QByteArray>
#include <QImage>

#include <set>
#include <vector>

namespace winorbis::test {

// A converter behind a MemoryPort, for transfers on virtual time: identify, acknowledges, uploaded
// lines stored, fetched lines served from its memory; with faults that a test switches on.
class MemoryConverter {
public:
    explicit MemoryConverter(MemoryPort& port);

    std::uint8_t identifyAnswer = 76;
    bool silent = false;
    bool ackBeginTransfer = true;
    int noLineFollowsAckFrom = -1;   // no acknowledge to 8 from this upload line (0 = header)
    int noLineAckFrom = -1;          // no line acknowledge from this upload line
    std::set<int> droppedFetchLines; // fetch lines 1..256 never sent
    int silentFromFetchLine = -1;    // from this fetch line on the converter says nothing at all

    // The frame: 256 lines of 840 bytes.
    std::vector<QByteArray> memory;
    void fill(const QImage& picture);
    int uploadedLines() const { return uploaded_; }

private:
    void onByte(std::uint8_t byte, MemoryPort& port);

    int transferLine_ = 0;
    int uploaded_ = 0;
    int expectingData_ = 0;
    QByteArray lineData_;
};

} // namespace winorbis::test
