// SPDX-License-Identifier: GPL-3.0-or-later
// Pictures sent by another SSTV program (Debian's qsstv 9.5.8), recorded from its sound output;
// see data/README for how they were made. Each holds the header and the first 14 s of a picture.
#include "ModemTestSupport.h"
#include "modem/WavFile.h"

#include <gtest/gtest.h>

using namespace winorbis::sstv;
using namespace winorbis::sstv::test;

namespace {

struct Recording {
    const char* file;
    ModeId mode;
    int leastLines; // the lines 14 s hold, less a few
};

TEST(ModemInterop, PicturesFromQsstvDecodeInEveryMode) {
    const Recording recordings[] = {
        {"qsstv-m1.wav", ModeId::Martin1, 26},  {"qsstv-m2.wav", ModeId::Martin2, 50},
        {"qsstv-s1.wav", ModeId::Scottie1, 26}, {"qsstv-s2.wav", ModeId::Scottie2, 40},
        {"qsstv-r36.wav", ModeId::Robot36, 76}, {"qsstv-r72.wav", ModeId::Robot72, 38},
    };
    for (const Recording& r : recordings) {
        QString why;
        const auto audio = readWav(QStringLiteral(MODEM_TEST_DATA "/") + r.file, &why);
        ASSERT_TRUE(audio) << why.toStdString();
        EXPECT_EQ(audio->sampleRate, 8000);
        const Reception got = receive(audio->samples, audio->sampleRate);
        ASSERT_EQ(got.starts.size(), 1u) << r.file;
        EXPECT_TRUE(got.starts[0].fromVis) << r.file;
        EXPECT_EQ(got.starts[0].mode, r.mode) << r.file;
        ASSERT_EQ(got.ends.size(), 1u) << r.file;
        const PictureEnd& end = got.ends[0];
        EXPECT_GE(end.lines, r.leastLines) << r.file;
        // qsstv's lines run some 50 to 80 ppm long against the sound server's clock.
        EXPECT_NEAR(end.clockPpm, 65.0, 40.0) << r.file;
        EXPECT_NEAR(end.offsetHz, 0.0, 10.0) << r.file;
        // The picture it was given (the test picture, stretched to the mode's size by qsstv's
        // own scaling; measured 21 to 36 dB, garbage or a wrong mode gives under 12).
        const Mode& m = mode(r.mode);
        const QImage sent = testPicture(320, 256).scaled(m.pixels, m.lines, Qt::IgnoreAspectRatio,
                                                         Qt::SmoothTransformation);
        EXPECT_GT(psnr(sent, end.picture, end.lines), 19.0) << r.file;
    }
}

} // namespace
