// SPDX-License-Identifier: GPL-3.0-or-later
// The camera of the converter's video input as far as a computer without one shows it: a camera
// that is not there is said by its name, with the cameras there are, and nothing is opened. The
// sound system's module, which holds the cameras, is loaded by the first call that needs it.
#include "radio/devices/SoundSystem.h"

#include <gtest/gtest.h>

using namespace winorbis::radio;

TEST(CameraInput, ACameraThatIsNotThereIsSaidByItsName) {
    // Making the tuning display's input does not load the module; listing the cameras does.
    const std::unique_ptr<winorbis::AudioInput> input = makeRecordingInput();
    EXPECT_FALSE(soundSystemLoaded());
    const QStringList there = cameraNames();
    ASSERT_TRUE(soundSystemLoaded());
    QString error;
    EXPECT_EQ(openCamera(QStringLiteral("No Such Camera 4711"), &error), nullptr);
    EXPECT_TRUE(error.contains("\"No Such Camera 4711\"")) << error.toStdString();
    if (there.isEmpty())
        EXPECT_TRUE(error.contains("has no camera")) << error.toStdString();
    else
        EXPECT_TRUE(error.contains(there.first())) << error.toStdString();
    EXPECT_EQ(openCamera(QString(), nullptr), nullptr);
}
