// SPDX-License-Identifier: GPL-3.0-or-later
#include "ConverterSimulator.h"

#include <algorithm>

namespace winorbis {

void ConverterSimulator::setIdentifyAnswer(std::uint8_t byte) {
    withModel([byte](ConverterModel& model) {
        model.identifyAnswer = byte;
        return ConverterModel::Output{};
    });
}

void ConverterSimulator::setSilent(bool silent) {
    withFaults([silent](ConverterFaults& faults) { faults.silent = silent; });
}

bool ConverterSimulator::isSilent() const {
    return faults().silent;
}

void ConverterSimulator::dropFetchLine(int line) {
    withFaults([line](ConverterFaults& faults) { faults.droppedFetchLines.insert(line); });
}

void ConverterSimulator::cutFetchLine(int line, int count) {
    withFaults([line, count](ConverterFaults& faults) { faults.cutFetchLines[line] = count; });
}

void ConverterSimulator::setGarbageBeforeAnswers(int count) {
    withFaults(
        [count](ConverterFaults& faults) { faults.garbageBeforeAnswers = std::max(count, 0); });
}

void ConverterSimulator::closeAfterLines(int count) {
    withFaults([count](ConverterFaults& faults) { faults.closeAfterLines = std::max(count, 0); });
}

void ConverterSimulator::receive(std::uint8_t statusByte, const QImage& picture) {
    withModel([&](ConverterModel& model) { return model.receive(statusByte, picture); });
}

void ConverterSimulator::sendStatus(std::uint8_t statusByte) {
    withModel([statusByte](ConverterModel& model) { return model.sendStatus(statusByte); });
}

} // namespace winorbis
