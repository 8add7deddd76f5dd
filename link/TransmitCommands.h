// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "ModeTable.h"
#include "TRecThread.h"

#include <QString>

class QImage;

namespace winorbis {

class Clock;
class CommandGate;
class ConverterLink;
class PictureTransfer;

// What the transmit, capture and memory commands need from the main window.
class CommandHost {
public:
    virtual ~CommandHost() = default;
    // Erases a pending caption frame and picture-in-picture frame.
    virtual void removeFrames() = 0;
    virtual void setStatusText(const QString& text) = 0;
    // Keeps the receive monitor off the port while the returned hold lives.
    virtual MonitorHold holdMonitor() = 0;
    virtual const QImage& txPicture() const = 0;
    // Runs before the TX picture goes into the converter (the automatic callsign insert).
    virtual void beforeUpload() {}
    // Plays the confirmation sound "\ok.wav" of the program folder.
    virtual void playConfirmation() = 0;
    // The mode's transmit byte has gone out: the transmission takes totalMs.
    virtual void transmissionStarted(int totalMs) { (void)totalMs; }
};

// The operator's one-byte converter commands: transmit in a mode (after uploading the TX picture
// or digitizing the camera when asked), digitize at once or by self-timer, switch memories, start
// free-run reception. Every command first removes pending frames; the bytes are written without
// awaiting an answer while the receive monitor keeps reading, and only the upload holds it. The
// waits keep the window painting and let no other converter command start; a wait cut short by
// the program's end ends the command without another byte. While the converter is lost every
// command ends at once with the lost message.
class TransmitCommands {
public:
    static constexpr int kDigitizePauseMs = 200;
    static constexpr int kDigitizeSettleMs = 14000;
    static constexpr int kSelfTimerSeconds = 10;

    TransmitCommands(ConverterLink& link, PictureTransfer& transfer, CommandGate& gate,
                     Clock& clock, CommandHost& host)
        : link_(link)
        , transfer_(transfer)
        , gate_(gate)
        , clock_(clock)
        , host_(host) {}

    // The transmit sequence: with picTx the TX picture is uploaded first, with acqTx the camera
    // is digitized (36, 36 200 ms apart, then 14 s), then the mode's TX byte.
    void transmit(ModeId mode, bool picTx, bool acqTx);
    void digitize();
    void selfTimer2s();
    void selfTimer10s();
    // Memory 1 or 2.
    void memory(int number);
    void freeRun(ModeId mode);

private:
    // The two digitize bytes 200 ms apart, frames removed between them; false when the program's
    // end cut the pause short and the second byte was not sent.
    [[nodiscard]] bool digitizeTwice();
    void send(std::uint8_t byte);
    // While the converter is lost the command ends at once with the lost message.
    [[nodiscard]] bool refusedWhileLost();

    ConverterLink& link_;
    PictureTransfer& transfer_;
    CommandGate& gate_;
    Clock& clock_;
    CommandHost& host_;
};

} // namespace winorbis
