// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

namespace winorbis::webtext {

// The texts of the web face as the operator reads them: on the page, in answers to a browser or a
// script, and on standard error when the face cannot start.

// Starting.
inline const QString kBadListen =
    QStringLiteral("%1 is no listening address: give PORT, ADDRESS:PORT or [IPv6]:PORT");
inline const QString kNoPasswordForNetwork =
    QStringLiteral("The web face listens on %1 only with a password: set one with "
                   "\"orbisctl web-password\", or listen on 127.0.0.1");
inline const QString kCannotListen = QStringLiteral("The web face cannot listen on %1: %2");
inline const QString kListening = QStringLiteral("Web face on http://%1/");
inline const QString kFaceOff = QStringLiteral("Web face off");
inline const QString kCommandLineFace = QStringLiteral(
    "Web access is kept in station.conf; the web face of --web runs on for this run");

// Answers to requests (the page shows them).
inline const QString kNotFound = QStringLiteral("Not found");
inline const QString kLoginNeeded = QStringLiteral("Log in first");
inline const QString kBadToken = QStringLiteral("The request lacks its session's token");
inline const QString kWrongPassword = QStringLiteral("Wrong password");
inline const QString kNoPasswordSet =
    QStringLiteral("No password is set: \"orbisctl web-password\" sets one");
inline const QString kTooManyLogins =
    QStringLiteral("Too many logins from this address: wait a minute");
inline const QString kLoggedIn = QStringLiteral("Logged in");
inline const QString kLoggedOut = QStringLiteral("Logged out");
inline const QString kBadRequest = QStringLiteral("Bad request: %1");
inline const QString kMethodNotAllowed = QStringLiteral("Method not allowed");
inline const QString kTooLarge = QStringLiteral("The picture is larger than 10 MB");
inline const QString kNotAPicture =
    QStringLiteral("The file is no BMP, JPEG or PNG picture that can be read");
inline const QString kPictureTooWide = QStringLiteral("The picture is larger than %1 x %2 pixels");
inline const QString kUnknownCommand = QStringLiteral("Unknown command %1");
inline const QString kUnknownMode = QStringLiteral("The converter offers no mode %1");
inline const QString kBadPosition =
    QStringLiteral("A catalog position is a page from 0 to 17 and a position from 0 to 24");
inline const QString kBusyVerifying = QStringLiteral("Busy: try again in a moment");
inline const QString kForeignOrigin = QStringLiteral("The request comes from another site");

// The answer of orbisctl web-password.
inline const QString kPasswordStored = QStringLiteral("The web password is stored in %1");
inline const QString kPasswordsDiffer = QStringLiteral("The two passwords differ");
inline const QString kPasswordTooShort = QStringLiteral("A web password has at least 8 characters");
inline const QString kPasswordPrompt = QStringLiteral("Web password: ");
inline const QString kPasswordAgain = QStringLiteral("The same again: ");
inline const QString kPasswordNotFromTerminal =
    QStringLiteral("standard input is no terminal: give --stdin to read the password from it");
inline const QString kHashFailed = QStringLiteral("The password cannot be hashed: %1");

} // namespace winorbis::webtext
