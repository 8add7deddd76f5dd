// SPDX-License-Identifier: GPL-3.0-or-later
#include "AirTime.h"

#include "LinkTexts.h"

#include "platform/Clock.h"

#include <algorithm>

namespace winorbis {

AirTime::AirTime(Clock& clock, AirTimeView& view)
    : clock_(clock)
    , view_(view)
    , timer_(clock.createTimer([this] { tick(); })) {}

AirTime::~AirTime() = default;

bool AirTime::running() const {
    return timer_->isActive();
}

void AirTime::startReception(int totalMs) {
    start(totalMs, false);
}

void AirTime::startTransmission(int totalMs) {
    start(totalMs, true);
}

void AirTime::start(int totalMs, bool transmission) {
    startMs_ = clock_.nowMs();
    totalMs_ = std::max(totalMs, 100);
    transmission_ = transmission;
    view_.showAirTime(0, totalMs_ / 100);
    timer_->start(kTickMs);
}

void AirTime::stop() {
    if (!timer_->isActive())
        return;
    timer_->stop();
    view_.showAirTime(0, totalMs_ / 100);
}

void AirTime::tick() {
    const std::int64_t elapsed = std::min<std::int64_t>(clock_.nowMs() - startMs_, totalMs_);
    view_.showAirTime(int(elapsed / 100), totalMs_ / 100);
    if (elapsed < totalMs_)
        return;
    if (transmission_) {
        timer_->stop();
        view_.showStatus(linktext::kTransmissionEnded);
    }
    // A reception's bar stays full until its fetch begins.
}

} // namespace winorbis
