// SPDX-License-Identifier: GPL-3.0-or-later
// The converter choice of station.conf without a window: reading, writing, the push-to-talk text
// split and joined, what keeps a choice from being kept, and the clock correction taken over.
#include "stationcore/ConverterChoice.h"
#include "settings/StationOptions.h"

#include <gtest/gtest.h>

using namespace winorbis;

namespace {

using Method = ConverterChoice::PttMethod;

ConverterChoice soundCard() {
    ConverterChoice choice;
    choice.kind = ConverterChoice::Kind::SoundCard;
    choice.capture = QStringLiteral("USB Audio CODEC Analog Mono");
    choice.playback = QStringLiteral("USB Audio CODEC Analog Stereo");
    choice.pttMethod = Method::Rigctld;
    choice.pttTarget = QStringLiteral("127.0.0.1:4532");
    choice.clockPpm = -212.5;
    choice.camera = QStringLiteral("Webcam C270");
    choice.digitizePicture = QStringLiteral("/home/op/shack.jpg");
    choice.fskId = true;
    return choice;
}

} // namespace

TEST(ConverterChoice, ReadsAndWritesItsKeysAndLeavesTheOtherLines) {
    StationOptions options = StationOptions::fromText("# my station\n"
                                                      "CallsignInsert=1\n"
                                                      "Ptt=none\n");
    soundCard().writeTo(options);
    const QByteArray text = options.toText();
    for (const char* line :
         {"# my station\n", "CallsignInsert=1\n", "Converter=sound card\n",
          "SoundCapture=USB Audio CODEC Analog Mono\n", "Ptt=rigctld:127.0.0.1:4532\n",
          "ClockPpm=-212.5\n", "Camera=Webcam C270\n", "DigitizePicture=/home/op/shack.jpg\n",
          "FskId=1\n"})
        EXPECT_TRUE(text.contains(line)) << line << "\n" << text.toStdString();
    EXPECT_EQ(text.count("Ptt="), 1); // the line that was there is changed, not repeated
    EXPECT_EQ(ConverterChoice::fromOptions(StationOptions::fromText(text)), soundCard());

    // A whole correction is written without decimals.
    ConverterChoice whole;
    whole.clockPpm = 412;
    StationOptions plain;
    whole.writeTo(plain);
    EXPECT_TRUE(plain.toText().contains("ClockPpm=412\n")) << plain.toText().toStdString();
    EXPECT_TRUE(plain.toText().contains("Converter=serial port\n"));
}

TEST(ConverterChoice, WhatIsMissingOrUnreadableIsTheDefault) {
    EXPECT_EQ(ConverterChoice::fromOptions(StationOptions()), ConverterChoice());
    const ConverterChoice odd = ConverterChoice::fromOptions(
        StationOptions::fromText("Converter=carrier pigeon\nPtt=carrier-pigeon\nClockPpm=fast\n"));
    EXPECT_EQ(odd.kind, ConverterChoice::Kind::SerialPort);
    EXPECT_EQ(odd.pttMethod, Method::None);
    EXPECT_EQ(odd.clockPpm, 0.0);
    EXPECT_FALSE(ConverterChoice::parseKind("carrier pigeon"));
    EXPECT_EQ(ConverterChoice::parseKind("  Sound   Card "), ConverterChoice::Kind::SoundCard);
    EXPECT_EQ(ConverterChoice::parseKind(""), ConverterChoice::Kind::SerialPort);
    EXPECT_FALSE(ConverterChoice::parseClockPpm("20000.5"));
    EXPECT_FALSE(ConverterChoice::parseClockPpm("nan"));
    EXPECT_EQ(ConverterChoice::parseClockPpm(" -20000 "), -20000.0);
}

TEST(ConverterChoice, ThePushToTalkTextIsSplitIntoMethodAndTargetAndJoinedAgain) {
    const struct {
        const char* text;
        Method method;
        const char* target;
    } cases[] = {
        {"none", Method::None, ""},
        {"", Method::None, ""},
        {"VOX", Method::Vox, ""},
        {"rts:/dev/ttyUSB1", Method::Rts, "/dev/ttyUSB1"},
        {"DTR:/dev/serial/by-id/usb-FTDI:x", Method::Dtr, "/dev/serial/by-id/usb-FTDI:x"},
        {"hamlib:3073:/dev/ttyUSB0:9600", Method::Hamlib, "3073:/dev/ttyUSB0:9600"},
        {"rigctld:[::1]:4532", Method::Rigctld, "[::1]:4532"},
    };
    for (const auto& c : cases) {
        const auto [method, target] = ConverterChoice::splitPtt(c.text);
        EXPECT_EQ(method, c.method) << c.text;
        EXPECT_EQ(target, c.target) << c.text;
        ConverterChoice choice;
        choice.pttMethod = method;
        choice.pttTarget = target;
        EXPECT_EQ(choice.pttText().toLower(),
                  QString::fromLatin1(*c.text ? c.text : "none").toLower());
        EXPECT_EQ(choice.problem(), "") << c.text;
    }
    // A target left in the field of a method without one is not kept.
    ConverterChoice vox;
    vox.pttMethod = Method::Vox;
    vox.pttTarget = QStringLiteral("/dev/ttyUSB1");
    EXPECT_EQ(vox.pttText(), "vox");
}

TEST(ConverterChoice, AChoiceTheConverterWouldRefuseSaysWhy) {
    const struct {
        Method method;
        const char* target;
        const char* why;
    } cases[] = {
        {Method::Rts, "", "serial device is missing"},
        {Method::Rigctld, "localhost", "HOST:PORT"},
        {Method::Rigctld, "localhost:99999", "from 1 to 65535"},
        {Method::Hamlib, "IC-7300:/dev/ttyUSB0", "rig model must be a number"},
        {Method::Hamlib, "3073", "serial device is missing"},
    };
    for (const auto& c : cases) {
        ConverterChoice choice;
        choice.pttMethod = c.method;
        choice.pttTarget = QString::fromLatin1(c.target);
        EXPECT_TRUE(choice.problem().contains(c.why)) << choice.problem().toStdString();
    }
    ConverterChoice fast;
    fast.clockPpm = 25000;
    EXPECT_TRUE(fast.problem().contains("-20000 and 20000")) << fast.problem().toStdString();
}

TEST(ConverterChoice, OnlyAnotherKindOrAnotherSoundCardSetupNeedsARestart) {
    const ConverterChoice running = soundCard();
    EXPECT_FALSE(running.needsRestart(running));
    ConverterChoice other = running;
    other.clockPpm = 0;
    EXPECT_TRUE(other.needsRestart(running));
    other = running;
    other.kind = ConverterChoice::Kind::SerialPort;
    EXPECT_TRUE(other.needsRestart(running));
    // The serial port runs on: the sound card's fields kept beside it change nothing.
    ConverterChoice serial;
    ConverterChoice serialWithSound = running;
    serialWithSound.kind = ConverterChoice::Kind::SerialPort;
    EXPECT_FALSE(serialWithSound.needsRestart(serial));
}

TEST(ConverterChoice, AMeasuredClockErrorIsTakenIntoTheCorrection) {
    EXPECT_DOUBLE_EQ(ConverterChoice::correctedClockPpm(0, 412.3), 412.3);
    EXPECT_DOUBLE_EQ(ConverterChoice::correctedClockPpm(-212, 0), -212);
    // The two factors multiply: 1.001 x 1.001 = 1.002001.
    EXPECT_DOUBLE_EQ(ConverterChoice::correctedClockPpm(1000, 1000), 2001);
    EXPECT_DOUBLE_EQ(ConverterChoice::correctedClockPpm(-300, 300), -0.1);
}
