// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "ConverterRadio.h"

#include <QByteArray>
#include <QImage>
#include <QString>
#include <QStringList>

#include <array>
#include <cstdint>
#include <map>
#include <set>
#include <vector>

namespace winorbis {

// The Orbis 70p as a machine of bytes, without a line, a thread or a clock: it is fed every byte
// the PC writes and gives back the bytes the converter answers. It holds the two picture memories
// (256 lines of 840 bytes), the identify answer, the faults that are switched on and the list of
// commands it understood. What the commands do on the air goes to its radio (ConverterRadio): the
// simulated one, or a sound card behind the modem. The simulator on a pseudo-terminal and the
// in-memory converter of the virtual-time tests both drive it, so both speak exactly the same
// bytes. Not thread-safe: its driver serialises the calls.
class ConverterModel {
public:
    // How the converter answers. Every field may change between two bytes.
    struct Behaviour {
        std::uint8_t identifyAnswer = 76;
        // Answers nothing at all (uploaded lines are still stored).
        bool silent = false;
        // Acknowledges the begin-transfer command 1.
        bool ackBeginTransfer = true;
        // No acknowledge to 8 from this upload line on (0 = the header line); -1 never.
        int noLineFollowsAckFrom = -1;
        // No line acknowledge from this upload line on; -1 never.
        int noLineAckFrom = -1;
        // Fetch lines (1 .. 256) that are never sent.
        std::set<int> droppedFetchLines;
        // Fetch lines (1 .. 256) of which only the first bytes are sent; the converter stays
        // there and answers the next command.
        std::map<int, int> cutFetchLines;
        // From this fetch line (1 .. 256) on the converter falls silent (silent becomes true);
        // -1 never.
        int silentFromFetchLine = -1;
        // Bytes that mean nothing, sent before each acknowledge and each answer.
        int garbageBeforeAnswers = 0;
        // The line closes after this many lines of a transfer (upload or fetch); 0 never.
        int closeAfterLines = 0;
    };

    // What the converter does in answer to one byte or one event off the air.
    struct Output {
        QByteArray bytes;       // to send to the PC, in order
        bool closeLine = false; // the line goes down once the bytes are out
        QStringList log;        // what happened, one line each (the events and remarks)
    };

    // Both memories hold the camera picture at first. The radio is the simulated one.
    ConverterModel();
    // Puts the commands on another radio, which must outlive the model; nullptr: the simulated
    // one again.
    void setRadio(ConverterRadio* radio) { externalRadio_ = radio; }

    Behaviour behaviour;

    // One byte from the PC.
    Output feed(std::uint8_t byte);
    // True while the bytes of an uploaded line are expected.
    bool awaitingLineData() const { return expectingData_ > 0; }
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

    // Every byte the PC wrote, in order.
    const QByteArray& received() const { return received_; }
    // One line per command understood: "identify", "transmit Martin 2", "free run M1", ...
    const QStringList& events() const { return events_; }
    // Uploaded lines stored since the start.
    int uploadedLines() const { return uploaded_; }

    // The picture the camera input shows; each digitise moves its marker.
    static QImage cameraPicture(int frameNumber) {
        return SimulatedRadio::cameraPicture(frameNumber);
    }

private:
    void event(Output& out, const QString& text);
    void answer(Output& out, const QByteArray& bytes) const;
    void countTransferLine(Output& out);
    void lineData(Output& out, std::uint8_t byte);
    void fetchLine(Output& out);

    std::array<std::vector<QByteArray>, 2> memory_;
    int active_ = 0;
    int transferLine_ = 0;
    int transferredLines_ = 0;
    int uploaded_ = 0;
    int expectingData_ = 0;
    QByteArray lineBuffer_;
    ConverterRadio& radio() {
        return externalRadio_ ? *externalRadio_ : static_cast<ConverterRadio&>(simulatedRadio_);
    }

    SimulatedRadio simulatedRadio_;
    ConverterRadio* externalRadio_ = nullptr;
    QByteArray received_;
    QStringList events_;
};

} // namespace winorbis
