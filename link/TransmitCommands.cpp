// SPDX-License-Identifier: GPL-3.0-or-later
#include "TransmitCommands.h"

#include "CommandGate.h"
#include "ConverterLink.h"
#include "LinkTexts.h"
#include "PictureTransfer.h"

#include "platform/Clock.h"

namespace winorbis {

using namespace linktext;

void TransmitCommands::send(std::uint8_t byte) {
    link_.SendCommandByte(byte);
}

void TransmitCommands::digitizeTwice() {
    send(command::kDigitize);
    clock_.waitPainting(kDigitizePauseMs);
    host_.removeFrames();
    send(command::kDigitize);
}

void TransmitCommands::transmit(ModeId id, bool picTx, bool acqTx) {
    if (gate_.busy())
        return;
    CommandGate::Operation operation(gate_);
    host_.removeFrames();
    if (picTx) {
        host_.setStatusText(kUploadStatus);
        host_.holdMonitor();
        transfer_.UploadPicture(host_.txPicture()); // a failed upload does not stop the sending
        host_.releaseMonitor();
    }
    if (acqTx) {
        host_.removeFrames();
        digitizeTwice();
        host_.setStatusText(kDigitizeStatus);
        clock_.waitPainting(kDigitizeSettleMs);
    }
    host_.removeFrames();
    const Mode& m = mode(id);
    host_.setStatusText(m.transmitText);
    send(m.txByte);
}

void TransmitCommands::digitize() {
    if (gate_.busy())
        return;
    host_.removeFrames();
    host_.setStatusText(kDigitizeStatus);
    send(command::kDigitize);
}

void TransmitCommands::selfTimer2s() {
    if (gate_.busy())
        return;
    CommandGate::Operation operation(gate_);
    host_.removeFrames();
    host_.setStatusText(kSelfTimer2Status);
    digitizeTwice();
}

void TransmitCommands::selfTimer10s() {
    if (gate_.busy())
        return;
    CommandGate::Operation operation(gate_);
    host_.removeFrames();
    for (int n = 1; n <= kSelfTimerSeconds; ++n) {
        host_.setStatusText(QStringLiteral("Self - timer %1s").arg(n));
        clock_.waitPainting(1000);
    }
    digitizeTwice();
    host_.playConfirmation();
}

void TransmitCommands::memory(int number) {
    if (gate_.busy())
        return;
    host_.removeFrames();
    host_.setStatusText(number == 1 ? kMemory1Status : kMemory2Status);
    send(number == 1 ? command::kMemory1 : command::kMemory2);
}

void TransmitCommands::freeRun(ModeId id) {
    if (gate_.busy())
        return;
    host_.removeFrames();
    const Mode& m = mode(id);
    host_.setStatusText(m.freeRunText);
    send(m.freeRunByte);
}

} // namespace winorbis
