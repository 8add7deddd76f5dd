// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "converter/ConverterLine.h"

#include <QImage>

#include <cstdint>

namespace winorbis {

// A stand-in for the Orbis 70p on a pseudo-terminal (or a serial device wired to the program's
// port): the converter served on its line (ConverterLine), with receptions and faults scripted by
// a test or an operator from any thread. The faults are the line's fault layer
// (ConverterFaults); every step goes to the log handler.
class ConverterSimulator : public ConverterLine {
public:
    using ConverterLine::ConverterLine;

    // Faults and answers.
    void setIdentifyAnswer(std::uint8_t byte);
    void setSilent(bool silent);
    bool isSilent() const;
    // The fetch line L (1..256) of the next fetches is not sent.
    void dropFetchLine(int line);
    // Only the first count bytes of fetch line L (1..256) are sent; the converter stays there.
    void cutFetchLine(int line, int count);
    // Sends count bytes that mean nothing before each acknowledge and each answer.
    void setGarbageBeforeAnswers(int count);
    // Closes the line after count lines of a transfer (upload or fetch); 0 never.
    void closeAfterLines(int count);

    // A reception off the air: the picture (scaled into 420 x 256) lands in the active memory,
    // then the converter sends the status byte.
    void receive(std::uint8_t statusByte, const QImage& picture);
    // Sends a status byte alone (68 and 72 carry no mode).
    void sendStatus(std::uint8_t statusByte);

    // The picture the camera input shows; each digitise moves its marker.
    static QImage cameraPicture(int frameNumber) {
        return ConverterModel::cameraPicture(frameNumber);
    }
};

} // namespace winorbis
