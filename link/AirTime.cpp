// SPDX-License-Identifier: GPL-3.0-or-later
#include "AirTime.h"

#include "LinkTexts.h"

#include "platform/Clock.h"

#include <algorithm>

namespace winorbis {

AirTime::AirTime(Clock& clock, Host host)
    : clock_(clock)
    , host_(std::move(host))
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
    if (host_.progress)
        host_.progress(0, totalMs_ / 100);
    timer_->start(kTickMs);
}

void AirTime::stop() {
    if (!timer_->isActive())
        return;
    timer_->stop();
    if (host_.progress)
        host_.progress(0, totalMs_ / 100);
}

void AirTime::tick() {
    const std::int64_t elapsed = std::min<std::int64_t>(clock_.nowMs() - startMs_, totalMs_);
    if (host_.progress)
        host_.progress(int(elapsed / 100), totalMs_ / 100);
    if (elapsed < totalMs_)
        return;
    if (transmission_) {
        timer_->stop();
        if (host_.status)
            host_.status(linktext::kTransmissionEnded);
    }
    // A reception's bar stays full until its fetch begins.
}

} // namespace winorbis
