// SPDX-License-Identifier: GPL-3.0-or-later
#include "TransmitCommands.h"

#include "CommandGate.h"
#include "ConverterLink.h"
#include "LinkTexts.h"
#include "PictureTransfer.h"
#include "TRecThread.h"

#include "platform/Clock.h"

namespace winorbis {

using namespace linktext;

bool TransmitCommands::refusedWhileLost() {
    if (!link_.refuseWhileLost(true))
        return false;
    host_.setStatusText(link_.lostText());
    return true;
}

void TransmitCommands::send(std::uint8_t byte) {
    link_.SendCommandByte(byte);
}

bool TransmitCommands::digitizeTwice() {
    send(command::kDigitize);
    if (!clock_.waitPainting(kDigitizePauseMs))
        return false;
    host_.removeFrames();
    send(command::kDigitize);
    return true;
}

void TransmitCommands::transmit(ModeId id, bool picTx, bool acqTx) {
    if (gate_.busy() || refusedWhileLost())
        return;
    CommandGate::Operation operation(gate_);
    host_.removeFrames();
    if (picTx) {
        host_.beforeUpload();
        host_.setStatusText(kUploadStatus);
        {
            const MonitorHold hold = host_.holdMonitor();
            // A failed upload does not stop the sending.
            transfer_.UploadPicture(host_.txPicture(), hold);
        }
        if (clock_.ending())
            return; // the program ends: nothing more goes to the converter
    }
    if (acqTx) {
        host_.removeFrames();
        if (!digitizeTwice())
            return;
        host_.setStatusText(kDigitizeStatus);
        if (!clock_.waitPainting(kDigitizeSettleMs))
            return;
    }
    host_.removeFrames();
    const Mode& m = mode(id);
    host_.setStatusText(m.transmitText);
    send(m.txByte);
    host_.transmissionStarted(m.receiveWaitMs);
}

void TransmitCommands::digitize() {
    if (gate_.busy() || refusedWhileLost())
        return;
    host_.removeFrames();
    host_.setStatusText(kDigitizeStatus);
    send(command::kDigitize);
}

void TransmitCommands::selfTimer2s() {
    if (gate_.busy() || refusedWhileLost())
        return;
    CommandGate::Operation operation(gate_);
    host_.removeFrames();
    host_.setStatusText(kSelfTimer2Status);
    (void)digitizeTwice();
}

void TransmitCommands::selfTimer10s() {
    if (gate_.busy() || refusedWhileLost())
        return;
    CommandGate::Operation operation(gate_);
    host_.removeFrames();
    for (int n = 1; n <= kSelfTimerSeconds; ++n) {
        host_.setStatusText(QStringLiteral("Self - timer %1s").arg(n));
        if (!clock_.waitPainting(1000))
            return; // the program ends: no digitize, no sound
    }
    if (digitizeTwice())
        host_.playConfirmation();
}

void TransmitCommands::memory(int number) {
    if (gate_.busy() || refusedWhileLost())
        return;
    host_.removeFrames();
    host_.setStatusText(number == 1 ? kMemory1Status : kMemory2Status);
    send(number == 1 ? command::kMemory1 : command::kMemory2);
}

void TransmitCommands::freeRun(ModeId id) {
    if (gate_.busy() || refusedWhileLost())
        return;
    host_.removeFrames();
    const Mode& m = mode(id);
    host_.setStatusText(m.freeRunText);
    send(m.freeRunByte);
}

} // namespace winorbis
