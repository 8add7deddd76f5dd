// SPDX-License-Identifier: GPL-3.0-or-later
#include "WebSecurity.h"

#include <sodium.h>

namespace winorbis::web {

namespace {

bool sodiumReady() {
    static const bool ready = sodium_init() >= 0;
    return ready;
}

} // namespace

std::optional<QString> PasswordHash::make(const QByteArray& password, QString* error) {
    char hash[crypto_pwhash_STRBYTES];
    if (!sodiumReady() || crypto_pwhash_str(hash, password.constData(), quint64(password.size()),
                                            crypto_pwhash_OPSLIMIT_INTERACTIVE,
                                            crypto_pwhash_MEMLIMIT_INTERACTIVE) != 0) {
        if (error)
            *error = QStringLiteral("out of memory");
        return std::nullopt;
    }
    return QString::fromLatin1(hash);
}

bool PasswordHash::looksValid(const QString& hash) {
    return hash.startsWith(QLatin1String("$argon2id$")) && hash.size() < crypto_pwhash_STRBYTES;
}

bool PasswordHash::verify(const QString& hash, const QByteArray& password) {
    if (!sodiumReady() || !looksValid(hash))
        return false;
    const QByteArray text = hash.toLatin1();
    return crypto_pwhash_str_verify(text.constData(), password.constData(),
                                    quint64(password.size())) == 0;
}

QByteArray randomHex(int count) {
    QByteArray bytes(count, Qt::Uninitialized);
    if (!sodiumReady())
        qFatal("libsodium cannot start");
    randombytes_buf(bytes.data(), size_t(bytes.size()));
    return bytes.toHex();
}

bool sameToken(const QByteArray& a, const QByteArray& b) {
    if (a.size() != b.size() || a.isEmpty())
        return false;
    return sodium_memcmp(a.constData(), b.constData(), size_t(a.size())) == 0;
}

Sessions::Session Sessions::open(qint64 nowMs) {
    for (auto it = sessions_.begin(); it != sessions_.end();)
        it = it->expiresMs <= nowMs ? sessions_.erase(it) : std::next(it);
    if (sessions_.size() >= kMaxSessions) {
        auto oldest = sessions_.begin();
        for (auto it = sessions_.begin(); it != sessions_.end(); ++it) {
            if (it->expiresMs < oldest->expiresMs)
                oldest = it;
        }
        sessions_.erase(oldest);
    }
    Session session{randomHex(32), randomHex(32), nowMs + lifetimeMs_};
    sessions_.insert(session.id, session);
    return session;
}

std::optional<Sessions::Session> Sessions::find(const QByteArray& id, qint64 nowMs) {
    // A session id is 64 hex digits; anything else is no key worth a look.
    if (id.size() != 64)
        return std::nullopt;
    const auto it = sessions_.constFind(id);
    if (it == sessions_.constEnd())
        return std::nullopt;
    if (it->expiresMs <= nowMs) {
        sessions_.remove(id);
        return std::nullopt;
    }
    return *it;
}

bool Sessions::authorizes(const QByteArray& id, const QByteArray& token, qint64 nowMs) {
    const auto session = find(id, nowMs);
    return session && sameToken(session->token, token);
}

void LoginLimiter::forgetOld(qint64 nowMs) {
    for (auto it = tries_.begin(); it != tries_.end();) {
        QList<qint64>& times = it.value();
        times.removeIf([nowMs](qint64 t) { return nowMs - t >= kWindowMs; });
        it = times.isEmpty() ? tries_.erase(it) : std::next(it);
    }
}

bool LoginLimiter::admit(const QHostAddress& address, qint64 nowMs) {
    forgetOld(nowMs);
    // IPv4 addresses that reach an IPv6 socket count as themselves.
    bool isV4 = false;
    const quint32 v4 = address.toIPv4Address(&isV4);
    const QString key = isV4 ? QHostAddress(v4).toString() : address.toString();
    auto it = tries_.find(key);
    if (it == tries_.end()) {
        if (tries_.size() >= kMaxAddresses)
            return false;
        it = tries_.insert(key, {});
    }
    if (it->size() >= kTries)
        return false;
    it->append(nowMs);
    return true;
}

} // namespace winorbis::web
