// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "WebRequest.h"

#include <QObject>
#include <QString>

#include <memory>

namespace winorbis {

class WebStation;

// How the web face is offered: where it listens, the password's hash, and whether the live view
// is open without a login.
struct WebOptions {
    // 127.0.0.1:8070 unless given; port 0 takes a free port (see WebFace::listening).
    web::Listen listen{QHostAddress(QHostAddress::LocalHost), 8070};
    // libsodium's hash string of the password (station.conf "WebPassword="); empty: no login.
    QString passwordHash;
    // The live view and the gallery without a login; commands still need one.
    bool publicView = false;
    // Session cookies only over TLS (behind a reverse proxy that speaks it).
    bool secureCookies = false;
    qint64 sessionLifetimeMs = 12 * 3600 * 1000;
    // A page that cannot take the lines for this long is closed.
    qint64 stuckPageMs = 15 * 1000;

    // The options of a program folder's "station.conf": "WebPassword=" (the hash), "WebPort="
    // ([ADDRESS:]PORT; kept at the default when it is missing or cannot be read) and
    // "WebSecureCookies=1".
    static WebOptions fromStationConf(const QString& programFolder);
};

// The station in a browser: serves the page, pushes the station's events to every open page over
// a WebSocket, and carries out the commands of a logged-in browser. Lives on the station's thread;
// it never waits on a client: a page that reads too slowly loses frames (it gets the whole picture
// again when it has caught up) and is closed when it stays stuck.
class WebFace : public QObject {
    Q_OBJECT
public:
    // Listens as options say and serves station until destroyed; null with the reason in error
    // when it cannot start (bad address, no password for an address other machines reach, port
    // taken).
    static std::unique_ptr<WebFace> start(WebStation& station, const WebOptions& options,
                                          QString* error);
    // Why a face with these options may not start (an address that other machines reach, and no
    // password); empty when it may. Asked before anything else is opened for the face.
    static QString refusal(const WebOptions& options);
    ~WebFace() override;

    // Where the face listens (with the port taken when 0 was asked for).
    web::Listen listening() const;
    // The pages connected for the live view.
    int clientCount() const;

    class Impl;

private:
    explicit WebFace(std::unique_ptr<Impl> impl);
    std::unique_ptr<Impl> impl_;
};

} // namespace winorbis
