// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/CommandLine.h"

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
    EXPECT_TRUE(CommandLine::helpText().contains("--folder DIR"));
}
