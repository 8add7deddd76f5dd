// SPDX-License-Identifier: GPL-3.0-or-later
// The camera of the converter's video input as far as a computer without one shows it: a camera
// that is not there is said by its name, with the cameras there are, and nothing is opened.
#include "radio/devices/CameraInput.h"

#include <gtest/gtest.h>

using namespace winorbis::radio;

TEST(CameraInput, ACameraThatIsNotThereIsSaidByItsName) {
    const QStringList there = cameraNames();
    QString error;
    EXPECT_EQ(CameraInput::open(QStringLiteral("No Such Camera 4711"), &error), nullptr);
    EXPECT_TRUE(error.contains("\"No Such Camera 4711\"")) << error.toStdString();
    if (there.isEmpty())
        EXPECT_TRUE(error.contains("has no camera")) << error.toStdString();
    else
        EXPECT_TRUE(error.contains(there.first())) << error.toStdString();
    EXPECT_EQ(CameraInput::open(QString(), nullptr), nullptr);
}
