// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "catalog/CatalogStore.h"
#include "platform/ProgramFolder.h"
#include "web/WebStation.h"
#include "workspace/ReceptionLog.h"

#include <QDir>

namespace winorbis {

// A station in memory for the web face's tests, its test server and its benchmark: commands are
// recorded and act on the snapshot; a script announces receptions, delivers their lines and stores
// the picture as the real station does (a JPEG in "AutoSpeichern" and a line of its
// "received.log").
class FakeWebStation final : public WebStation {
public:
    explicit FakeWebStation(const QString& folder)
        : folder_(folder) {
        QDir(folder).mkpath(QStringLiteral("AutoSpeichern"));
        state_.converterKind = QStringLiteral("simulated");
        state_.status = QStringLiteral("Ready for Receive");
        state_.txPicture = QImage(320, 256, QImage::Format_RGB32);
        state_.txPicture.fill(QColor(40, 80, 160));
        state_.programFolder = folder;
        state_.modes = {{"R36", "Robot 36"}, {"R72", "Robot 72"}, {"M1", "Martin 1"},
                        {"M2", "Martin 2"},  {"S1", "Scottie 1"}, {"S2", "Scottie 2"}};
    }

    // The commands given, one line each ("send M1", "beacon on").
    QStringList calls;

    WebSnapshot snapshot() const override { return state_; }

    WebOutcome setTxPicture(const QImage& picture) override {
        calls << QStringLiteral("tx %1x%2").arg(picture.width()).arg(picture.height());
        if (const auto refusal = refused())
            return *refusal;
        state_.txPicture = picture.convertToFormat(QImage::Format_RGB32);
        emit txPicture(state_.txPicture);
        return WebOutcome::ok(QStringLiteral("The transmit picture is set"));
    }
    WebOutcome setTxPictureFromCatalog(int page, int position) override {
        calls << QStringLiteral("catalog %1:%2").arg(page).arg(position);
        const ProgramFolder folder(folder_);
        const auto read = CatalogStore(folder).read(CatalogPosition::general(page, position));
        if (read.image.isNull())
            return WebOutcome::refused(
                QStringLiteral("Catalog position %1:%2 is empty").arg(page).arg(position));
        return setTxPicture(read.image);
    }
    WebOutcome send(const QString& mode) override {
        calls << QStringLiteral("send %1").arg(mode);
        if (const auto refusal = refused())
            return *refusal;
        return WebOutcome::ok(QStringLiteral("Sending %1").arg(mode));
    }
    WebOutcome rxStop() override {
        calls << QStringLiteral("rx-stop");
        if (state_.reception) {
            state_.reception.reset();
            emit status(QStringLiteral("Receive stopped, ready for receive"));
        }
        return WebOutcome::ok(QStringLiteral("Receive stopped"));
    }
    WebOutcome setBeacon(bool on) override {
        calls << QStringLiteral("beacon %1").arg(on ? "on" : "off");
        state_.beacon = on;
        emit beaconChanged(on);
        return WebOutcome::ok(on ? QStringLiteral("Beacon on") : QStringLiteral("Beacon off"));
    }
    WebOutcome setRepeater(bool on) override {
        calls << QStringLiteral("repeater %1").arg(on ? "on" : "off");
        state_.repeater = on;
        emit repeaterChanged(on);
        return WebOutcome::ok(on ? QStringLiteral("Repeater on") : QStringLiteral("Repeater off"));
    }

    // --- the script ---

    void announce(const QString& mode, int airMs, QSize size = {320, 256}) {
        state_.reception = WebReception{mode, airMs, airMs};
        state_.rxPicture = QImage(size, QImage::Format_RGB32);
        state_.rxPicture.fill(Qt::black);
        state_.rxRows = 0;
        emit announced(mode, airMs);
    }
    // Row of the picture under way: a colour band that changes with the row.
    void deliverLine(int row) {
        QRgb* pixels = reinterpret_cast<QRgb*>(state_.rxPicture.scanLine(row));
        for (int x = 0; x < state_.rxPicture.width(); ++x)
            pixels[x] = qRgb((x * 255) / state_.rxPicture.width(), row % 256, 255 - row % 256);
        state_.rxRows = std::max(state_.rxRows, row + 1);
        if (state_.reception)
            state_.reception->leftMs = state_.reception->airMs *
                                       (state_.rxPicture.height() - state_.rxRows) /
                                       state_.rxPicture.height();
        emit line(row, state_.rxPicture);
    }
    // The reception ends: the picture goes into AutoSpeichern and received.log, as stamp.jpg.
    QString finish(const QDateTime& when, const QString& stamp) {
        const QString mode = state_.reception ? state_.reception->mode : QString();
        state_.reception.reset();
        const QString folder = QDir(folder_).filePath(QStringLiteral("AutoSpeichern"));
        const QString jpeg = QDir(folder).filePath(stamp + QStringLiteral(".jpg"));
        state_.rxPicture.save(jpeg, "JPEG", 80);
        ReceptionLog(folder).append({when, mode, {}, jpeg});
        emit stored({when, mode, {jpeg}});
        return jpeg;
    }
    void setPresence(WebPresence presence) {
        state_.presence = presence;
        emit WebStation::presence(state_.converterKind, presence);
    }
    void setStatus(const QString& text) {
        state_.status = text;
        emit status(text);
    }

private:
    std::optional<WebOutcome> refused() const {
        if (state_.presence != WebPresence::Connected)
            return WebOutcome::refused(QStringLiteral("Refused: the converter is lost"));
        if (state_.reception)
            return WebOutcome::refused(QStringLiteral("Refused: a reception is under way"));
        return std::nullopt;
    }

    QString folder_;
    WebSnapshot state_;
};

} // namespace winorbis
