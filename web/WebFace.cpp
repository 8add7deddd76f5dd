// SPDX-License-Identifier: GPL-3.0-or-later
#include "WebFace.h"

#include "WebAccess.h"
#include "WebGallery.h"
#include "WebSecurity.h"
#include "WebStation.h"
#include "WebTexts.h"

#include "catalog/CatalogStore.h"
#include "platform/ProgramFolder.h"
#include "settings/Settings.h"
#include "settings/StationOptions.h"

#include <QAbstractHttpServer>
#include <QBuffer>
#include <QCache>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QHttpServerRequest>
#include <QHttpServerResponder>
#include <QImageReader>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QPointer>
#include <QTcpServer>
#include <QTcpSocket>
#include <QThreadPool>
#include <QTimer>
#include <QWebSocket>

#include <cstring>
#include <list>

static void initWebResources() {
    Q_INIT_RESOURCE(web);
}

namespace winorbis {

// The face's own parts; a named namespace, since the face's class holds them.
namespace webface {

using Status = QHttpServerResponder::StatusCode;

constexpr qint64 kMaxRequestBytes = web::kMaxUploadBytes + 64 * 1024;
constexpr int kMaxConnections = 200;
constexpr qint64 kIdleSocketMs = 120 * 1000;
// A page whose socket holds more than this is sent no more lines until it has caught up ...
constexpr qint64 kBacklogBytes = 256 * 1024;
// ... and is closed when it stays behind longer than WebOptions::stuckPageMs, or holds this much
// even of the small events.
constexpr qint64 kHardBacklogBytes = 4 * 1024 * 1024;
constexpr int kMaxVerifications = 4;
constexpr std::size_t kMaxPages = 100;
const QByteArray kSessionCookie = "wo_session";

// The binary frames of the live view: a type byte, then little-endian 16-bit fields.
enum FrameType : char { kRowsFrame = 1, kWaterfallFrame = 2 };

void putWord(QByteArray& bytes, int value) {
    bytes.append(char(value & 0xff));
    bytes.append(char((value >> 8) & 0xff));
}

// Rows first .. first + count - 1 of a picture as RGB bytes after a header of type, width, height,
// first row and row count.
QByteArray rowsFrame(const QImage& picture, int first, int count) {
    QByteArray frame;
    const int width = picture.width();
    frame.reserve(9 + qsizetype(width) * count * 3);
    frame.append(kRowsFrame);
    putWord(frame, width);
    putWord(frame, picture.height());
    putWord(frame, first);
    putWord(frame, count);
    const bool direct =
        picture.format() == QImage::Format_RGB32 || picture.format() == QImage::Format_ARGB32;
    for (int y = first; y < first + count; ++y) {
        const QImage row =
            direct ? QImage() : picture.copy(0, y, width, 1).convertToFormat(QImage::Format_RGB32);
        const auto* pixels =
            reinterpret_cast<const QRgb*>(direct ? picture.constScanLine(y) : row.constScanLine(0));
        for (int x = 0; x < width; ++x) {
            frame.append(char(qRed(pixels[x])));
            frame.append(char(qGreen(pixels[x])));
            frame.append(char(qBlue(pixels[x])));
        }
    }
    return frame;
}

QByteArray json(const QJsonObject& object) {
    return QJsonDocument(object).toJson(QJsonDocument::Compact);
}

QString presenceName(WebPresence presence) {
    switch (presence) {
    case WebPresence::Connected:
        return QStringLiteral("connected");
    case WebPresence::Lost:
        return QStringLiteral("lost");
    case WebPresence::Reconnecting:
        return QStringLiteral("reconnecting");
    }
    return {};
}

QJsonObject galleryJson(const web::GalleryEntry& entry) {
    return {{"when", entry.when.toUTC().toString(Qt::ISODate)},
            {"mode", entry.mode},
            {"callsign", entry.callsign},
            {"name", entry.name}};
}

QByteArray contentTypeOf(const QString& file) {
    const QString lower = file.toLower();
    if (lower.endsWith(QLatin1String(".png")))
        return "image/png";
    if (lower.endsWith(QLatin1String(".bmp")))
        return "image/bmp";
    return "image/jpeg";
}

QByteArray encode(const QImage& picture, const char* format, int quality = -1) {
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    picture.save(&buffer, format, quality);
    return bytes;
}

// A socket of the face that counts what its client sends between two answers, so that a request
// without end is cut off, and knows when it last heard from the client.
class FaceSocket final : public QTcpSocket {
public:
    explicit FaceSocket(QObject* parent)
        : QTcpSocket(parent) {
        activity_.start();
        // Connected before the HTTP server's own reading, which takes all that has come: each
        // chunk is counted once, before it is read.
        connect(this, &QIODevice::readyRead, this, [this] {
            received_ += bytesAvailable();
            activity_.restart();
            if (received_ > kMaxRequestBytes)
                abort();
        });
    }
    // An answer went out: the next request counts from nothing.
    void answered() { received_ = 0; }
    qint64 idleMs() const { return activity_.elapsed(); }

private:
    qint64 received_ = 0;
    QElapsedTimer activity_;
};

// The face's listening socket: hands the HTTP server FaceSockets, without Nagle's delay, and
// turns away connections beyond kMaxConnections.
class FaceTcpServer final : public QTcpServer {
public:
    using QTcpServer::QTcpServer;
    QList<QPointer<FaceSocket>> sockets;

protected:
    void incomingConnection(qintptr descriptor) override {
        sockets.removeIf([](const QPointer<FaceSocket>& s) { return s.isNull(); });
        auto* socket = new FaceSocket(this);
        if (!socket->setSocketDescriptor(descriptor)) {
            delete socket;
            return;
        }
        if (sockets.size() >= kMaxConnections) {
            socket->abort();
            socket->deleteLater();
            return;
        }
        // Answers and lines go out at once, not after the client's acknowledgement.
        socket->setSocketOption(QAbstractSocket::LowDelayOption, 1);
        sockets.append(socket);
        addPendingConnection(socket);
    }
};

// A page connected for the live view.
struct Client {
    std::unique_ptr<QWebSocket> socket;
    qint64 backlog = 0;        // bytes handed to the socket and not yet written
    bool behind = false;       // lines were dropped: the whole picture follows
    qint64 behindSinceMs = -1; // since when the backlog is above kBacklogBytes
    QByteArray session;        // the session it was opened in (empty with the public view)
};

} // namespace webface

using namespace webface;

// The face's server: routes each request (the page, the station's state and pictures, login,
// commands), keeps the sessions and the login limit, and feeds the open pages' WebSockets with the
// station's events without ever waiting on one of them.
class WebFace::Impl final : public QAbstractHttpServer {
public:
    Impl(WebStation& station, const WebOptions& options)
        : station_(station)
        , options_(options)
        , sessions_(options.sessionLifetimeMs)
        , folder_(station.snapshot().programFolder)
        , gallery_(folder_.folder()) {
        clock_.start();
        verifier_.setMaxThreadCount(1);
    }

    ~Impl() override {
        // A verification under way finishes on its own thread; its answer finds no face.
        alive_.reset();
        verifier_.waitForDone();
        // A socket that closes says so to the face, which must not hear it while it goes.
        for (Client& c : clients_)
            c.socket->disconnect(this);
        clients_.clear();
    }

    bool listen(QString* error) {
        auto* server = new FaceTcpServer;
        if (!server->listen(options_.listen.address, options_.listen.port)) {
            if (error)
                *error = webtext::kCannotListen.arg(options_.listen.text(), server->errorString());
            delete server;
            return false;
        }
        tcp_ = server;
        listening_ = options_.listen;
        listening_.port = server->serverPort();
        bind(server);
        connect(this, &QAbstractHttpServer::newWebSocketConnection, this, &Impl::takeWebSockets);
        connectStation();
        connect(&ticker_, &QTimer::timeout, this, &Impl::tick);
        ticker_.start(1000);
        return true;
    }

    web::Listen listening_;
    std::list<Client> clients_;

protected:
    bool handleRequest(const QHttpServerRequest& request, QTcpSocket* socket) override {
        // Qt 6.4 upgrades a request for a WebSocket when it is handled here without an answer,
        // and answers it through missingHandler when it is not.
        if (isUpgrade(request))
            return !upgradeRefusal(request).has_value();
        route(request, socket);
        return true;
    }
    void missingHandler(const QHttpServerRequest& request, QTcpSocket* socket) override {
        if (isUpgrade(request)) {
            if (const auto refusal = upgradeRefusal(request))
                return reply(request, socket, refusal->first, refusal->second);
        }
        reply(request, socket, Status::NotFound, webtext::kNotFound);
    }

private:
    // --- answers ---

    struct Header {
        QByteArray name, value;
    };

    void reply(const QHttpServerRequest& request, QTcpSocket* socket, Status status,
               const QByteArray& type, const QByteArray& body, const QList<Header>& extra = {}) {
        QHttpServerResponder responder = makeResponder(request, socket);
        send(responder, socket, status, type, body, extra);
    }
    void reply(const QHttpServerRequest& request, QTcpSocket* socket, Status status,
               const QString& text, const QList<Header>& extra = {}) {
        reply(request, socket, status, "application/json",
              json({{"ok", int(status) < 300}, {"text", text}}), extra);
    }
    void send(QHttpServerResponder& responder, QTcpSocket* socket, Status status,
              const QByteArray& type, const QByteArray& body, const QList<Header>& extra) {
        if (auto* face = dynamic_cast<FaceSocket*>(socket))
            face->answered();
        responder.writeStatusLine(status);
        responder.writeHeader("Content-Type", type);
        responder.writeHeader("Content-Length", QByteArray::number(body.size()));
        responder.writeHeader("X-Content-Type-Options", "nosniff");
        responder.writeHeader("X-Frame-Options", "DENY");
        responder.writeHeader("Referrer-Policy", "no-referrer");
        responder.writeHeader("Cache-Control", "no-store");
        if (type.startsWith("text/html"))
            responder.writeHeader("Content-Security-Policy",
                                  "default-src 'self'; img-src 'self' blob: data:; "
                                  "connect-src 'self'; frame-ancestors 'none'; base-uri 'none'; "
                                  "form-action 'self'");
        for (const Header& h : extra)
            responder.writeHeader(h.name, h.value);
        responder.writeBody(body);
    }

    // --- who asks ---

    QByteArray sessionId(const QHttpServerRequest& request) const {
        return web::cookieValue(request.value("Cookie"), kSessionCookie);
    }
    std::optional<web::Sessions::Session> session(const QHttpServerRequest& request) {
        return sessions_.find(sessionId(request), clock_.elapsed());
    }
    bool canView(const QHttpServerRequest& request) {
        return options_.publicView || session(request).has_value();
    }
    // A request that a page of this face sent: no Origin (curl, a same-origin GET) or ours.
    static bool sameOrigin(const QByteArray& origin, const QByteArray& host) {
        if (origin.isEmpty())
            return true;
        const QUrl url(QString::fromLatin1(origin));
        const QString authority =
            url.port() < 0 ? url.host() : QStringLiteral("%1:%2").arg(url.host()).arg(url.port());
        return !host.isEmpty() && url.isValid() &&
               authority.compare(QString::fromLatin1(host), Qt::CaseInsensitive) == 0;
    }

    static bool isUpgrade(const QHttpServerRequest& request) {
        return request.value("Upgrade").compare("websocket", Qt::CaseInsensitive) == 0;
    }
    // Why a page may not open the live view's socket: it asks for another path, comes from
    // another site, is not logged in (without the public view), or too many pages are open.
    std::optional<std::pair<Status, QString>> upgradeRefusal(const QHttpServerRequest& request) {
        if (request.url().path() != QLatin1String("/ws"))
            return std::pair{Status::NotFound, webtext::kNotFound};
        if (!sameOrigin(request.value("Origin"), request.value("Host")))
            return std::pair{Status::Forbidden, webtext::kForeignOrigin};
        if (!canView(request))
            return std::pair{Status::Unauthorized, webtext::kLoginNeeded};
        if (clients_.size() >= kMaxPages)
            return std::pair{Status::ServiceUnavailable, webtext::kBusyVerifying};
        return std::nullopt;
    }

    // --- routes ---

    void route(const QHttpServerRequest& request, QTcpSocket* socket) {
        const QByteArray path = request.url().path(QUrl::FullyEncoded).toUtf8();
        const auto method = request.method();
        const bool get = method == QHttpServerRequest::Method::Get;
        const bool post = method == QHttpServerRequest::Method::Post;

        // The page itself holds nothing of the station.
        static const QHash<QByteArray, std::pair<QString, QByteArray>> files{
            {"/", {":/web/index.html", "text/html; charset=utf-8"}},
            {"/index.html", {":/web/index.html", "text/html; charset=utf-8"}},
            {"/app.js", {":/web/app.js", "text/javascript; charset=utf-8"}},
            {"/style.css", {":/web/style.css", "text/css; charset=utf-8"}},
            {"/icon.svg", {":/web/icon.svg", "image/svg+xml"}}};
        if (const auto it = files.constFind(path); it != files.constEnd()) {
            if (!get)
                return reply(request, socket, Status::MethodNotAllowed, webtext::kMethodNotAllowed);
            QFile file(it->first);
            file.open(QIODevice::ReadOnly);
            return reply(request, socket, Status::Ok, it->second, file.readAll());
        }
        if (path == "/api/session") {
            const auto s = session(request);
            return reply(request, socket, Status::Ok, "application/json",
                         json({{"loggedIn", s.has_value()},
                               {"token", s ? QString::fromLatin1(s->token) : QString()},
                               {"publicView", options_.publicView},
                               {"passwordSet", !options_.passwordHash.isEmpty()}}));
        }
        if (path == "/api/login") {
            if (!post)
                return reply(request, socket, Status::MethodNotAllowed, webtext::kMethodNotAllowed);
            return login(request, socket);
        }
        if (post && (path == "/api/logout" || path.startsWith("/api/command/") ||
                     path == "/api/tx-picture"))
            return command(request, socket, path);

        // Everything else shows the station: with a session or a public view, by GET.
        const bool known = path.startsWith("/api/") || path.startsWith("/gallery/") ||
                           path.startsWith("/catalog/");
        if (!known)
            return reply(request, socket, Status::NotFound, webtext::kNotFound);
        if (!get)
            return reply(request, socket, Status::MethodNotAllowed, webtext::kMethodNotAllowed);
        if (!canView(request))
            return reply(request, socket, Status::Unauthorized, webtext::kLoginNeeded);
        if (path == "/api/state")
            return reply(request, socket, Status::Ok, "application/json", json(stateJson()));
        if (path == "/api/gallery") {
            QJsonArray list;
            for (const web::GalleryEntry& entry : gallery_.entries())
                list.append(galleryJson(entry));
            return reply(request, socket, Status::Ok, "application/json",
                         QJsonDocument(list).toJson(QJsonDocument::Compact));
        }
        if (path == "/api/tx.png") {
            if (txPng_.isEmpty())
                txPng_ = encode(station_.snapshot().txPicture, "PNG");
            return reply(request, socket, Status::Ok, "image/png", txPng_);
        }
        if (path == "/api/rx.png") {
            if (rxPicture_.isNull())
                return reply(request, socket, Status::NotFound, webtext::kNotFound);
            return reply(request, socket, Status::Ok, "image/png", encode(rxPicture_, "PNG"));
        }
        if (path == "/api/catalog")
            return catalogPage(request, socket);
        if (path.startsWith("/catalog/"))
            return catalogPicture(request, socket, path.mid(9));
        if (path.startsWith("/gallery/"))
            return galleryPicture(request, socket, path.mid(9));
        return reply(request, socket, Status::NotFound, webtext::kNotFound);
    }

    void login(const QHttpServerRequest& request, QTcpSocket* socket) {
        if (!sameOrigin(request.value("Origin"), request.value("Host")))
            return reply(request, socket, Status::Forbidden, webtext::kForeignOrigin);
        // Counted before anything else is looked at: the sixth try of a minute is refused
        // whatever its password.
        if (!limiter_.admit(request.remoteAddress(), clock_.elapsed()))
            return reply(request, socket, Status::TooManyRequests, webtext::kTooManyLogins,
                         {{"Retry-After", "60"}});
        if (options_.passwordHash.isEmpty())
            return reply(request, socket, Status::Forbidden, webtext::kNoPasswordSet);
        const auto password = web::loginPassword(request.body(), request.value("Content-Type"));
        if (!password)
            return reply(request, socket, Status::BadRequest,
                         webtext::kBadRequest.arg(QStringLiteral("a login needs a password")));
        if (verifying_ >= kMaxVerifications)
            return reply(request, socket, Status::ServiceUnavailable, webtext::kBusyVerifying);
        // The hash is slow by design: it is checked on a thread of its own, and the answer goes
        // out when it is done, while lines and events keep flowing here.
        ++verifying_;
        auto responder = std::make_shared<QHttpServerResponder>(makeResponder(request, socket));
        QPointer<QTcpSocket> guard(socket);
        std::weak_ptr<int> alive = alive_;
        const QString hash = options_.passwordHash;
        const QByteArray secret = *password;
        verifier_.start([this, alive, hash, secret, responder, guard] {
            const bool right = web::PasswordHash::verify(hash, secret);
            if (alive.expired())
                return;
            QMetaObject::invokeMethod(
                this,
                [this, alive, right, responder, guard] {
                    if (alive.expired())
                        return;
                    --verifying_;
                    if (!guard)
                        return;
                    loggedIn(*responder, guard, right);
                },
                Qt::QueuedConnection);
        });
    }

    void loggedIn(QHttpServerResponder& responder, QTcpSocket* socket, bool right) {
        if (!right) {
            send(responder, socket, Status::Unauthorized, "application/json",
                 json({{"ok", false}, {"text", webtext::kWrongPassword}}), {});
            return;
        }
        const web::Sessions::Session s = sessions_.open(clock_.elapsed());
        QByteArray cookie = kSessionCookie + '=' + s.id +
                            "; Path=/; HttpOnly; SameSite=Strict; Max-Age=" +
                            QByteArray::number(options_.sessionLifetimeMs / 1000);
        if (options_.secureCookies)
            cookie += "; Secure";
        send(responder, socket, Status::Ok, "application/json",
             json({{"ok", true},
                   {"text", webtext::kLoggedIn},
                   {"token", QString::fromLatin1(s.token)}}),
             {{"Set-Cookie", cookie}});
    }

    void command(const QHttpServerRequest& request, QTcpSocket* socket, const QByteArray& path) {
        const QByteArray id = sessionId(request);
        if (!session(request))
            return reply(request, socket, Status::Unauthorized, webtext::kLoginNeeded);
        if (!sameOrigin(request.value("Origin"), request.value("Host")))
            return reply(request, socket, Status::Forbidden, webtext::kForeignOrigin);
        if (!sessions_.authorizes(id, request.value("X-CSRF-Token"), clock_.elapsed()))
            return reply(request, socket, Status::Forbidden, webtext::kBadToken);
        if (path == "/api/logout") {
            sessions_.close(id);
            closeEndedSessions();
            return reply(request, socket, Status::Ok, webtext::kLoggedOut,
                         {{"Set-Cookie", kSessionCookie + "=; Path=/; HttpOnly; SameSite=Strict; "
                                                          "Max-Age=0"}});
        }
        WebOutcome outcome;
        if (path == "/api/tx-picture") {
            const web::Upload upload = web::readUpload(request.body());
            if (upload.picture.isNull())
                return reply(request, socket, Status(upload.status), upload.error);
            outcome = station_.setTxPicture(upload.picture);
        } else {
            QString error;
            const QString name = QString::fromUtf8(path.mid(13));
            const auto c = web::parseCommand(name, request.body(), &error);
            if (!c)
                return reply(request, socket,
                             web::isCommandName(name) ? Status::BadRequest : Status::NotFound,
                             error);
            outcome = run(*c);
        }
        reply(request, socket, outcome.done ? Status::Ok : Status::Conflict, outcome.text);
    }

    WebOutcome run(const web::Command& c) {
        using Kind = web::Command::Kind;
        switch (c.kind) {
        case Kind::Send: {
            const auto modes = station_.snapshot().modes;
            const bool offered = std::any_of(modes.begin(), modes.end(), [&](const WebMode& m) {
                return m.shortName == c.mode;
            });
            if (!offered)
                return WebOutcome::refused(webtext::kUnknownMode.arg(c.mode));
            return station_.send(c.mode);
        }
        case Kind::RxStop:
            return station_.rxStop();
        case Kind::Beacon:
            return station_.setBeacon(c.on);
        case Kind::Repeater:
            return station_.setRepeater(c.on);
        case Kind::TxFromCatalog:
            return station_.setTxPictureFromCatalog(c.page, c.position);
        }
        return WebOutcome::refused(webtext::kNotFound);
    }

    void galleryPicture(const QHttpServerRequest& request, QTcpSocket* socket,
                        const QByteArray& encoded) {
        const auto name = web::galleryName(encoded);
        const QString file = name ? gallery_.file(*name) : QString();
        if (file.isEmpty())
            return reply(request, socket, Status::NotFound, webtext::kNotFound);
        if (request.query().hasQueryItem(QStringLiteral("thumb"))) {
            // Kept once made: twenty pages ask for the same thumbnails.
            const QString key = file + QLatin1Char('|') +
                                QString::number(QFileInfo(file).lastModified().toMSecsSinceEpoch());
            if (const QByteArray* cached = thumbnails_.object(key))
                return reply(request, socket, Status::Ok, "image/jpeg", *cached);
            QImageReader reader(file);
            const QSize size = reader.size();
            if (size.isValid() && size.width() > 0)
                reader.setScaledSize(QSize(160, std::max(1, size.height() * 160 / size.width())));
            const QImage thumb = reader.read();
            if (thumb.isNull())
                return reply(request, socket, Status::NotFound, webtext::kNotFound);
            const QByteArray bytes = encode(thumb, "JPEG", 80);
            thumbnails_.insert(key, new QByteArray(bytes), int(bytes.size() / 1024) + 1);
            return reply(request, socket, Status::Ok, "image/jpeg", bytes);
        }
        QFile f(file);
        if (!f.open(QIODevice::ReadOnly) || f.size() > 64 * 1024 * 1024)
            return reply(request, socket, Status::NotFound, webtext::kNotFound);
        reply(request, socket, Status::Ok, contentTypeOf(file), f.readAll());
    }

    void catalogPage(const QHttpServerRequest& request, QTcpSocket* socket) {
        bool ok = false;
        const int page = request.query().queryItemValue(QStringLiteral("page")).toInt(&ok);
        if (!ok || page < 0 || page >= kPageCount)
            return reply(request, socket, Status::BadRequest, webtext::kBadPosition);
        const CatalogStore store(folder_);
        QJsonArray positions;
        for (int k = 0; k < kPositionsPerPage; ++k)
            positions.append(!store.shownFile(CatalogPosition::general(page, k)).isEmpty());
        reply(request, socket, Status::Ok, "application/json",
              json({{"page", page}, {"present", positions}}));
    }

    void catalogPicture(const QHttpServerRequest& request, QTcpSocket* socket,
                        const QByteArray& rest) {
        const QList<QByteArray> parts = rest.split('/');
        bool okPage = false, okPosition = false;
        const int page = parts.value(0).toInt(&okPage);
        const int position = parts.value(1).toInt(&okPosition);
        if (parts.size() != 2 || !okPage || !okPosition || page < 0 || page >= kPageCount ||
            position < 0 || position >= kPositionsPerPage)
            return reply(request, socket, Status::NotFound, webtext::kNotFound);
        const CatalogStore store(folder_);
        const auto picture =
            store.read(CatalogPosition::general(page, position), CatalogStore::kShownSize);
        if (picture.image.isNull())
            return reply(request, socket, Status::NotFound, webtext::kNotFound);
        reply(request, socket, Status::Ok, "image/jpeg", encode(picture.image, "JPEG", 80));
    }

    // --- the live view ---

    QJsonObject stateJson() const {
        const WebSnapshot s = station_.snapshot();
        QJsonArray modes;
        for (const WebMode& m : s.modes)
            modes.append(QJsonObject{{"short", m.shortName}, {"name", m.displayName}});
        QJsonObject state{{"type", "state"},
                          {"kind", s.converterKind},
                          {"presence", presenceName(s.presence)},
                          {"status", s.status},
                          {"modes", modes},
                          {"beacon", s.beacon},
                          {"repeater", s.repeater},
                          {"txVersion", txVersion_}};
        if (s.reception)
            state.insert("reception", QJsonObject{{"mode", s.reception->mode},
                                                  {"airMs", s.reception->airMs},
                                                  {"leftMs", s.reception->leftMs}});
        else
            state.insert("reception", QJsonValue::Null);
        return state;
    }

    void connectStation() {
        const WebSnapshot s = station_.snapshot();
        rxPicture_ = s.rxPicture;
        rxRows_ = s.rxRows;
        connect(&station_, &WebStation::announced, this, [this](const QString& mode, int airMs) {
            rxRows_ = 0;
            broadcast(json({{"type", "announced"}, {"mode", mode}, {"airMs", airMs}}));
        });
        connect(&station_, &WebStation::line, this, &Impl::line);
        connect(&station_, &WebStation::stored, this, [this](const WebStoredPicture& p) {
            web::GalleryEntry entry = gallery_.entryOf(p.when, p.mode, p.files);
            entry.callsign = p.callsign;
            broadcast(json({{"type", "stored"}, {"entry", galleryJson(entry)}}));
        });
        connect(&station_, &WebStation::presence, this,
                [this](const QString& kind, WebPresence state) {
                    broadcast(json(
                        {{"type", "presence"}, {"kind", kind}, {"presence", presenceName(state)}}));
                });
        connect(&station_, &WebStation::status, this, [this](const QString& text) {
            broadcast(json({{"type", "status"}, {"text", text}}));
        });
        connect(&station_, &WebStation::txPicture, this, [this](const QImage&) {
            ++txVersion_;
            txPng_.clear();
            broadcast(json({{"type", "tx"}, {"version", txVersion_}}));
        });
        connect(&station_, &WebStation::beaconChanged, this, [this](bool on) {
            broadcast(json({{"type", "beacon"}, {"on", on}}));
        });
        connect(&station_, &WebStation::repeaterChanged, this, [this](bool on) {
            broadcast(json({{"type", "repeater"}, {"on", on}}));
        });
        connect(&station_, &WebStation::waterfall, this, [this](const QByteArray& magnitudes) {
            if (clients_.empty())
                return;
            QByteArray frame;
            frame.append(kWaterfallFrame);
            putWord(frame, int(std::min<qsizetype>(magnitudes.size(), 4096)));
            frame.append(magnitudes.left(4096));
            for (Client& c : clients_)
                sendDroppable(c, frame, false);
        });
    }

    void line(int row, const QImage& picture) {
        if (row < 0 || row >= picture.height())
            return;
        rxPicture_ = picture;
        rxRows_ = std::max(rxRows_, row + 1);
        if (clients_.empty())
            return;
        // One frame, shared by every page.
        const QByteArray frame = rowsFrame(picture, row, 1);
        for (Client& c : clients_)
            sendDroppable(c, frame, true);
    }

    // Lines and waterfall rows: left out for a page that is behind.
    void sendDroppable(Client& c, const QByteArray& frame, bool rows) {
        if (c.backlog > kBacklogBytes) {
            if (rows)
                c.behind = true;
            if (c.behindSinceMs < 0)
                c.behindSinceMs = clock_.elapsed();
            return;
        }
        c.backlog += c.socket->sendBinaryMessage(frame);
    }

    void sendText(Client& c, const QByteArray& text) {
        c.backlog += c.socket->sendTextMessage(QString::fromUtf8(text));
    }

    void broadcast(const QByteArray& text) {
        for (Client& c : clients_)
            sendText(c, text);
    }

    void catchUp(Client& c) {
        if (!c.behind || c.backlog > kBacklogBytes / 4)
            return;
        c.behind = false;
        c.behindSinceMs = -1;
        if (!rxPicture_.isNull() && rxRows_ > 0)
            c.backlog += c.socket->sendBinaryMessage(rowsFrame(rxPicture_, 0, rxRows_));
    }

    void takeWebSockets() {
        while (hasPendingWebSocketConnections()) {
            std::unique_ptr<QWebSocket> socket = nextPendingWebSocketConnection();
            if (!socket)
                continue;
            const QByteArray session =
                web::cookieValue(socket->request().rawHeader("Cookie"), kSessionCookie);
            clients_.push_back(Client{std::move(socket), 0, false, -1, {}});
            Client& c = clients_.back();
            c.session = session;
            QWebSocket* ws = c.socket.get();
            connect(ws, &QWebSocket::bytesWritten, this, [this, ws](qint64 n) {
                if (Client* client = find(ws)) {
                    client->backlog = std::max<qint64>(0, client->backlog - n);
                    if (client->backlog <= kBacklogBytes)
                        client->behindSinceMs = -1;
                    catchUp(*client);
                }
            });
            connect(ws, &QWebSocket::disconnected, this, [this, ws] { drop(ws); });
            sendText(c, json(stateJson()));
            if (!rxPicture_.isNull() && rxRows_ > 0)
                c.backlog += ws->sendBinaryMessage(rowsFrame(rxPicture_, 0, rxRows_));
        }
    }

    // Without the public view, a page sees the station only while its session lasts.
    void closeEndedSessions() {
        if (options_.publicView)
            return;
        std::vector<QWebSocket*> ended;
        for (Client& c : clients_) {
            if (!sessions_.find(c.session, clock_.elapsed()))
                ended.push_back(c.socket.get());
        }
        for (QWebSocket* ws : ended) {
            ws->close(QWebSocketProtocol::CloseCodePolicyViolated, webtext::kLoggedOut);
            drop(ws);
        }
    }

    Client* find(QWebSocket* ws) {
        for (Client& c : clients_) {
            if (c.socket.get() == ws)
                return &c;
        }
        return nullptr;
    }

    void drop(QWebSocket* ws) {
        for (auto it = clients_.begin(); it != clients_.end(); ++it) {
            if (it->socket.get() == ws) {
                it->socket->disconnect(this);
                it->socket.release()->deleteLater();
                clients_.erase(it);
                return;
            }
        }
    }

    void tick() {
        const qint64 now = clock_.elapsed();
        // Pages stuck behind are closed; the others hear a ping now and then, so that a page
        // that went away without a word is noticed.
        std::vector<QWebSocket*> stuck;
        for (Client& c : clients_) {
            if ((c.behindSinceMs >= 0 && now - c.behindSinceMs > options_.stuckPageMs) ||
                c.backlog > kHardBacklogBytes)
                stuck.push_back(c.socket.get());
            else if (now - lastPingMs_ >= 20000)
                c.socket->ping();
        }
        if (now - lastPingMs_ >= 20000)
            lastPingMs_ = now;
        for (QWebSocket* ws : stuck) {
            ws->abort();
            drop(ws);
        }
        closeEndedSessions();
        // HTTP connections that say nothing for long are closed; pages keep theirs busy with the
        // pings above.
        if (tcp_) {
            for (const QPointer<FaceSocket>& s : tcp_->sockets) {
                if (s && s->idleMs() > kIdleSocketMs && s->bytesToWrite() == 0)
                    s->abort();
            }
        }
    }

    WebStation& station_;
    WebOptions options_;
    web::Sessions sessions_;
    web::LoginLimiter limiter_;
    ProgramFolder folder_;
    web::Gallery gallery_;
    QElapsedTimer clock_;
    QThreadPool verifier_;
    int verifying_ = 0;
    std::shared_ptr<int> alive_ = std::make_shared<int>(0);
    QPointer<FaceTcpServer> tcp_;
    QTimer ticker_;
    qint64 lastPingMs_ = 0;
    QImage rxPicture_;
    int rxRows_ = 0;
    int txVersion_ = 1;
    QByteArray txPng_;
    QCache<QString, QByteArray> thumbnails_{4096}; // kilobytes
};

WebOptions WebOptions::fromStationConf(const QString& programFolder) {
    WebOptions options;
    const StationOptions conf = StationOptions::load(ProgramFolder(programFolder));
    options.passwordHash = conf.value(WebAccessChoice::kPasswordKey).trimmed();
    if (const auto listen = web::parseListen(conf.value(WebAccessChoice::kPortKey).trimmed()))
        options.listen = *listen;
    options.secureCookies = conf.flag(QStringLiteral("WebSecureCookies"));
    return options;
}

WebFace::WebFace(std::unique_ptr<Impl> impl)
    : impl_(std::move(impl)) {}

WebFace::~WebFace() = default;

std::unique_ptr<WebFace> WebFace::start(WebStation& station, const WebOptions& options,
                                        QString* error) {
    initWebResources();
    if (const QString why = refusal(options); !why.isEmpty()) {
        if (error)
            *error = why;
        return nullptr;
    }
    auto impl = std::make_unique<Impl>(station, options);
    if (!impl->listen(error))
        return nullptr;
    return std::unique_ptr<WebFace>(new WebFace(std::move(impl)));
}

QString WebFace::refusal(const WebOptions& options) {
    if (!options.listen.loopback() && options.passwordHash.isEmpty())
        return webtext::kNoPasswordForNetwork.arg(options.listen.text());
    return {};
}

web::Listen WebFace::listening() const {
    return impl_->listening_;
}

int WebFace::clientCount() const {
    return int(impl_->clients_.size());
}

} // namespace winorbis
