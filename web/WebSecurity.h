// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QHash>
#include <QHostAddress>
#include <QList>
#include <QString>

#include <optional>

namespace winorbis::web {

// The web face's password: stored only as libsodium's Argon2id hash string
// ("$argon2id$v=19$m=...,t=...,p=...$salt$hash"), verified by libsodium. Both take a good part of a
// second and tens of megabytes by design: never on the thread that serves the station.
class PasswordHash {
public:
    // The hash string of a password; none when libsodium cannot make it (error says why).
    static std::optional<QString> make(const QByteArray& password, QString* error = nullptr);
    // Whether the password matches a hash string; false for anything that is no such string.
    static bool verify(const QString& hash, const QByteArray& password);
    // Whether text looks like a hash string that verify takes.
    static bool looksValid(const QString& hash);
};

// count random bytes of libsodium's generator, as lower-case hex.
QByteArray randomHex(int count);
// Whether two tokens are equal, in time that depends only on their length.
bool sameToken(const QByteArray& a, const QByteArray& b);

// The logged-in browsers: a random session id (the cookie) with its own random token that every
// command carries beside the cookie (the page reads it from the login's answer), so that another
// site's page, which the browser gives the cookie to, still cannot command. A session ends at
// logout or lifetimeMs after its login. Times are the caller's milliseconds of a steady clock.
class Sessions {
public:
    struct Session {
        QByteArray id;
        QByteArray token;
        qint64 expiresMs = 0;
    };

    explicit Sessions(qint64 lifetimeMs = 12 * 3600 * 1000)
        : lifetimeMs_(lifetimeMs) {}

    // A new session; the oldest goes when kMaxSessions are open.
    Session open(qint64 nowMs);
    // The session of a cookie's id while it lasts; none for an unknown or expired id.
    std::optional<Session> find(const QByteArray& id, qint64 nowMs);
    // Whether id is a live session and token its token.
    bool authorizes(const QByteArray& id, const QByteArray& token, qint64 nowMs);
    void close(const QByteArray& id) { sessions_.remove(id); }
    qint64 lifetimeMs() const { return lifetimeMs_; }
    int count() const { return int(sessions_.size()); }

    static constexpr int kMaxSessions = 64;

private:
    qint64 lifetimeMs_;
    QHash<QByteArray, Session> sessions_;
};

// At most kTries logins a minute from one address: a try beyond them is refused before its
// password is looked at. Addresses that have not tried for a minute are forgotten; when too many
// addresses are tracked at once, every further try is refused until the minute has passed.
class LoginLimiter {
public:
    static constexpr int kTries = 5;
    static constexpr qint64 kWindowMs = 60 * 1000;
    static constexpr int kMaxAddresses = 4096;

    // Counts a try from address; false when it is one too many.
    bool admit(const QHostAddress& address, qint64 nowMs);

private:
    void forgetOld(qint64 nowMs);

    QHash<QString, QList<qint64>> tries_;
};

} // namespace winorbis::web
