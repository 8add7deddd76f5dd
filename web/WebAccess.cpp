// SPDX-License-Identifier: GPL-3.0-or-later
#include "WebAccess.h"

#include "WebRequest.h"
#include "WebSecurity.h"
#include "WebTexts.h"

#include "settings/StationOptions.h"

namespace winorbis {

const QString WebAccessChoice::kAccessKey = QStringLiteral("WebAccess");
const QString WebAccessChoice::kPortKey = QStringLiteral("WebPort");
const QString WebAccessChoice::kPasswordKey = QStringLiteral("WebPassword");
const QString WebAccessChoice::kDefaultPort = QStringLiteral("8070");

WebAccessChoice WebAccessChoice::fromOptions(const StationOptions& options) {
    WebAccessChoice choice;
    choice.on = options.flag(kAccessKey);
    choice.port = options.value(kPortKey).trimmed();
    choice.passwordHash = options.value(kPasswordKey).trimmed();
    return choice;
}

QString WebAccessChoice::problem(const QByteArray& newPassword) const {
    const QString text = port.trimmed().isEmpty() ? kDefaultPort : port.trimmed();
    const auto listen = web::parseListen(text);
    if (!listen || listen->port == 0)
        return webtext::kBadListen.arg(text);
    if (!newPassword.isEmpty()) {
        if (const QString why = webPasswordProblem(newPassword); !why.isEmpty())
            return why;
    } else if (on && !listen->loopback() && passwordHash.isEmpty()) {
        return webtext::kNoPasswordForNetwork.arg(listen->text());
    }
    return {};
}

QString WebAccessChoice::setPassword(const QByteArray& newPassword) {
    if (newPassword.isEmpty())
        return {};
    if (const QString why = webPasswordProblem(newPassword); !why.isEmpty())
        return why;
    QString why;
    const auto hash = web::PasswordHash::make(newPassword, &why);
    if (!hash)
        return webtext::kHashFailed.arg(why);
    passwordHash = *hash;
    return {};
}

void WebAccessChoice::writeTo(StationOptions& options) const {
    options.setFlag(kAccessKey, on);
    options.setValue(kPortKey, port.trimmed());
    // A station without a password gets no empty line for it.
    if (!passwordHash.isEmpty() || !options.value(kPasswordKey).isEmpty())
        options.setValue(kPasswordKey, passwordHash);
}

QString webPasswordProblem(const QByteArray& password) {
    return QString::fromUtf8(password).size() < 8 ? webtext::kPasswordTooShort : QString();
}

} // namespace winorbis
