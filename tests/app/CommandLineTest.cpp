// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/CommandLine.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <unistd.h>

#include <gtest/gtest.h>

using namespace winorbis;

TEST(CommandLine, UnderstandsTheProgramsOptions) {
    EXPECT_TRUE(CommandLine::parse({}).error.isEmpty());
    EXPECT_TRUE(CommandLine::parse({"--help"}).help);
    EXPECT_TRUE(CommandLine::parse({"--version"}).version);
    EXPECT_EQ(CommandLine::parse({"--folder", "/srv/orbis"}).folder, "/srv/orbis");
    EXPECT_EQ(CommandLine::parse({"--folder=/srv/orbis"}).folder, "/srv/orbis");
}

TEST(CommandLine, TheSimulatorsStepsAreLoggedOnlyWithVerbose) {
    EXPECT_FALSE(CommandLine::parse({"--simulate"}).verbose);
    const CommandLine line = CommandLine::parse({"--verbose", "--simulate"});
    EXPECT_TRUE(line.error.isEmpty());
    EXPECT_TRUE(line.simulate);
    EXPECT_TRUE(line.verbose);
    EXPECT_FALSE(CommandLine::parse({"--verbose=1"}).error.isEmpty());
    EXPECT_TRUE(CommandLine::helpText().contains("--verbose"));
}

TEST(CommandLine, OneConverterOnly) {
    const CommandLine line = CommandLine::parse({"--sound-card", "--verbose"});
    EXPECT_TRUE(line.error.isEmpty());
    EXPECT_TRUE(line.soundCard);
    EXPECT_TRUE(line.verbose);
    EXPECT_FALSE(CommandLine::parse({"--simulate"}).soundCard);
    // In either order, and --port in both of its forms.
    for (const QStringList& args : QList<QStringList>{{"--sound-card", "--port", "/dev/ttyUSB0"},
                                                      {"--port=/dev/ttyUSB0", "--sound-card"}})
        EXPECT_EQ(CommandLine::parse(args).error, "--port and --sound-card exclude each other")
            << args.join(' ').toStdString();
    for (const QStringList& args :
         QList<QStringList>{{"--sound-card", "--simulate"}, {"--simulate", "--sound-card"}})
        EXPECT_EQ(CommandLine::parse(args).error, "--simulate and --sound-card exclude each other")
            << args.join(' ').toStdString();
    EXPECT_FALSE(CommandLine::parse({"--sound-card=default"}).error.isEmpty());
    EXPECT_TRUE(CommandLine::helpText().contains("--sound-card"));
}

TEST(CommandLine, RefusesWhatItDoesNotKnow) {
    EXPECT_FALSE(CommandLine::parse({"--folder"}).error.isEmpty());
    EXPECT_FALSE(CommandLine::parse({"--folder="}).error.isEmpty());
    EXPECT_FALSE(CommandLine::parse({"--colour"}).error.isEmpty());
    EXPECT_FALSE(CommandLine::parse({"stray"}).error.isEmpty());
    // No device is no port option, not the settings' port.
    for (const QStringList& args :
         QList<QStringList>{{"--port"}, {"--port", ""}, {"--port="}, {"--port", "", "--simulate"}})
        EXPECT_EQ(CommandLine::parse(args).error, "--port needs a device")
            << args.join(' ').toStdString();
    EXPECT_EQ(CommandLine::parse({"--port", "/dev/ttyUSB0"}).port, "/dev/ttyUSB0");
    EXPECT_EQ(CommandLine::parse({"--port=/dev/ttyUSB1"}).port, "/dev/ttyUSB1");
    EXPECT_EQ(CommandLine::parse({"--port", "rfc2217://shack:7000"}).port, "rfc2217://shack:7000");
    EXPECT_EQ(CommandLine::parse({"--port=tcp://shack:70000"}).error,
              "tcp://shack:70000: the TCP port must be a number from 1 to 65535");
    EXPECT_TRUE(CommandLine::helpText().contains("--folder DIR"));
}

TEST(CommandLine, AStartFromTheDesktopMenuUsesTheUsersDataFolder) {
    QTemporaryDir home;
    QTemporaryDir data;
    const QString station = home.path() + "/station";
    ASSERT_TRUE(QDir().mkpath(station));
    // A writable folder of its own stays the program folder.
    EXPECT_EQ(CommandLine::defaultFolder(station, home.path(), data.path()), station);
    // The home folder itself does not, unless it holds the settings already.
    EXPECT_EQ(CommandLine::defaultFolder(home.path(), home.path(), data.path()),
              data.path() + "/WinOrbis");
    QFile settings(home.path() + "/com.dat");
    ASSERT_TRUE(settings.open(QIODevice::WriteOnly));
    settings.close();
    EXPECT_EQ(CommandLine::defaultFolder(home.path(), home.path(), data.path()), home.path());
    // A folder nobody may write into (root may: then it stays).
    QFile::setPermissions(station, QFile::ReadOwner | QFile::ExeOwner);
    const QString chosen = CommandLine::defaultFolder(station, home.path(), data.path());
    QFile::setPermissions(station, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    if (::geteuid() != 0) {
        EXPECT_EQ(chosen, data.path() + "/WinOrbis");
    }
    EXPECT_EQ(CommandLine::defaultFolder("/nonexistent/folder", home.path(), data.path()),
              data.path() + "/WinOrbis");
}
