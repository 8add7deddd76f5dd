// SPDX-License-Identifier: GPL-3.0-or-later
#include "StationWeb.h"

#include "stationcore/Beacons.h"
#include "stationcore/Station.h"
#include "workspace/WorkingPictures.h"

namespace winorbis {

namespace {

const QString kBusy = QStringLiteral("Refused: another converter command runs");
const QString kReceiving = QStringLiteral("Refused: a reception is under way");
const QString kNoBeacon = QStringLiteral("Refused: no catalog beacon runs on this station");

} // namespace

StationWeb::StationWeb(Station& station, CatalogBeacon* beacon, QObject* parent)
    : WebStation(parent)
    , station_(station)
    , beacon_(beacon) {
    connect(&station, &Station::statusText, this, [this](const QString& text) {
        status_ = text;
        emit status(text);
    });
    connect(&station, &Station::announced, this,
            [this](std::uint8_t, std::optional<ModeId>, const QString& name, int airMs) {
                receptionMode_ = name;
                receptionMs_ = airMs;
                receptionClock_.start();
                rxRows_ = 0;
                emit announced(receptionMode_, airMs);
            });
    connect(&station, &Station::airTimeEnded, this, [this] { receptionMode_.clear(); });
    connect(&station, &Station::fetchStarted, this, [this](bool) { rxRows_ = 0; });
    connect(&station, &Station::lineArrived, this, [this](int row) {
        rxRows_ = row + 1;
        emit line(row, station_.pictures().rx);
    });
    connect(&station, &Station::stored, this, [this](const StoredPicture& picture) {
        WebStoredPicture entry;
        entry.when = picture.when.toUTC();
        entry.mode = picture.mode;
        entry.callsign = picture.callsign;
        for (const QString& file : {picture.slotFile, picture.jpegFile})
            if (!file.isEmpty())
                entry.files << file;
        emit stored(entry);
    });
    connect(
        &station, &Station::presenceChanged, this, [this](linktext::ConverterPresence presence) {
            presence_ = presence == linktext::ConverterPresence::Lost ? WebPresence::Reconnecting
                                                                      : WebPresence::Connected;
            emit this->presence(station_.capabilities().kind, presence_);
        });
    connect(&station, &Station::txPictureChanged, this,
            [this] { emit txPicture(station_.pictures().tx); });
    connect(&station, &Station::repeaterSwitchShown, this,
            [this](bool on) { emit repeaterChanged(on); });
    connect(&station, &Station::waterfall, this, &WebStation::waterfall);
}

WebSnapshot StationWeb::snapshot() const {
    WebSnapshot state;
    state.converterKind = station_.capabilities().kind;
    state.presence = presence_;
    state.status = status_;
    state.txPicture = station_.pictures().tx;
    if (!receptionMode_.isEmpty() && station_.receptionRunning()) {
        WebReception reception;
        reception.mode = receptionMode_;
        reception.airMs = receptionMs_;
        reception.leftMs = std::max<int>(0, receptionMs_ - int(receptionClock_.elapsed()));
        state.reception = reception;
    }
    state.rxPicture = station_.pictures().rx;
    state.rxRows = rxRows_ > 0 ? rxRows_ : state.rxPicture.height();
    for (const ModeId id : station_.capabilities().modes)
        state.modes.append({mode(id).shortName, mode(id).name});
    state.beacon = beaconOn_;
    state.repeater = station_.repeaterOn();
    state.programFolder = station_.folder().folder();
    return state;
}

WebOutcome StationWeb::refusal() const {
    if (station_.busy())
        return WebOutcome::refused(kBusy);
    if (station_.converterLost())
        return WebOutcome::refused(station_.lostText());
    return WebOutcome::refused(kBusy);
}

WebOutcome StationWeb::setTxPicture(const QImage& picture) {
    if (station_.busy())
        return WebOutcome::refused(kBusy);
    station_.loadTxPicture(picture);
    return WebOutcome::ok(QStringLiteral("The transmit picture is set"));
}

WebOutcome StationWeb::setTxPictureFromCatalog(int page, int position) {
    if (station_.busy())
        return WebOutcome::refused(kBusy);
    const QString file = CatalogBeacon::positionFile(station_.folder(), page, position);
    if (file.isEmpty())
        return WebOutcome::refused(
            QStringLiteral("Catalog position %1:%2 is empty").arg(page).arg(position));
    QString why;
    if (!station_.loadIntoTx(file, &why))
        return WebOutcome::refused(why.isEmpty() ? QStringLiteral("%1 cannot be loaded").arg(file)
                                                 : why);
    return WebOutcome::ok(
        QStringLiteral("The transmit picture is catalog position %1:%2").arg(page).arg(position));
}

WebOutcome StationWeb::send(const QString& modeShortName) {
    const auto id = modeByName(modeShortName);
    const auto& modes = station_.capabilities().modes;
    if (!id || std::find(modes.begin(), modes.end(), *id) == modes.end())
        return WebOutcome::refused(
            QStringLiteral("The converter offers no mode %1").arg(modeShortName));
    if (station_.receptionRunning())
        return WebOutcome::refused(kReceiving);
    // The transmit picture goes into the converter first, then out in the mode.
    if (!station_.transmit(*id, true, false))
        return refusal();
    return WebOutcome::ok(QStringLiteral("Sending %1").arg(mode(*id).name));
}

WebOutcome StationWeb::rxStop() {
    if (!station_.receiveStop())
        return refusal();
    return WebOutcome::ok(QStringLiteral("Receive stopped"));
}

WebOutcome StationWeb::setBeacon(bool on) {
    if (!beacon_)
        return WebOutcome::refused(kNoBeacon);
    if (on)
        beacon_->start();
    else
        beacon_->switchOff();
    beaconOn_ = on;
    emit beaconChanged(on);
    return WebOutcome::ok(on ? QStringLiteral("Beacon on") : QStringLiteral("Beacon off"));
}

WebOutcome StationWeb::setRepeater(bool on) {
    station_.switchRepeater(on);
    return WebOutcome::ok(on ? QStringLiteral("Repeater on") : QStringLiteral("Repeater off"));
}

} // namespace winorbis
