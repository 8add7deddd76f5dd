// SPDX-License-Identifier: GPL-3.0-or-later
// Entry of every test program: a QApplication on the offscreen platform, away from any sound
// server, then GoogleTest.
#include <QApplication>

#include <gtest/gtest.h>

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    // No test reaches a sound server of the machine, nor starts one: the sound clients' server is
    // a socket that is not there. A sound test points its own process at a daemon of its own.
    qputenv("PULSE_SERVER", "unix:/nonexistent/winorbis-tests-have-no-sound-server");
    ::testing::InitGoogleTest(&argc, argv);
    QApplication app(argc, argv);
    return RUN_ALL_TESTS();
}
