// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QHostAddress>
#include <QImage>
#include <QJsonObject>
#include <QString>

#include <optional>

namespace winorbis::web {

// The reading of what a browser or script sends to the web face: the listening address, cookies,
// the bodies of logins and commands, and uploaded pictures. Plain functions on bytes, without
// sockets, so that each is tested and fuzzed on its own. Nothing here trusts its input: every
// reader gives a value or a reason, never more than it was given.

// Where the face listens: "PORT", "ADDRESS:PORT" or "[IPv6]:PORT" ("localhost" for 127.0.0.1);
// port 0 takes any free port.
struct Listen {
    QHostAddress address = QHostAddress(QHostAddress::LocalHost);
    quint16 port = 0;
    // Whether only this machine reaches the address.
    bool loopback() const { return address.isLoopback(); }
    // "127.0.0.1:8070", "[::1]:8070".
    QString text() const;
};
std::optional<Listen> parseListen(const QString& text);

// The value of cookie name in a Cookie header; empty when it is not there.
QByteArray cookieValue(const QByteArray& header, const QByteArray& name);

// A JSON object of at most maxBytes; none for anything else.
std::optional<QJsonObject> parseJsonObject(const QByteArray& body, qsizetype maxBytes = 16 * 1024);

// The password of a login body: JSON {"password": "..."} or a form "password=...".
std::optional<QByteArray> loginPassword(const QByteArray& body, const QByteArray& contentType);

// A command from the page: its name from the path "/api/command/NAME", its arguments from a JSON
// body.
struct Command {
    enum class Kind { Send, RxStop, Beacon, Repeater, TxFromCatalog };
    Kind kind = Kind::RxStop;
    QString mode;               // Send
    bool on = false;            // Beacon, Repeater
    int page = 0, position = 0; // TxFromCatalog
};
// Whether name is one of the commands above ("send", "rx-stop", "beacon", "repeater",
// "tx-catalog").
bool isCommandName(const QString& name);
// The command, or the reason it is not one (in error).
std::optional<Command> parseCommand(const QString& name, const QByteArray& body, QString* error);

// An uploaded picture: at most kMaxUploadBytes, BMP, JPEG or PNG by its content (whatever it is
// called), at most kMaxUploadSide pixels each way, and decoding. The picture, or the reason and
// the HTTP status of the refusal.
inline constexpr qsizetype kMaxUploadBytes = 10 * 1024 * 1024;
inline constexpr int kMaxUploadSide = 8192;
struct Upload {
    QImage picture;
    int status = 200; // 413 too large, 415 another format or not decoding
    QString error;
};
Upload readUpload(const QByteArray& body);

// A gallery name of a request path (after "/gallery/"): a relative path of the program folder in
// '/' form, percent-decoded, without "." or ".." parts, backslashes, control characters or a
// leading '/'. None for anything else.
std::optional<QString> galleryName(const QByteArray& encodedPath);

} // namespace winorbis::web
