// SPDX-License-Identifier: GPL-3.0-or-later
#include "WebPassword.h"
#include "Orbisctl.h"

#include "platform/ProgramFolder.h"
#include "settings/StationOptions.h"
#include "web/WebAccess.h"
#include "web/WebSecurity.h"
#include "web/WebTexts.h"

#include <QDir>

#include <termios.h>
#include <unistd.h>

namespace winorbis {

namespace {

// One line of in, without its line end; none at the end of the input.
std::optional<QByteArray> readLine(std::FILE* in) {
    QByteArray line;
    int c;
    while ((c = std::fgetc(in)) != EOF && c != '\n') {
        line.append(char(c));
        if (line.size() > 4096)
            return std::nullopt;
    }
    if (c == EOF && line.isEmpty())
        return std::nullopt;
    if (line.endsWith('\r'))
        line.chop(1);
    return line;
}

// A line from the terminal with its echo off, the prompt on err.
std::optional<QByteArray> readHidden(std::FILE* in, std::FILE* err, const QString& prompt) {
    std::fputs(qPrintable(prompt), err);
    std::fflush(err);
    const int fd = fileno(in);
    termios saved{};
    const bool terminal = tcgetattr(fd, &saved) == 0;
    if (terminal) {
        termios quiet = saved;
        quiet.c_lflag &= ~tcflag_t(ECHO);
        tcsetattr(fd, TCSAFLUSH, &quiet);
    }
    const auto line = readLine(in);
    if (terminal)
        tcsetattr(fd, TCSAFLUSH, &saved);
    std::fputs("\n", err);
    return line;
}

} // namespace

int runWebPassword(const ProgramFolder& folder, const QStringList& arguments, std::FILE* in,
                   std::FILE* out, std::FILE* err) {
    bool fromStdin = false;
    for (const QString& a : arguments) {
        if (a == "--stdin")
            fromStdin = true;
        else
            return usageError(err, QStringLiteral("web-password takes only --stdin; the password "
                                                  "comes from standard input"));
    }
    std::optional<QByteArray> password;
    if (fromStdin) {
        password = readLine(in);
    } else {
        if (!isatty(fileno(in)))
            return usageError(err, webtext::kPasswordNotFromTerminal);
        password = readHidden(in, err, webtext::kPasswordPrompt);
        const auto again = readHidden(in, err, webtext::kPasswordAgain);
        if (password && again && *password != *again)
            return usageError(err, webtext::kPasswordsDiffer);
    }
    if (!password || !webPasswordProblem(*password).isEmpty())
        return usageError(err, webtext::kPasswordTooShort);
    QString why;
    const auto hash = web::PasswordHash::make(*password, &why);
    password->fill('\0');
    if (!hash) {
        std::fprintf(err, "orbisctl: %s\n", qPrintable(webtext::kHashFailed.arg(why)));
        return 1;
    }
    if (const QString problem = StationOptions::store(folder, WebAccessChoice::kPasswordKey, *hash);
        !problem.isEmpty()) {
        std::fprintf(err, "orbisctl: %s\n", qPrintable(problem));
        return 1;
    }
    std::fprintf(out, "%s\n",
                 qPrintable(webtext::kPasswordStored.arg(
                     QDir::toNativeSeparators(folder.path(StationOptions::kFileName)))));
    return 0;
}

} // namespace winorbis
