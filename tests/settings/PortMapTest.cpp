// SPDX-License-Identifier: GPL-3.0-or-later
#include "settings/PortMap.h"
#include "platform/ProgramFolder.h"

#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace winorbis;

TEST(PortMap, MapsComNumbersToDevicesWithTheUsualDefaults) {
    const PortMap map;
    EXPECT_EQ(map.device(1), "/dev/ttyS0");
    EXPECT_EQ(map.device(4), "/dev/ttyS3");
    EXPECT_EQ(map.device(0), QString());
    EXPECT_EQ(map.device(5), QString());
}

TEST(PortMap, ReadsWhatTheOperatorWroteAndIgnoresTheRest) {
    const PortMap map = PortMap::fromText("# mine\n"
                                          "COM3 = /dev/serial/by-id/usb-FTDI_FT232R-if00-port0\n"
                                          "com2=/dev/ttyUSB1\r\n"
                                          "COM9=/dev/ttyS9\n"
                                          "COM1=\n"
                                          "garbage\n");
    EXPECT_EQ(map.device(1), "/dev/ttyS0");
    EXPECT_EQ(map.device(2), "/dev/ttyUSB1");
    EXPECT_EQ(map.device(3), "/dev/serial/by-id/usb-FTDI_FT232R-if00-port0");
    EXPECT_EQ(map.device(4), "/dev/ttyS3");
}

TEST(PortMap, IsWrittenOnceAndKeptAcrossRuns) {
    QTemporaryDir dir;
    const ProgramFolder folder(dir.path());
    PortMap::createIfMissing(folder);
    ASSERT_TRUE(QFile::exists(dir.path() + "/ports.conf"));
    PortMap mine = PortMap::load(folder);
    mine.setDevice(1, "/dev/ttyACM0");
    ASSERT_TRUE(mine.save(folder).isEmpty());
    PortMap::createIfMissing(folder); // does not overwrite
    EXPECT_EQ(PortMap::load(folder).device(1), "/dev/ttyACM0");
}
