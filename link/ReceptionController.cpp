// SPDX-License-Identifier: GPL-3.0-or-later
#include "ReceptionController.h"

#include "CommandGate.h"
#include "LinkTexts.h"
#include "converter/Modes.h"

#include "converter/Converter.h"

#include "platform/Clock.h"
#include "platform/ConsoleNotes.h"

namespace winorbis {

ReceptionController::ReceptionController(CommandGate& gate, Clock& clock, ReceptionView& view)
    : view_(view)
    , gate_(gate)
    , timer2_(gate.gatedTimer(clock, [this] { Timer2Timer(); })) {}

ReceptionController::~ReceptionController() {
    stop();
}

void ReceptionController::stop() {
    timer2_->stop();
}

void ReceptionController::Timer2Timer() {
    timer2_->stop();
    view_.receptionTimeEnded();
    view_.setRxStopFace(linktext::kLoadingText, std::nullopt);
    if (converter_)
        converter_->endReception();
    if (view_.savesAutomatically())
        view_.fetchReceivedPicture();
}

void ReceptionController::receptionEnded() {
    if (timer2_->isActive())
        Timer2Timer();
}

bool ReceptionController::receiveTimerRunning() const {
    return timer2_->isActive();
}

void ReceptionController::switchRepeater(bool on) {
    repeaterOn_ = on;
    view_.showRepeaterSwitch(on);
}

void ReceptionController::selectRepeaterItem(int item) {
    if (item < 0 || item >= int(boxModeRows().size()))
        return;
    repeaterItem_ = item;
    view_.showRepeaterItem(item);
}

void ReceptionController::announce(std::uint8_t status) {
    view_.selectTxModeItem(status);
}

void ReceptionController::startReceiveTimer(int intervalMs) {
    timer2_->start(intervalMs);
    view_.receptionTimeStarted(intervalMs);
}

void ReceptionController::stopReceiveTimer() {
    // Stopped before its time (the receive stop): the progress ends too.
    if (timer2_->isActive())
        view_.receptionTimeEnded();
    timer2_->stop();
}

void ReceptionController::setStatusText(const QString& text) {
    view_.setStatusText(text);
}

void ReceptionController::setLoadButtonEnabled(bool enabled) {
    view_.setLoadButtonEnabled(enabled);
}

void ReceptionController::setRxStopColour(std::uint32_t colour) {
    view_.setRxStopFace(linktext::kRxStopText, colour);
}

int ReceptionController::repeaterItemToSend() {
    return repeaterOn_ ? repeaterItem_ : -1;
}

void ReceptionController::removeFrames() {
    view_.removeFrames();
}

void ReceptionController::connectionLost(const QString& device) {
    const QString text =
        (reconnecting_ ? linktext::kConnectionLost : linktext::kConnectionLostForGood).arg(device);
    view_.setStatusText(text);
    view_.showConverterPresence(linktext::ConverterPresence::Lost);
    ConsoleNotes::write(text);
}

void ReceptionController::connectionRestored() {
    view_.setStatusText(linktext::kConnectedAgain);
    view_.showConverterPresence(linktext::ConverterPresence::Connected);
    ConsoleNotes::write(linktext::kConnectedAgain);
}

} // namespace winorbis
