// SPDX-License-Identifier: GPL-3.0-or-later
#include "Station.h"

#include "link/ModeTable.h"
#include "platform/Dialogs.h"

#include <optional>

namespace winorbis {

Station::Station(Dialogs& dialogs, Clock& clock, ReceptionView& face)
    : dialogs_(dialogs)
    , clock_(clock)
    , face_(face)
    , link_(clock, failureBoxes(dialogs))
    , transfer_(link_, clock)
    , reception_(link_, gate_, clock, static_cast<ReceptionView&>(*this)) {}

Station::~Station() {
    gate_.shut();
    reception_.stop();
}

void Station::selectTxModeItem(std::uint8_t status) {
    if (const auto id = modeByStatus(status))
        announcedMode_ = mode(*id).displayName;
    face_.selectTxModeItem(status);
}

Station::FetchResult Station::fetchReceived(QImage& picture, bool byOperator, FetchSteps& steps) {
    FetchResult result;
    if (gate_.busy())
        return result;
    if (link_.refuseWhileLost(byOperator)) {
        result.failure = link_.lostText();
        return result;
    }
    result.ran = true;
    CommandGate::Operation operation(gate_);
    steps.starting();
    std::optional<UnattendedScope> noBoxes;
    if (!byOperator)
        noBoxes.emplace(dialogs_);
    link_.clearFailure();
    QStringList storeErrors;
    {
        const MonitorHold held = hold();
        result.complete =
            transfer_.FetchPicture(picture, held, [&steps](int row) { steps.line(row); });
        // What has arrived is stored also when the fetch stopped early.
        storeErrors = steps.store(picture, std::exchange(announcedMode_, QString()));
    }
    for (const QString& error : storeErrors)
        dialogs_.error(error);
    result.failure = link_.lastFailure();
    if (!storeErrors.isEmpty()) {
        if (result.failure.isEmpty())
            result.failure = storeErrors.front();
        result.complete = false;
    }
    return result;
}

} // namespace winorbis
