// SPDX-License-Identifier: GPL-3.0-or-later
// Pictures sent by another SSTV program (Debian's qsstv 9.5.8), recorded from its sound output;
// see data/README for how they were made. Each holds the header and the first seconds of a
// picture (B/W 8 the whole of it, with the FSK ID after it).
#include "ModemTestSupport.h"
#include "modem/WavFile.h"

#include <gtest/gtest.h>

using namespace winorbis::sstv;
using namespace winorbis::sstv::test;

namespace {

struct Recording {
    const char* file;
    ModeId mode;
    int leastLines; // the picture rows the recording holds, less a line or two
    const char* callsign = nullptr;
};

class QsstvRecording : public ::testing::TestWithParam<Recording> {};

TEST_P(QsstvRecording, DecodesAsTheModeItWasSentIn) {
    const Recording& r = GetParam();
    QString why;
    const auto audio = readWav(QStringLiteral(MODEM_TEST_DATA "/") + r.file, &why);
    ASSERT_TRUE(audio) << why.toStdString();
    EXPECT_EQ(audio->sampleRate, 8000);
    const Reception got = receive(audio->samples, audio->sampleRate);
    // qsstv's B/W 12 header has the wrong parity, its MR175 MR140's code: the right mode all
    // the same, and no other.
    ASSERT_EQ(got.starts.size(), 1u);
    EXPECT_TRUE(got.starts[0].fromVis);
    EXPECT_EQ(got.starts[0].mode, r.mode);
    ASSERT_EQ(got.ends.size(), 1u);
    const PictureEnd& end = got.ends[0];
    EXPECT_GE(end.lines, r.leastLines);
    // qsstv's lines run up to 110 ppm long against the sound server's clock.
    EXPECT_NEAR(end.clockPpm, 60.0, 70.0);
    EXPECT_NEAR(end.offsetHz, 0.0, 10.0);
    // The picture it was given (the test picture, stretched to the mode's size by qsstv's own
    // scaling): measured 20 to 45 dB (qsstv's colour and black-and-white modes use another
    // luminance range), garbage or a wrong mode gives under 12.
    const QImage sent = asSent(testPicture(320, 256), r.mode);
    EXPECT_GT(psnr(sent, end.picture, end.lines), 17.0);
    if (r.callsign)
        EXPECT_EQ(got.callsigns, std::vector<QString>{QString::fromLatin1(r.callsign)});
    else
        EXPECT_TRUE(got.callsigns.empty());
}

using I = ModeId;
const Recording kRecordings[] = {
    {"qsstv-m1.wav", I::Martin1, 26},         {"qsstv-m2.wav", I::Martin2, 50},
    {"qsstv-s1.wav", I::Scottie1, 26},        {"qsstv-s2.wav", I::Scottie2, 40},
    {"qsstv-r36.wav", I::Robot36, 76},        {"qsstv-r72.wav", I::Robot72, 38},
    {"qsstv-sdx.wav", I::ScottieDx, 5},       {"qsstv-r24.wav", I::Robot24, 34},
    {"qsstv-bw8.wav", I::Bw8, 120, "DL1ABC"}, {"qsstv-bw12.wav", I::Bw12, 70},
    {"qsstv-sc2-60.wav", I::Wraase60, 28},    {"qsstv-sc2-120.wav", I::Wraase120, 13},
    {"qsstv-sc2-180.wav", I::Wraase180, 8},   {"qsstv-p3.wav", I::Pasokon3, 15},
    {"qsstv-p5.wav", I::Pasokon5, 9},         {"qsstv-p7.wav", I::Pasokon7, 6},
    {"qsstv-pd50.wav", I::Pd50, 34},          {"qsstv-pd90.wav", I::Pd90, 18},
    {"qsstv-pd120.wav", I::Pd120, 26},        {"qsstv-pd160.wav", I::Pd160, 16},
    {"qsstv-pd180.wav", I::Pd180, 16},        {"qsstv-pd240.wav", I::Pd240, 12},
    {"qsstv-pd290.wav", I::Pd290, 12},        {"qsstv-mp73.wav", I::Mp73, 22},
    {"qsstv-mp115.wav", I::Mp115, 12},        {"qsstv-mp140.wav", I::Mp140, 10},
    {"qsstv-mp175.wav", I::Mp175, 8},         {"qsstv-mr73.wav", I::Mr73, 22},
    {"qsstv-mr90.wav", I::Mr90, 18},          {"qsstv-mr115.wav", I::Mr115, 13},
    {"qsstv-mr140.wav", I::Mr140, 10},        {"qsstv-mr175.wav", I::Mr175, 8},
    {"qsstv-ml180.wav", I::Ml180, 17},        {"qsstv-ml240.wav", I::Ml240, 12},
    {"qsstv-ml280.wav", I::Ml280, 10},        {"qsstv-ml320.wav", I::Ml320, 8},
};

INSTANTIATE_TEST_SUITE_P(ModemInterop, QsstvRecording, ::testing::ValuesIn(kRecordings),
                         [](const auto& param) {
                             QString name = mode(param.param.mode).shortName;
                             return name.replace('-', '_').toStdString();
                         });

} // namespace
