// SPDX-License-Identifier: GPL-3.0-or-later
#include "settings/StationOptions.h"
#include "platform/ProgramFolder.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace winorbis;

TEST(StationOptions, ReadsKeysAndKeepsWhatItDoesNotKnow) {
    StationOptions options = StationOptions::fromText("# mine\n"
                                                      "CallsignInsert = 1\r\n"
                                                      "garbage line\n"
                                                      "RecordingDevice=USB Audio=Mic\n"
                                                      "callsigninsert=0\n");
    EXPECT_FALSE(options.flag("CallsignInsert", true)); // the last of a repeated key counts
    EXPECT_EQ(options.value("RecordingDevice"), "USB Audio=Mic");
    EXPECT_EQ(options.value("Missing", "x"), "x");
    options.setFlag("CallsignInsert", true);
    options.setValue("New", "a\nb");
    EXPECT_EQ(options.toText(), "# mine\n"
                                "CallsignInsert=1\n"
                                "garbage line\n"
                                "RecordingDevice=USB Audio=Mic\n"
                                "New=a b\n");
}

TEST(StationOptions, StoringOneKeyKeepsTheOthersAcrossRuns) {
    QTemporaryDir dir;
    const ProgramFolder folder(dir.path());
    EXPECT_TRUE(StationOptions::load(folder).value("RecordingDevice").isNull());
    ASSERT_TRUE(StationOptions::store(folder, "RecordingDevice", "Mic 2").isEmpty());
    ASSERT_TRUE(StationOptions::store(folder, "CallsignInsert", "1").isEmpty());
    const StationOptions back = StationOptions::load(folder);
    EXPECT_EQ(back.value("RecordingDevice"), "Mic 2");
    EXPECT_TRUE(back.flag("CallsignInsert"));
    EXPECT_TRUE(QFile::exists(dir.path() + "/station.conf"));
}

TEST(StationOptions, AFailedWriteIsReported) {
    QTemporaryDir dir;
    const ProgramFolder folder(dir.path());
    ASSERT_TRUE(QDir(dir.path()).mkdir("station.conf")); // even root cannot write over a folder
    EXPECT_FALSE(StationOptions::store(folder, "CallsignInsert", "1").isEmpty());
    EXPECT_FALSE(StationOptions::load(folder).flag("CallsignInsert"));
}
