// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "ConverterRadio.h"

#include <QByteArray>
#include <QImage>
#include <QString>
#include <QStringList>

#include <array>
#include <cstdint>
#include <vector>

namespace winorbis {

// The Orbis 70p as a machine of bytes, without a line, a thread or a clock: it is fed every byte
// the PC writes and gives back the bytes the converter answers. It holds the two picture memories
// (256 lines of 840 bytes), the identify answer and the position in a transfer. What the commands
// do on the air goes to its radio (ConverterRadio): the simulated one, or a sound card behind the
// modem. It answers as the box does and nothing else: the faults of a simulated converter are a
// layer around it (ConverterFaults), and what it was told is kept by its driver
// (ConverterRecord). The served line (ConverterLine) and the in-memory converter of the
// virtual-time tests both drive it, so both speak exactly the same bytes. Not thread-safe: its
// driver serialises the calls.
class ConverterModel {
public:
    // What the converter does in answer to one byte or one event off the air.
    struct Output {
        QByteArray bytes;       // to send to the PC, in order
        bool closeLine = false; // the line goes down once the bytes are out (only a fault does)
        QStringList log;        // what happened, one line each (the events and remarks)
        QStringList events;     // the events among them: commands understood, transfer lines
    };

    // Both memories hold the camera picture at first. The radio is the simulated one.
    ConverterModel();
    // Puts the commands on another radio, which must outlive the model; nullptr: the simulated
    // one again.
    void setRadio(ConverterRadio* radio) { externalRadio_ = radio; }

    // The first byte of the converter's answer to identify.
    std::uint8_t identifyAnswer = 76;

    // One byte from the PC.
    Output feed(std::uint8_t byte);
    // True while the bytes of an uploaded line are expected.
    bool awaitingLineData() const { return expectingData_ > 0; }
    // The line of the transfer that the next line block is stored into or fetched from: 0 for
    // the first (an upload's header line; the PC counts fetch lines from 1, so line + 1 there).
    int transferLine() const { return transferLine_; }
    // The PC stopped in the middle of a line: its bytes so far are dropped, bytes are commands
    // again.
    Output giveUpLine();

    // A reception off the air: the picture (scaled into 420 x 256) lands in the active memory and
    // the converter sends the status byte.
    Output receive(std::uint8_t statusByte, const QImage& picture);
    // A status byte alone (68 and 72 carry no mode).
    Output sendStatus(std::uint8_t statusByte);

    // The memories, 1 and 2.
    int activeMemory() const { return active_ + 1; }
    // Line 0 .. 255 of a memory; an empty array for any other.
    const QByteArray& memoryLine(int memory, int line) const;
    void setMemoryLine(int memory, int line, const QByteArray& bytes);
    void storePicture(int memory, const QImage& picture);
    QImage memoryPicture(int memory) const;

    // Uploaded lines stored since the start.
    int uploadedLines() const { return uploaded_; }

    // The picture the camera input shows; each digitise moves its marker.
    static QImage cameraPicture(int frameNumber) {
        return SimulatedRadio::cameraPicture(frameNumber);
    }
    // A byte as the log names it: "16 (0x10)".
    static QString describe(std::uint8_t byte);

private:
    static void event(Output& out, const QString& text);
    void lineData(Output& out, std::uint8_t byte);
    void fetchLine(Output& out);

    // A picture as the 256 lines of bytes a memory holds.
    static std::vector<QByteArray> encodedFrame(const QImage& picture);
    // The lines of memory 0 or 1.
    std::vector<QByteArray>& lines(std::size_t index) const;

    mutable std::array<std::vector<QByteArray>, 2> memory_;
    int active_ = 0;
    int transferLine_ = 0;
    int uploaded_ = 0;
    int expectingData_ = 0;
    QByteArray lineBuffer_;
    ConverterRadio& radio() {
        return externalRadio_ ? *externalRadio_ : static_cast<ConverterRadio&>(simulatedRadio_);
    }

    SimulatedRadio simulatedRadio_;
    ConverterRadio* externalRadio_ = nullptr;
};

} // namespace winorbis
