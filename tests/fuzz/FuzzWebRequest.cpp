// SPDX-License-Identifier: GPL-3.0-or-later
// Fuzz target for what the web face reads from a browser or a script: the listening address, the
// Cookie header, login and command bodies (JSON and forms), gallery names of request paths with
// their way to a file, the reception log the gallery reads, and uploaded pictures. The first byte
// chooses the reader, the rest is its input. Every reader gives a value or a refusal; a gallery
// name never leads outside the program folder (which holds a symbolic link out of it); an upload
// is a picture within the limits or refused with 413 or 415.
#include "FuzzSupport.h"

#include "web/WebGallery.h"
#include "web/WebRequest.h"

#include <QFile>
#include <QFileInfo>

using namespace winorbis;
using fuzz::check;

namespace {

// A program folder whose log names a picture inside, one outside and a link that leads outside.
const QString& programFolder() {
    static const QString folder = [] {
        const QString root = fuzz::scratchFolder();
        const QString station = root + QStringLiteral("/station");
        QDir().mkpath(station + QStringLiteral("/AutoSpeichern"));
        for (const QString& name : {root + QStringLiteral("/secret.jpg"),
                                    station + QStringLiteral("/AutoSpeichern/a.jpg")}) {
            QFile file(name);
            check(file.open(QIODevice::WriteOnly), "scratch picture written");
            file.write("x");
        }
        QFile::link(root + QStringLiteral("/secret.jpg"),
                    station + QStringLiteral("/AutoSpeichern/link.jpg"));
        QFile log(station + QStringLiteral("/AutoSpeichern/received.log"));
        check(log.open(QIODevice::WriteOnly), "scratch log written");
        for (const QString& file : {station + QStringLiteral("/AutoSpeichern/a.jpg"),
                                    station + QStringLiteral("/AutoSpeichern/link.jpg"),
                                    root + QStringLiteral("/secret.jpg"),
                                    station + QStringLiteral("/AutoSpeichern/../../secret.jpg")})
            log.write("2026-12-08T10:00:00Z\tMartin 1\t-\t" + file.toUtf8() + "\n");
        return station;
    }();
    return folder;
}

bool insideFolder(const QString& file) {
    const QString canonical = QFileInfo(programFolder()).canonicalFilePath();
    return file.startsWith(canonical + QLatin1Char('/')) &&
           QFileInfo(file).canonicalFilePath() == file;
}

void checkName(const QString& name) {
    check(!name.isEmpty() && !name.startsWith(QLatin1Char('/')), "a gallery name is relative");
    check(!name.contains(QLatin1Char('\\')), "a gallery name has no backslash");
    for (const QString& part : name.split(QLatin1Char('/')))
        check(part != QLatin1String("..") && part != QLatin1String("."),
              "a gallery name has no dot parts");
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    fuzz::application();
    programFolder();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    fuzz::InputReader in(data, size);
    const std::uint8_t which = in.byte();
    const QByteArray input = in.rest();
    switch (which % 7) {
    case 0: {
        const auto listen = web::parseListen(QString::fromUtf8(input));
        if (listen) {
            const auto again = web::parseListen(listen->text());
            check(again && again->text() == listen->text(), "a listening address reads back");
        }
        break;
    }
    case 1: {
        const QByteArray value = web::cookieValue(input, "wo_session");
        check(value.size() <= input.size() && (value.isEmpty() || input.contains(value)),
              "a cookie's value is part of its header");
        break;
    }
    case 2: {
        const bool form = input.size() % 2 == 0;
        const auto password = web::loginPassword(input, form ? "application/x-www-form-urlencoded"
                                                             : "application/json");
        check(!password || input.size() <= 4096, "a login body has a bound");
        break;
    }
    case 3: {
        // The command's name up to the first blank, its body after it.
        const qsizetype blank = input.indexOf(' ');
        const QString name = QString::fromUtf8(input.left(blank < 0 ? 0 : blank));
        QString error;
        const auto command = web::parseCommand(name, input.mid(blank + 1), &error);
        check(command.has_value() == error.isEmpty(), "a command or a reason");
        if (command) {
            check(web::isCommandName(name), "only known commands are read");
            check(command->page >= 0 && command->page <= 17 && command->position >= 0 &&
                      command->position <= 24,
                  "a catalog position within the catalog");
        }
        break;
    }
    case 4: {
        const auto name = web::galleryName(input);
        if (!name)
            break;
        checkName(*name);
        const QString file = web::Gallery(programFolder()).file(*name);
        check(file.isEmpty() || insideFolder(file), "a gallery file lies inside the folder");
        check(!file.endsWith(QLatin1String("secret.jpg")), "nothing outside the folder is served");
        break;
    }
    case 5: {
        const web::Gallery gallery(programFolder());
        for (const web::GalleryEntry& entry : gallery.parse(input, 50)) {
            checkName(entry.name);
            check(entry.when.isValid(), "a gallery entry has its time");
        }
        break;
    }
    case 6: {
        const web::Upload upload = web::readUpload(input);
        check(upload.status == 200 || upload.status == 413 || upload.status == 415,
              "an upload is taken or refused with 413 or 415");
        check(upload.picture.isNull() == (upload.status != 200), "a picture exactly when taken");
        check(upload.picture.width() <= web::kMaxUploadSide &&
                  upload.picture.height() <= web::kMaxUploadSide,
              "a picture within the size limit");
        break;
    }
    }
    return 0;
}
