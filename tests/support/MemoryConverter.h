// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "support/MemoryPort.h"
#include "tools/simulator/ConverterModel.h"

#include <QByteArray>
#include <QImage>

#include <map>
#include <set>

namespace winorbis::test {

// The converter model behind a MemoryPort, for exchanges on virtual time: every byte the link
// writes goes to the model, and what the model answers arrives at the port at once. A test
// switches faults on through the fields below, which are the model's own.
class MemoryConverter {
public:
    explicit MemoryConverter(MemoryPort& port);
    MemoryConverter(const MemoryConverter&) = delete;
    MemoryConverter& operator=(const MemoryConverter&) = delete;

private:
    ConverterModel model_;

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

    std::uint8_t& identifyAnswer = model_.behaviour.identifyAnswer;
    bool& silent = model_.behaviour.silent;
    bool& ackBeginTransfer = model_.behaviour.ackBeginTransfer;
    int& noLineFollowsAckFrom = model_.behaviour.noLineFollowsAckFrom; // 0 = the header line
    int& noLineAckFrom = model_.behaviour.noLineAckFrom;
    std::set<int>& droppedFetchLines = model_.behaviour.droppedFetchLines; // fetch lines 1..256
    std::map<int, int>& cutFetchLines = model_.behaviour.cutFetchLines;    // line -> bytes sent
    int& silentFromFetchLine = model_.behaviour.silentFromFetchLine;
    int& garbageBeforeAnswers = model_.behaviour.garbageBeforeAnswers;
    int& closeAfterLines = model_.behaviour.closeAfterLines; // then every write fails

    // Both memories start cleared (all bytes 0).
    const Lines memory{model_};
    // Encodes the picture into the active memory.
    void fill(const QImage& picture);
    int uploadedLines() const { return model_.uploadedLines(); }
    ConverterModel& model() { return model_; }
};

} // namespace winorbis::test
