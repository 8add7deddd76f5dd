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

TEST(CommandLine, RefusesWhatItDoesNotKnow) {
    EXPECT_FALSE(CommandLine::parse({"--folder"}).error.isEmpty());
    EXPECT_FALSE(CommandLine::parse({"--folder="}).error.isEmpty());
    EXPECT_FALSE(CommandLine::parse({"--colour"}).error.isEmpty());
    EXPECT_FALSE(CommandLine::parse({"stray"}).error.isEmpty());
    EXPECT_TRUE(CommandLine::helpText().contains("--folder DIR"));
}
