// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "WebStation.h"

#include <QElapsedTimer>

namespace winorbis {

class CatalogBeacon;
class Station;

// The station as the web face sees it: the station's events turned into the face's, and the
// browser's commands given to the station, through its guard like every other face's. The catalog
// beacon is the window's or the command's that runs it; without one the page's beacon switch is
// refused.
class StationWeb final : public WebStation {
    Q_OBJECT
public:
    StationWeb(Station& station, CatalogBeacon* beacon, QObject* parent = nullptr);

    WebSnapshot snapshot() const override;
    WebOutcome setTxPicture(const QImage& picture) override;
    WebOutcome setTxPictureFromCatalog(int page, int position) override;
    WebOutcome send(const QString& modeShortName) override;
    WebOutcome rxStop() override;
    WebOutcome setBeacon(bool on) override;
    WebOutcome setRepeater(bool on) override;

private:
    // Why a command was refused, as the station stands now.
    WebOutcome refusal() const;

    Station& station_;
    CatalogBeacon* beacon_;
    QString status_;
    WebPresence presence_ = WebPresence::Connected;
    // The reception under way: its mode, its time, since when.
    QString receptionMode_;
    int receptionMs_ = 0;
    QElapsedTimer receptionClock_;
    int rxRows_ = 0;
    bool beaconOn_ = false;
};

} // namespace winorbis
