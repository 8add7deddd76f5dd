// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>
#include <QStringList>

namespace winorbis {

// The program's command line: winorbis [--folder DIR] [--port DEVICE | --simulate | --sound-card]
// [--verbose] [--web [ADDRESS:]PORT [--public-view]] [--help] [--version].
struct CommandLine {
    bool help = false;
    bool version = false;
    QString folder; // empty: the current directory
    QString port;   // the converter's device for this run
    bool simulate = false;
    bool soundCard = false;  // the built-in converter on the sound card
    bool verbose = false;    // every step of the built-in converter on standard error
    QString web;             // [ADDRESS:]PORT of the web face, empty: as station.conf says
    bool publicView = false; // the web face's live view without a login
    QString error;           // a usage error, empty when the line was understood

    // arguments without the program name.
    static CommandLine parse(const QStringList& arguments);
    static QString helpText();

    // The program folder of a start without --folder: the current directory, unless it holds no
    // settings file and is the home folder itself or cannot be written (a start from the
    // desktop's menu), then the user's data folder (dataHome + "/WinOrbis").
    static QString defaultFolder(const QString& current, const QString& home,
                                 const QString& dataHome);
};

} // namespace winorbis
