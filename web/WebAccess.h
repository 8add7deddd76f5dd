// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QString>

namespace winorbis {

class StationOptions;

// The web face as the operator chooses it in the setup window ("Web access"), kept in
// station.conf: WebAccess=1 starts it with the program, WebPort=[ADDRESS:]PORT says where it
// listens (127.0.0.1:8070 when empty), WebPassword= holds the password's hash, never the password.
// Reads, checks and writes those keys; shows nothing.
struct WebAccessChoice {
    static const QString kAccessKey;   // "WebAccess"
    static const QString kPortKey;     // "WebPort"
    static const QString kPasswordKey; // "WebPassword"
    // Where the face listens when WebPort= is empty.
    static const QString kDefaultPort; // "8070"

    bool on = false;
    QString port;         // as typed: "8070", "0.0.0.0:8070", "[::]:8070"; empty: the default
    QString passwordHash; // as kept; empty: no password is set

    static WebAccessChoice fromOptions(const StationOptions& options);

    // Why the choice cannot be kept with newPassword (empty: the password set stays): the port is
    // no listening address (or port 0), the new password is too short, or the address reaches
    // other machines and no password is set or given. Empty when it can.
    QString problem(const QByteArray& newPassword = {}) const;
    // Takes newPassword (when given) as the password: its hash is made as "orbisctl web-password"
    // makes it. Slow by design (a good part of a second). The reason when it cannot be made.
    QString setPassword(const QByteArray& newPassword);
    // The keys into options.
    void writeTo(StationOptions& options) const;

    bool operator==(const WebAccessChoice&) const = default;
};

// The rule for every web password, from the setup window or from orbisctl web-password: at least
// 8 characters. Empty when password keeps it.
QString webPasswordProblem(const QByteArray& password);

} // namespace winorbis
