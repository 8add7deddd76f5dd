// SPDX-License-Identifier: GPL-3.0-or-later
// The web face's parts: what it reads from requests, its sessions, tokens and login limit, the
// gallery's path safety, the setup window's web access, and the face on the in-memory station
// (start-up refusals, a page that stops reading). The page itself is tested in a real browser
// (browser-test.js).
#include "FakeWebStation.h"

#include "settings/StationOptions.h"
#include "web/WebAccess.h"
#include "web/WebFace.h"
#include "web/WebGallery.h"
#include "web/WebRequest.h"
#include "web/WebSecurity.h"

#include <QBuffer>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QTcpSocket>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace winorbis;
using namespace winorbis::web;

namespace {

TEST(WebRequest, ListeningAddresses) {
    struct Case {
        const char* text;
        const char* parsed; // empty: refused
        bool loopback;
    };
    const Case cases[] = {
        {"8070", "127.0.0.1:8070", true},
        {"0", "127.0.0.1:0", true},
        {"localhost:9000", "127.0.0.1:9000", true},
        {"0.0.0.0:80", "0.0.0.0:80", false},
        {"192.168.1.20:8080", "192.168.1.20:8080", false},
        {"[::1]:8080", "[::1]:8080", true},
        {"[::]:8080", "[::]:8080", false},
        {"", "", false},
        {"http", "", false},
        {"70000", "", false},
        {"-1", "", false},
        {" 80", "", false},
        {"1.2.3.4:", "", false},
        {"1.2.3.4:80x", "", false},
        {"::1:80", "", false},
        {"[::1]8080", "", false},
        {"[1.2.3.4]:80", "", false},
        {"example.org:80", "", false},
    };
    for (const Case& c : cases) {
        const auto listen = parseListen(QString::fromLatin1(c.text));
        EXPECT_EQ(listen ? listen->text() : QString(), QString::fromLatin1(c.parsed)) << c.text;
        if (listen) {
            EXPECT_EQ(listen->loopback(), c.loopback) << c.text;
        }
    }
}

TEST(WebRequest, CookiesJsonAndLogins) {
    EXPECT_EQ(cookieValue("a=1; wo_session=abc; b=2", "wo_session"), "abc");
    EXPECT_EQ(cookieValue("wo_session=\"q\"", "wo_session"), "q");
    EXPECT_EQ(cookieValue("xwo_session=1; wo_session = 2", "wo_session"), "2");
    EXPECT_EQ(cookieValue("wo_session", "wo_session"), "");
    EXPECT_EQ(cookieValue(";;=;", "wo_session"), "");

    EXPECT_TRUE(parseJsonObject("{}"));
    EXPECT_TRUE(parseJsonObject(""));
    EXPECT_FALSE(parseJsonObject("[1]"));
    EXPECT_FALSE(parseJsonObject("{"));
    EXPECT_FALSE(parseJsonObject(QByteArray(40, '[') + QByteArray(40, ']')));
    EXPECT_FALSE(parseJsonObject("{\"a\":\"" + QByteArray(20000, 'x') + "\"}"));

    EXPECT_EQ(loginPassword(R"({"password":"pässword 1"})", "application/json"),
              QByteArray("p\xc3\xa4ssword 1"));
    EXPECT_EQ(loginPassword("password=a%20b%26c&x=1", "application/x-www-form-urlencoded"),
              QByteArray("a b&c"));
    EXPECT_FALSE(loginPassword(R"({"password":12})", "application/json"));
    EXPECT_FALSE(loginPassword("pass=1", "application/x-www-form-urlencoded"));
    EXPECT_FALSE(loginPassword(QByteArray(5000, 'a'), "application/json"));
}

TEST(WebRequest, Commands) {
    struct Case {
        const char* name;
        const char* body;
        bool valid;
    };
    const Case cases[] = {
        {"send", R"({"mode":"M1"})", true},
        {"send", R"({})", false},
        {"send", R"({"mode":7})", false},
        {"send", R"({"mode":"MMMMMMMMMMMMMMMMMMMM"})", false},
        {"rx-stop", "", true},
        {"rx-stop", "not json", false},
        {"beacon", R"({"on":true})", true},
        {"beacon", R"({"on":"yes"})", false},
        {"repeater", R"({"on":false})", true},
        {"tx-catalog", R"({"page":17,"position":24})", true},
        {"tx-catalog", R"({"page":18,"position":0})", false},
        {"tx-catalog", R"({"page":0,"position":-1})", false},
        {"tx-catalog", R"({"page":1.5,"position":2})", false},
        {"tx-catalog", R"({"page":"1","position":2})", false},
        {"reboot", "{}", false},
    };
    for (const Case& c : cases) {
        QString error;
        const auto command = parseCommand(QString::fromLatin1(c.name), c.body, &error);
        EXPECT_EQ(command.has_value(), c.valid) << c.name << " " << c.body;
        EXPECT_EQ(error.isEmpty(), c.valid) << c.name << " " << c.body;
    }
    const auto catalog = parseCommand("tx-catalog", R"({"page":3,"position":9})", nullptr);
    ASSERT_TRUE(catalog);
    EXPECT_EQ(catalog->kind, Command::Kind::TxFromCatalog);
    EXPECT_EQ(catalog->page * 100 + catalog->position, 309);
    EXPECT_TRUE(isCommandName("rx-stop"));
    EXPECT_FALSE(isCommandName("reboot"));
}

TEST(WebRequest, GalleryNames) {
    const std::pair<const char*, const char*> cases[] = {
        {"AutoSpeichern/081226_155030.jpg", "AutoSpeichern/081226_155030.jpg"},
        {"AutoSpeichern/a%20b.jpg", "AutoSpeichern/a b.jpg"},
        {"Kleinbilder/Bild3.bmp", "Kleinbilder/Bild3.bmp"},
        {"", nullptr},
        {"../station.conf", nullptr},
        {"%2e%2e/station.conf", nullptr},
        {"AutoSpeichern/../../etc/passwd", nullptr},
        {"AutoSpeichern/./a.jpg", nullptr},
        {"/etc/passwd", nullptr},
        {"%2Fetc%2Fpasswd", nullptr},
        {"AutoSpeichern//a.jpg", nullptr},
        {"AutoSpeichern\\a.jpg", nullptr},
        {"AutoSpeichern%5C..%5Ca.jpg", nullptr},
        {"a%00.jpg", nullptr},
        {"a%0a.jpg", nullptr},
        {"%ff%fe.jpg", nullptr},
    };
    for (const auto& [encoded, name] : cases) {
        const auto got = galleryName(encoded);
        EXPECT_EQ(got.value_or(QStringLiteral("(none)")),
                  name ? QString::fromUtf8(name) : QStringLiteral("(none)"))
            << encoded;
    }
}

QByteArray encoded(const QImage& picture, const char* format) {
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    picture.save(&buffer, format);
    return bytes;
}

TEST(WebRequest, Uploads) {
    QImage picture(40, 30, QImage::Format_RGB32);
    picture.fill(Qt::red);
    const QByteArray png = encoded(picture, "PNG");
    struct Case {
        const char* what;
        QByteArray body;
        int status;
    };
    const Case cases[] = {
        {"PNG", png, 200},
        {"JPEG", encoded(picture, "JPEG"), 200},
        {"BMP", encoded(picture, "BMP"), 200},
        {"GIF", QByteArray("GIF89a\x28\x00\x1e\x00\x00\x00\x00;", 14), 415},
        {"text", "hello, this is no picture", 415},
        {"empty", {}, 415},
        {"a PNG cut short", png.left(png.size() / 2), 415},
        {"a PNG with its pixels spoilt", png.left(40) + QByteArray(png.size() - 40, 'x'), 415},
        {"wider than allowed", encoded(QImage(kMaxUploadSide + 1, 1, QImage::Format_RGB32), "BMP"),
         413},
        {"more than 10 MB", png + QByteArray(kMaxUploadBytes, '\0'), 413},
    };
    for (const Case& c : cases) {
        const Upload upload = readUpload(c.body);
        EXPECT_EQ(upload.status, c.status) << c.what;
        EXPECT_EQ(upload.picture.isNull(), c.status != 200) << c.what;
        EXPECT_EQ(upload.error.isEmpty(), c.status == 200) << c.what;
    }
    EXPECT_EQ(readUpload(png).picture.pixel(20, 15), QColor(Qt::red).rgb());
}

TEST(WebSecurity, PasswordHashes) {
    const auto hash = PasswordHash::make("correct horse battery");
    ASSERT_TRUE(hash);
    EXPECT_TRUE(hash->startsWith("$argon2id$"));
    EXPECT_FALSE(hash->contains("correct"));
    EXPECT_TRUE(PasswordHash::looksValid(*hash));
    EXPECT_TRUE(PasswordHash::verify(*hash, "correct horse battery"));
    EXPECT_FALSE(PasswordHash::verify(*hash, "correct horse batter"));
    EXPECT_NE(PasswordHash::make("correct horse battery"), hash) << "each hash has its own salt";
    for (const QString& bad : {QString(), QStringLiteral("secret"), QStringLiteral("$argon2id$"),
                               QString(hash->left(hash->size() - 3))})
        EXPECT_FALSE(PasswordHash::verify(bad, "correct horse battery")) << bad.toStdString();
}

TEST(WebSecurity, SessionsAndTokens) {
    Sessions sessions(1000);
    const Sessions::Session a = sessions.open(0);
    const Sessions::Session b = sessions.open(500);
    EXPECT_EQ(a.id.size(), 64);
    EXPECT_NE(a.id, b.id);
    EXPECT_NE(a.id, a.token);
    EXPECT_TRUE(sessions.authorizes(a.id, a.token, 999));
    EXPECT_FALSE(sessions.authorizes(a.id, b.token, 999)) << "a token is bound to its session";
    EXPECT_FALSE(sessions.authorizes(a.id, {}, 999));
    EXPECT_FALSE(sessions.authorizes(a.id, a.token.left(63), 999));
    EXPECT_FALSE(sessions.authorizes(a.token, a.id, 999));
    EXPECT_FALSE(sessions.find(a.id, 1000)) << "expired";
    EXPECT_TRUE(sessions.find(b.id, 1000));
    sessions.close(b.id);
    EXPECT_FALSE(sessions.find(b.id, 1000)) << "logged out";
    EXPECT_FALSE(sessions.find("", 0));

    EXPECT_TRUE(sameToken("abc", "abc"));
    EXPECT_FALSE(sameToken("abc", "abd"));
    EXPECT_FALSE(sameToken("abc", "abcd"));
    EXPECT_FALSE(sameToken("", ""));

    // The oldest session gives way when too many are open.
    Sessions many(1000000);
    const Sessions::Session first = many.open(0);
    for (int i = 1; i <= Sessions::kMaxSessions; ++i)
        many.open(i);
    EXPECT_EQ(many.count(), Sessions::kMaxSessions);
    EXPECT_FALSE(many.find(first.id, 100));
}

TEST(WebSecurity, LoginLimit) {
    LoginLimiter limiter;
    const QHostAddress one(QStringLiteral("192.0.2.1"));
    const QHostAddress other(QStringLiteral("192.0.2.2"));
    for (int i = 0; i < LoginLimiter::kTries; ++i)
        EXPECT_TRUE(limiter.admit(one, i * 1000)) << i;
    EXPECT_FALSE(limiter.admit(one, 10000)) << "the sixth in a minute";
    EXPECT_FALSE(limiter.admit(QHostAddress(QStringLiteral("::ffff:192.0.2.1")), 10000))
        << "the same address through an IPv6 socket";
    EXPECT_TRUE(limiter.admit(other, 10000)) << "each address has its own count";
    EXPECT_TRUE(limiter.admit(one, LoginLimiter::kWindowMs)) << "the first try has left the minute";
    EXPECT_FALSE(limiter.admit(one, LoginLimiter::kWindowMs + 1));
}

// A program folder with a reception log naming pictures inside and outside it.
class GalleryTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(dir_.isValid());
        folder_ = dir_.path() + "/station";
        outside_ = dir_.path() + "/secret.jpg";
        QDir().mkpath(folder_ + "/AutoSpeichern");
        write(outside_, "secret");
        write(folder_ + "/AutoSpeichern/a.jpg", "a");
        write(folder_ + "/Kleinbilder/Bild1.bmp", "slot");
        QFile::link(outside_, folder_ + "/AutoSpeichern/link.jpg");
        const QByteArray log =
            "2026-12-08T10:00:00Z\tMartin 1\t" + folder_.toUtf8() + "/Kleinbilder/Bild1.bmp\t" +
            folder_.toUtf8() + "/AutoSpeichern/a.jpg\tDL1ABC\n" +
            "2026-12-08T11:00:00Z\tRobot 36\t-\t" + outside_.toUtf8() + "\n" +
            "2026-12-08T12:00:00Z\tScottie 1\t-\t" + folder_.toUtf8() +
            "/AutoSpeichern/link.jpg\n" + "2026-12-08T13:00:00Z\t-\t" + folder_.toUtf8() +
            "/Kleinbilder/Bild1.bmp\t-\n" + "not a line\n" + "2026-12-08T14:00:00Z\tMartin 2\t-\t" +
            folder_.toUtf8() + "/AutoSpeichern/../../secret.jpg\n";
        write(folder_ + "/AutoSpeichern/received.log", log);
    }
    static void write(const QString& path, const QByteArray& bytes) {
        QDir().mkpath(QFileInfo(path).path());
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(bytes);
    }

    QTemporaryDir dir_;
    QString folder_, outside_;
};

TEST_F(GalleryTest, NamesOnlyWhatTheLogNamesInsideTheFolder) {
    const Gallery gallery(folder_);
    const QList<GalleryEntry> entries = gallery.entries();
    QStringList names;
    for (const GalleryEntry& e : entries)
        names << e.mode + ":" + e.name + (e.callsign.isEmpty() ? "" : " " + e.callsign);
    // Newest first; the JPEG copy before the slot file; nothing outside the folder; the callsign
    // sent in FSK after a picture.
    EXPECT_EQ(names, QStringList({":Kleinbilder/Bild1.bmp", "Scottie 1:AutoSpeichern/link.jpg",
                                  "Martin 1:AutoSpeichern/a.jpg DL1ABC"}));

    const QString canonical = QFileInfo(folder_).canonicalFilePath();
    const std::pair<const char*, QString> files[] = {
        {"AutoSpeichern/a.jpg", canonical + "/AutoSpeichern/a.jpg"},
        {"Kleinbilder/Bild1.bmp", canonical + "/Kleinbilder/Bild1.bmp"},
        {"AutoSpeichern/link.jpg", {}}, // named, but a link out of the folder
        {"AutoSpeichern/received.log", {}},
        {"../secret.jpg", {}},
        {"secret.jpg", {}},
        {"", {}},
    };
    for (const auto& [name, file] : files)
        EXPECT_EQ(gallery.file(QString::fromUtf8(name)), file) << name;

    const GalleryEntry stored =
        gallery.entryOf(QDateTime::currentDateTimeUtc(), "Martin 1",
                        {folder_ + "/Kleinbilder/Bild2.bmp", folder_ + "/AutoSpeichern/b.jpg"});
    EXPECT_EQ(stored.name, "AutoSpeichern/b.jpg");
    EXPECT_EQ(gallery.entryOf({}, {}, {outside_}).name, "");
}

TEST(WebFaceStart, RefusesOtherMachinesWithoutAPassword) {
    QTemporaryDir dir;
    FakeWebStation station(dir.path());
    struct Case {
        const char* listen;
        bool password;
        bool starts;
    };
    const Case cases[] = {{"127.0.0.1:0", false, true},
                          {"[::1]:0", false, true},
                          {"0.0.0.0:0", false, false},
                          {"[::]:0", false, false},
                          {"0.0.0.0:0", true, true}};
    for (const Case& c : cases) {
        WebOptions options;
        options.listen = *parseListen(QString::fromLatin1(c.listen));
        options.passwordHash = c.password ? QStringLiteral("$argon2id$v=19$m=1,t=1,p=1$x$y") : "";
        QString error;
        const auto face = WebFace::start(station, options, &error);
        EXPECT_EQ(face != nullptr, c.starts) << c.listen;
        EXPECT_EQ(error.isEmpty(), c.starts) << c.listen << " " << error.toStdString();
        if (face) {
            EXPECT_NE(face->listening().port, 0);
        }
    }
}

TEST(WebFaceStart, OptionsOfStationConf) {
    QTemporaryDir dir;
    QFile conf(dir.path() + "/station.conf");
    ASSERT_TRUE(conf.open(QIODevice::WriteOnly));
    conf.write("CallsignInsert=1\nWebPassword=$argon2id$v=19$m=65536,t=2,p=1$c2FsdA$aGFzaA\n"
               "WebPort=[::]:9000\nWebSecureCookies=1\n");
    conf.close();
    const WebOptions options = WebOptions::fromStationConf(dir.path());
    EXPECT_EQ(options.passwordHash, "$argon2id$v=19$m=65536,t=2,p=1$c2FsdA$aGFzaA");
    EXPECT_EQ(options.listen.text(), "[::]:9000");
    EXPECT_TRUE(options.secureCookies);
    EXPECT_FALSE(options.publicView);
    // Nothing set: 127.0.0.1:8070, no password.
    const WebOptions none = WebOptions::fromStationConf(dir.path() + "/none");
    EXPECT_EQ(none.listen.text(), "127.0.0.1:8070");
    EXPECT_TRUE(none.passwordHash.isEmpty());
}

// The setup window's "Web access": what may be kept, and what goes into station.conf.
TEST(WebAccess, ChoicesAreCheckedAndKeptWithThePasswordsHashOnly) {
    struct Case {
        bool on;
        const char* port;
        bool passwordSet;
        const char* newPassword;
        const char* problem; // a part of the reason; empty: kept
    };
    const Case cases[] = {
        {true, "", false, "", ""},
        {true, "8071", false, "", ""},
        {true, "localhost:8071", false, "", ""},
        {true, "[::1]:8071", false, "", ""},
        {true, "0.0.0.0:8070", true, "", ""},
        {true, "0.0.0.0:8070", false, "correct horse", ""},
        {false, "0.0.0.0:8070", false, "", ""}, // off: kept for later
        {true, "0.0.0.0:8070", false, "", "only with a password"},
        {true, "[::]:8070", false, "", "only with a password"},
        {true, "0", false, "", "no listening address"},
        {false, "http://x", false, "", "no listening address"},
        {true, "8070", false, "short", "at least 8"},
    };
    for (const Case& c : cases) {
        WebAccessChoice choice;
        choice.on = c.on;
        choice.port = QString::fromLatin1(c.port);
        choice.passwordHash = c.passwordSet ? QStringLiteral("$argon2id$v=19$m=1,t=1,p=1$x$y") : "";
        const QString problem = choice.problem(c.newPassword);
        EXPECT_EQ(problem.isEmpty(), !*c.problem) << c.port << " " << problem.toStdString();
        EXPECT_TRUE(problem.contains(QString::fromLatin1(c.problem))) << problem.toStdString();
    }

    // Kept: the keys, the password as its hash, which verifies; read back the same.
    StationOptions options = StationOptions::fromText("CallsignInsert=1\n");
    WebAccessChoice choice;
    choice.on = true;
    choice.port = "0.0.0.0:9000";
    ASSERT_EQ(choice.setPassword("correct horse battery"), "");
    choice.writeTo(options);
    const QByteArray text = options.toText();
    EXPECT_TRUE(text.contains("\nCallsignInsert=1\nWebAccess=1\nWebPort=0.0.0.0:9000\n"
                              "WebPassword=$argon2id$"))
        << text.toStdString();
    EXPECT_FALSE(text.contains("horse"));
    EXPECT_TRUE(PasswordHash::verify(choice.passwordHash, "correct horse battery"));
    EXPECT_EQ(WebAccessChoice::fromOptions(StationOptions::fromText(text)), choice);
    // No password: no empty line for one.
    StationOptions bare;
    WebAccessChoice{}.writeTo(bare);
    EXPECT_TRUE(bare.toText().endsWith("\nWebAccess=0\nWebPort=\n")) << bare.toText().toStdString();
}

// A page of the live view on a plain socket, so that a test decides when it reads.
struct RawPage {
    QTcpSocket socket;
    QByteArray handshake;

    bool open(const WebFace& face) {
        socket.connectToHost(QHostAddress::LocalHost, face.listening().port);
        if (!socket.waitForConnected(5000))
            return false;
        const QByteArray host = "127.0.0.1:" + QByteArray::number(face.listening().port);
        socket.write("GET /ws HTTP/1.1\r\nHost: " + host +
                     "\r\nUpgrade: websocket\r\nConnection: Upgrade\r\n"
                     "Sec-WebSocket-Key: dGhlIHNhbXBsZSBub25jZQ==\r\nSec-WebSocket-Version: 13\r\n"
                     "Origin: http://" +
                     host + "\r\n\r\n");
        const int before = face.clientCount();
        QElapsedTimer waited;
        waited.start();
        while (face.clientCount() == before && waited.elapsed() < 5000) {
            QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
            handshake += socket.readAll();
        }
        return face.clientCount() > before && handshake.startsWith("HTTP/1.1 101");
    }
};

// The face with the public view on an in-memory station.
struct LiveFace {
    QTemporaryDir dir;
    FakeWebStation station{dir.path()};
    std::unique_ptr<WebFace> face;

    explicit LiveFace(qint64 stuckPageMs = 15000) {
        WebOptions options;
        options.listen = *parseListen("127.0.0.1:0");
        options.publicView = true;
        options.stuckPageMs = stuckPageMs;
        face = WebFace::start(station, options, nullptr);
    }
    // Pictures of width x 256 pixels, their lines delivered at once.
    void pictures(int count, int width) {
        for (int p = 0; p < count; ++p) {
            station.announce("Martin 1", 1000, {width, 256});
            for (int row = 0; row < 256; ++row) {
                station.deliverLine(row);
                QCoreApplication::processEvents();
            }
        }
    }
};

// A page that opens the live view and then stops reading: its lines are dropped while it is
// behind, and once it reads again it gets the whole picture in one frame.
TEST(WebFaceLive, APageThatStopsReadingCatchesUpWithTheWholePicture) {
    LiveFace live;
    ASSERT_TRUE(live.face);
    RawPage raw;
    ASSERT_TRUE(raw.open(*live.face));
    QTcpSocket& page = raw.socket;
    QByteArray received;
    QElapsedTimer waited;

    // The page reads nothing while 24 wide pictures come in (more than the system's socket buffers
    // hold).
    page.setReadBufferSize(1);
    constexpr int kWidth = 2000, kRows = 256, kPictures = 24;
    live.pictures(kPictures, kWidth);
    const qint64 everyLine = qint64(kPictures) * kRows * (kWidth * 3 + 9);

    // Now it reads: fewer bytes than all the lines arrive, and the last rows frame is the whole
    // picture.
    page.setReadBufferSize(0);
    received.clear();
    waited.restart();
    qint64 quietSince = 0;
    while (waited.elapsed() - quietSince < 1000 && waited.elapsed() < 20000) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
        page.waitForReadyRead(20);
        const QByteArray chunk = page.readAll();
        if (!chunk.isEmpty())
            quietSince = waited.elapsed();
        received += chunk;
    }
    EXPECT_LT(received.size(), everyLine / 2);
    // The frames: FIN + binary opcode, then a 16- or 64-bit length.
    int lastFirst = -1, lastCount = -1, frames = 0;
    for (qsizetype at = 0; at + 2 <= received.size();) {
        const auto b1 = quint8(received[at + 1]) & 0x7f;
        qsizetype header = 2, length = b1;
        if (b1 == 126) {
            length = (quint8(received[at + 2]) << 8) | quint8(received[at + 3]);
            header = 4;
        } else if (b1 == 127) {
            length = 0;
            for (int i = 0; i < 8; ++i)
                length = (length << 8) | quint8(received[at + 2 + i]);
            header = 10;
        }
        if (at + header + length > received.size())
            break;
        const QByteArray payload = received.mid(at + header, length);
        if ((quint8(received[at]) & 0x0f) == 2 && payload.size() >= 9 && payload[0] == 1) {
            lastFirst = quint8(payload[5]) | (quint8(payload[6]) << 8);
            lastCount = quint8(payload[7]) | (quint8(payload[8]) << 8);
            ++frames;
        }
        at += header + length;
    }
    EXPECT_GT(frames, 0);
    EXPECT_EQ(lastFirst, 0);
    EXPECT_EQ(lastCount, kRows);
}

// A page that stays stuck is closed; the other pages keep their view.
TEST(WebFaceLive, APageThatStaysStuckIsClosed) {
    LiveFace live(1000);
    ASSERT_TRUE(live.face);
    RawPage stuck, reading;
    ASSERT_TRUE(stuck.open(*live.face));
    ASSERT_TRUE(reading.open(*live.face));
    stuck.socket.setReadBufferSize(1);
    live.pictures(24, 2000);
    QElapsedTimer waited;
    waited.start();
    while (live.face->clientCount() > 1 && waited.elapsed() < 10000) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
        reading.socket.readAll();
    }
    EXPECT_EQ(live.face->clientCount(), 1);
    EXPECT_EQ(reading.socket.state(), QAbstractSocket::ConnectedState);
}

} // namespace
