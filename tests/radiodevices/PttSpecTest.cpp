// SPDX-License-Identifier: GPL-3.0-or-later
// The push-to-talk texts an operator types, read into their parts; malformed ones refused with
// the forms shown.
#include "radio/ptt/PttDevices.h"

#include <gtest/gtest.h>

using namespace winorbis::radio;
using Kind = PttSpec::Kind;

TEST(PttSpec, ReadsEveryForm) {
    struct Case {
        const char* text;
        Kind kind;
        const char* device;
        const char* host;
        int port, model, baud;
    };
    const Case cases[] = {
        {"none", Kind::None, "", "", 0, 0, 0},
        {" VOX ", Kind::Vox, "", "", 0, 0, 0},
        {"rts:/dev/ttyUSB0", Kind::Rts, "/dev/ttyUSB0", "", 0, 0, 0},
        {"DTR:/dev/serial/by-id/usb-FTDI_A1-if00-port0", Kind::Dtr,
         "/dev/serial/by-id/usb-FTDI_A1-if00-port0", "", 0, 0, 0},
        {"rigctld:localhost:4532", Kind::Rigctld, "", "localhost", 4532, 0, 0},
        {"rigctld:[::1]:4532", Kind::Rigctld, "", "::1", 4532, 0, 0},
        {"hamlib:3073:/dev/ttyUSB1", Kind::Hamlib, "/dev/ttyUSB1", "", 0, 3073, 0},
        {"hamlib:1035:/dev/ttyUSB1:38400", Kind::Hamlib, "/dev/ttyUSB1", "", 0, 1035, 38400},
    };
    for (const Case& c : cases) {
        QString problem;
        const auto named = PttSpec::parse(QString::fromUtf8(c.text), &problem);
        ASSERT_TRUE(named) << c.text << ": " << problem.toStdString();
        EXPECT_EQ(named->kind, c.kind) << c.text;
        EXPECT_EQ(named->device, QString::fromUtf8(c.device)) << c.text;
        EXPECT_EQ(named->host, QString::fromUtf8(c.host)) << c.text;
        EXPECT_EQ(named->port, c.port) << c.text;
        EXPECT_EQ(named->model, c.model) << c.text;
        EXPECT_EQ(named->baud, c.baud) << c.text;
    }
}

TEST(PttSpec, RefusesMalformedTextsWithTheReasonAndTheForms) {
    const std::pair<const char*, const char*> cases[] = {
        {"", "unknown kind"},
        {"ptt", "unknown kind"},
        {"cat:/dev/ttyUSB0", "unknown kind"},
        {"vox:/dev/ttyUSB0", "vox takes no device"},
        {"rts", "the serial device is missing"},
        {"dtr:", "the serial device is missing"},
        {"rigctld:localhost", "rigctld needs HOST:PORT"},
        {"rigctld:::1:4532", "rigctld needs HOST:PORT"},
        {"rigctld::4532", "rigctld needs a host"},
        {"rigctld:localhost:0", "the TCP port must be a number from 1 to 65535"},
        {"rigctld:localhost:65536", "the TCP port must be a number from 1 to 65535"},
        {"rigctld:localhost:+45", "the TCP port must be a number from 1 to 65535"},
        {"hamlib:ic7300:/dev/ttyUSB0", "the Hamlib rig model must be a number"},
        {"hamlib:3073", "the rig's serial device is missing"},
        {"hamlib:3073:/dev/ttyUSB0:fast", "the serial speed must be a number"},
    };
    for (const auto& [text, reason] : cases) {
        QString problem;
        EXPECT_FALSE(PttSpec::parse(QString::fromUtf8(text), &problem)) << text;
        EXPECT_TRUE(problem.contains(QString::fromUtf8(reason)))
            << text << ": " << problem.toStdString();
        EXPECT_TRUE(problem.endsWith(pttSpecForms())) << problem.toStdString();
        QString error;
        EXPECT_EQ(openPtt(QString::fromUtf8(text), &error), nullptr) << text;
        EXPECT_EQ(error, problem);
    }
}

TEST(PttSpec, NoneAndVoxKeyNothingAndAreReleasedTogether) {
    QString error;
    const auto none = openPtt("none", &error);
    const auto vox = openPtt("vox", &error);
    ASSERT_TRUE(none && vox) << error.toStdString();
    EXPECT_FALSE(none->wantsVoxTones());
    EXPECT_TRUE(vox->wantsVoxTones());
    EXPECT_EQ(vox->describe(), "VOX");
    EXPECT_TRUE(none->setKeyed(true, &error));
    EXPECT_TRUE(vox->setKeyed(true, &error));
    releaseEveryPtt();
    EXPECT_FALSE(none->keyed());
    EXPECT_FALSE(vox->keyed());
}
