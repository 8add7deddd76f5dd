// SPDX-License-Identifier: GPL-3.0-or-later
#include "WebRequest.h"

#include "WebTexts.h"

#include <QBuffer>
#include <QImageReader>
#include <QJsonDocument>
#include <QJsonValue>
#include <QUrl>
#include <QUrlQuery>

namespace winorbis::web {

QString Listen::text() const {
    const QString host = address.protocol() == QAbstractSocket::IPv6Protocol
                             ? QStringLiteral("[%1]").arg(address.toString())
                             : address.toString();
    return QStringLiteral("%1:%2").arg(host).arg(port);
}

std::optional<Listen> parseListen(const QString& text) {
    Listen listen;
    QString portText = text;
    if (text.startsWith(QLatin1Char('['))) {
        const qsizetype close = text.indexOf(QLatin1String("]:"));
        if (close < 0)
            return std::nullopt;
        const QString host = text.mid(1, close - 1);
        if (!listen.address.setAddress(host) ||
            listen.address.protocol() != QAbstractSocket::IPv6Protocol)
            return std::nullopt;
        portText = text.mid(close + 2);
    } else if (const qsizetype colon = text.lastIndexOf(QLatin1Char(':')); colon >= 0) {
        const QString host = text.left(colon);
        if (host.compare(QLatin1String("localhost"), Qt::CaseInsensitive) == 0)
            listen.address = QHostAddress(QHostAddress::LocalHost);
        else if (host.contains(QLatin1Char(':')) || !listen.address.setAddress(host))
            return std::nullopt;
        portText = text.mid(colon + 1);
    }
    // Digits only: toUInt would take blanks and a sign.
    if (portText.isEmpty() || portText.size() > 5 ||
        !std::all_of(portText.begin(), portText.end(), [](QChar c) { return c.isDigit(); }))
        return std::nullopt;
    const uint port = portText.toUInt();
    if (port > 65535)
        return std::nullopt;
    listen.port = quint16(port);
    return listen;
}

QByteArray cookieValue(const QByteArray& header, const QByteArray& name) {
    for (const QByteArray& part : header.split(';')) {
        const QByteArray pair = part.trimmed();
        const qsizetype eq = pair.indexOf('=');
        if (eq <= 0)
            continue;
        if (pair.left(eq).trimmed() == name) {
            QByteArray value = pair.mid(eq + 1).trimmed();
            if (value.size() >= 2 && value.startsWith('"') && value.endsWith('"'))
                value = value.mid(1, value.size() - 2);
            return value;
        }
    }
    return {};
}

std::optional<QJsonObject> parseJsonObject(const QByteArray& body, qsizetype maxBytes) {
    if (body.size() > maxBytes)
        return std::nullopt;
    // Qt's reader nests as deep as it is asked to; a page never sends more than two levels.
    // Brackets inside strings count as well: that only errs on the safe side.
    int depth = 0;
    for (const char c : body) {
        depth += (c == '{' || c == '[') - (c == '}' || c == ']');
        if (depth > 32)
            return std::nullopt;
    }
    if (body.trimmed().isEmpty())
        return QJsonObject();
    QJsonParseError error;
    const QJsonDocument document = QJsonDocument::fromJson(body, &error);
    if (error.error != QJsonParseError::NoError || !document.isObject())
        return std::nullopt;
    return document.object();
}

std::optional<QByteArray> loginPassword(const QByteArray& body, const QByteArray& contentType) {
    if (body.size() > 4096)
        return std::nullopt;
    if (contentType.trimmed().toLower().startsWith("application/x-www-form-urlencoded")) {
        const QUrlQuery form(QString::fromUtf8(body));
        if (!form.hasQueryItem(QStringLiteral("password")))
            return std::nullopt;
        return form.queryItemValue(QStringLiteral("password"), QUrl::FullyDecoded).toUtf8();
    }
    const auto object = parseJsonObject(body, 4096);
    if (!object || !object->value(QLatin1String("password")).isString())
        return std::nullopt;
    return object->value(QLatin1String("password")).toString().toUtf8();
}

namespace {

// A JSON integer (no fraction) or nothing.
std::optional<int> integer(const QJsonObject& object, QLatin1String key) {
    const QJsonValue value = object.value(key);
    if (!value.isDouble())
        return std::nullopt;
    const double d = value.toDouble();
    if (d != double(int(d)) || d < -1e6 || d > 1e6)
        return std::nullopt;
    return int(d);
}

} // namespace

bool isCommandName(const QString& name) {
    static const QStringList names{QStringLiteral("send"), QStringLiteral("rx-stop"),
                                   QStringLiteral("beacon"), QStringLiteral("repeater"),
                                   QStringLiteral("tx-catalog")};
    return names.contains(name);
}

std::optional<Command> parseCommand(const QString& name, const QByteArray& body, QString* error) {
    const auto fail = [error](const QString& why) -> std::optional<Command> {
        if (error)
            *error = why;
        return std::nullopt;
    };
    const auto object = parseJsonObject(body);
    if (!object)
        return fail(webtext::kBadRequest.arg(QStringLiteral("the body is no JSON object")));
    Command command;
    if (name == QLatin1String("send")) {
        const QJsonValue mode = object->value(QLatin1String("mode"));
        if (!mode.isString() || mode.toString().isEmpty() || mode.toString().size() > 16)
            return fail(webtext::kBadRequest.arg(QStringLiteral("send needs a mode")));
        command.kind = Command::Kind::Send;
        command.mode = mode.toString();
    } else if (name == QLatin1String("rx-stop")) {
        command.kind = Command::Kind::RxStop;
    } else if (name == QLatin1String("beacon") || name == QLatin1String("repeater")) {
        const QJsonValue on = object->value(QLatin1String("on"));
        if (!on.isBool())
            return fail(
                webtext::kBadRequest.arg(QStringLiteral("%1 needs on: true or false").arg(name)));
        command.kind =
            name == QLatin1String("beacon") ? Command::Kind::Beacon : Command::Kind::Repeater;
        command.on = on.toBool();
    } else if (name == QLatin1String("tx-catalog")) {
        const auto page = integer(*object, QLatin1String("page"));
        const auto position = integer(*object, QLatin1String("position"));
        if (!page || !position || *page < 0 || *page > 17 || *position < 0 || *position > 24)
            return fail(webtext::kBadPosition);
        command.kind = Command::Kind::TxFromCatalog;
        command.page = *page;
        command.position = *position;
    } else {
        return fail(webtext::kUnknownCommand.arg(name.left(40)));
    }
    return command;
}

Upload readUpload(const QByteArray& body) {
    Upload upload;
    if (body.size() > kMaxUploadBytes) {
        upload.status = 413;
        upload.error = webtext::kTooLarge;
        return upload;
    }
    QBuffer buffer;
    buffer.setData(body);
    buffer.open(QIODevice::ReadOnly);
    // The format from the content alone; a name or a declared type says nothing.
    const QByteArray format = QImageReader::imageFormat(&buffer).toLower();
    if (format != "bmp" && format != "jpeg" && format != "png") {
        upload.status = 415;
        upload.error = webtext::kNotAPicture;
        return upload;
    }
    buffer.seek(0);
    QImageReader reader(&buffer, format);
    reader.setDecideFormatFromContent(true);
    const QSize size = reader.size();
    if (!size.isValid() || size.isEmpty()) {
        upload.status = 415;
        upload.error = webtext::kNotAPicture;
        return upload;
    }
    if (size.width() > kMaxUploadSide || size.height() > kMaxUploadSide) {
        upload.status = 413;
        upload.error = webtext::kPictureTooWide.arg(kMaxUploadSide).arg(kMaxUploadSide);
        return upload;
    }
    if (!reader.read(&upload.picture) || upload.picture.isNull()) {
        upload.picture = QImage();
        upload.status = 415;
        upload.error = webtext::kNotAPicture;
    }
    return upload;
}

std::optional<QString> galleryName(const QByteArray& encodedPath) {
    if (encodedPath.isEmpty() || encodedPath.size() > 1024)
        return std::nullopt;
    const QByteArray decoded = QByteArray::fromPercentEncoding(encodedPath);
    const QString name = QString::fromUtf8(decoded);
    // Bytes that are no UTF-8 come back as replacement characters: no name of the log.
    if (name.toUtf8() != decoded || name.startsWith(QLatin1Char('/')))
        return std::nullopt;
    for (const QChar c : name) {
        if (c.unicode() < 0x20 || c.unicode() == 0x7f || c == QLatin1Char('\\') ||
            c == QChar::ReplacementCharacter)
            return std::nullopt;
    }
    for (const QString& part : name.split(QLatin1Char('/'))) {
        if (part.isEmpty() || part == QLatin1String(".") || part == QLatin1String(".."))
            return std::nullopt;
    }
    return name;
}

} // namespace winorbis::web
