// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "converter/ConverterFaults.h"
#include "converter/ConverterModel.h"
#include "support/MemoryPort.h"

#include <QByteArray>
#include <QImage>
#include <QStringList>

#include <map>
#include <set>

namespace winorbis::test {

// The converter model behind a MemoryPort, for exchanges on virtual time: every byte the link
// writes goes through the fault layer to the model, and what comes back arrives at the port at
// once. A test switches faults on through the fields below, which are the layer's own. The tests
// are short, so it keeps every event.
class MemoryConverter {
public:
    explicit MemoryConverter(MemoryPort& port);
    MemoryConverter(const MemoryConverter&) = delete;
    MemoryConverter& operator=(const MemoryConverter&) = delete;

private:
    ConverterModel model_;
    ConverterFaults faults_;
    QStringList events_;

public:
    // The lines of the active memory, read-only: memory[line] for line 0 .. 255.
    class Lines {
    public:
        explicit Lines(const ConverterModel& model)
            : model_(model) {}
        const QByteArray& operator[](std::size_t line) const {
            return model_.memoryLine(model_.activeMemory(), int(line));
        }

    private:
        const ConverterModel& model_;
    };

    std::uint8_t& identifyAnswer = model_.identifyAnswer;
    bool& silent = faults_.silent;
    bool& ackBeginTransfer = faults_.ackBeginTransfer;
    int& noLineFollowsAckFrom = faults_.noLineFollowsAckFrom; // 0 = the header line
    int& noLineAckFrom = faults_.noLineAckFrom;
    std::set<int>& droppedFetchLines = faults_.droppedFetchLines; // fetch lines 1..256
    std::map<int, int>& cutFetchLines = faults_.cutFetchLines;    // line -> bytes sent
    int& silentFromFetchLine = faults_.silentFromFetchLine;
    int& garbageBeforeAnswers = faults_.garbageBeforeAnswers;
    int& closeAfterLines = faults_.closeAfterLines; // then every write fails

    // Both memories start cleared (all bytes 0).
    const Lines memory{model_};
    // Encodes the picture into the active memory.
    void fill(const QImage& picture);
    int uploadedLines() const { return model_.uploadedLines(); }
    // Every event of the bytes the link wrote: "identify", "transmit Martin 1", ...
    const QStringList& events() const { return events_; }
    ConverterModel& model() { return model_; }
};

} // namespace winorbis::test
