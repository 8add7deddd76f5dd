// SPDX-License-Identifier: GPL-3.0-or-later
// orbisctl sstv as the built program, started as a user's shell starts it: no display, no
// platform chosen, nothing on standard input.
#include "ModemTestSupport.h"
#include "modem/WavFile.h"

#include <QFile>
#include <QImage>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QtEndian>

#include <gtest/gtest.h>

using namespace winorbis::sstv;
using namespace winorbis::sstv::test;

namespace {

struct ToolRun {
    int status = -1;
    QString out, err;
};

ToolRun orbisctl(const QStringList& arguments) {
    QProcess process;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.remove("DISPLAY");
    environment.remove("WAYLAND_DISPLAY");
    environment.remove("QT_QPA_PLATFORM");
    process.setProcessEnvironment(environment);
    process.setStandardInputFile(QProcess::nullDevice());
    process.start(ORBISCTL_BINARY, QStringList{"sstv"} + arguments);
    ToolRun run;
    if (!process.waitForFinished(60000))
        return run;
    run.status = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    run.out = QString::fromLocal8Bit(process.readAllStandardOutput());
    run.err = QString::fromLocal8Bit(process.readAllStandardError());
    return run;
}

bool writeFile(const QString& path, const QByteArray& bytes) {
    QFile f(path);
    return f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size();
}

// A stereo file of 24-bit samples, the signal on the first channel and silence on the second.
QByteArray stereo24(const std::vector<float>& samples, int rate) {
    QByteArray out(44, '\0');
    char* d = out.data();
    const auto data = std::uint32_t(samples.size() * 6);
    std::memcpy(d, "RIFF", 4);
    qToLittleEndian<std::uint32_t>(36 + data, d + 4);
    std::memcpy(d + 8, "WAVEfmt ", 8);
    qToLittleEndian<std::uint32_t>(16, d + 16);
    qToLittleEndian<std::uint16_t>(1, d + 20);
    qToLittleEndian<std::uint16_t>(2, d + 22);
    qToLittleEndian<std::uint32_t>(std::uint32_t(rate), d + 24);
    qToLittleEndian<std::uint32_t>(std::uint32_t(rate) * 6, d + 28);
    qToLittleEndian<std::uint16_t>(6, d + 32);
    qToLittleEndian<std::uint16_t>(24, d + 34);
    std::memcpy(d + 36, "data", 4);
    qToLittleEndian<std::uint32_t>(data, d + 40);
    for (const float s : samples) {
        const auto v = std::int32_t(std::lround(s * 8388607.0f));
        const char frame[6] = {char(v & 0xff), char(v >> 8 & 0xff), char(v >> 16 & 0xff), 0, 0, 0};
        out.append(frame, 6);
    }
    return out;
}

class OrbisctlSstv : public ::testing::Test {
protected:
    QString path(const QString& name) const { return dir.filePath(name); }
    QTemporaryDir dir;
};

TEST_F(OrbisctlSstv, EncodesAndDecodesAPicture) {
    struct Case {
        QStringList options;
        ModeId mode;
        const char* printed; // the lines decode prints, with the clock and tuning as (...)
    };
    const Case cases[] = {
        {{"--mode", "s1", "--vox"}, ModeId::Scottie1, R"(^S1 256 (-?\d+) (-?\d+)\n$)"},
        {{"--mode", "Pd120", "--fsk-id", "dl1abc/p"},
         ModeId::Pd120,
         R"(^PD120 496 (-?\d+) (-?\d+)\nFSKID DL1ABC/P\n$)"},
    };
    const QImage sent = testPicture(200, 150); // scaled to the mode's size on the way
    ASSERT_TRUE(sent.save(path("in.png")));
    for (const Case& c : cases) {
        const Mode& m = mode(c.mode);
        SCOPED_TRACE(m.name.toStdString());
        const ToolRun encode = orbisctl(
            QStringList{"encode", path("in.png"), path("out.wav"), "--rate", "11025"} + c.options);
        ASSERT_EQ(encode.status, 0) << encode.err.toStdString();
        QString why;
        const auto wav = readWav(path("out.wav"), &why);
        ASSERT_TRUE(wav) << why.toStdString();
        EXPECT_EQ(wav->sampleRate, 11025);
        EXPECT_EQ(wav->bits, 16);
        EncoderOptions options{11025.0};
        options.vox = c.options.contains("--vox");
        options.fskId = c.options.contains("--fsk-id") ? c.options.last() : QString();
        EXPECT_NEAR(double(wav->samples.size()), SstvEncoder::durationMs(c.mode, options) * 11.025,
                    1.0);

        const ToolRun decode = orbisctl({"decode", path("out.wav"), path("out.png")});
        ASSERT_EQ(decode.status, 0) << decode.err.toStdString();
        const auto match = QRegularExpression(c.printed).match(decode.out);
        ASSERT_TRUE(match.hasMatch()) << decode.out.toStdString();
        EXPECT_LE(std::abs(match.captured(1).toInt()), 30);
        EXPECT_LE(std::abs(match.captured(2).toInt()), 5);
        const QImage received(path("out.png"));
        EXPECT_EQ(received.size(), QSize(m.pixels, m.lines));
        EXPECT_GT(
            psnr(sent.scaled(m.pixels, m.lines, Qt::IgnoreAspectRatio, Qt::SmoothTransformation),
                 received),
            25.0);
    }
}

TEST_F(OrbisctlSstv, ReadsOtherSampleFormatsAndReportsClockAndTuning) {
    EncoderOptions options{22050.0 * (1 + 800e-6)};
    options.offsetHz = -100.0;
    const auto audio = SstvEncoder::encode(testPicture(ModeId::Robot36), ModeId::Robot36, options);
    ASSERT_TRUE(writeFile(path("r36.wav"), stereo24(audio, 22050)));
    const ToolRun decode = orbisctl({"decode", path("r36.wav"), path("out.bmp")});
    ASSERT_EQ(decode.status, 0) << decode.err.toStdString();
    const auto match = QRegularExpression(R"(^R36 240 (-?\d+) (-?\d+)\n$)").match(decode.out);
    ASSERT_TRUE(match.hasMatch()) << decode.out.toStdString();
    EXPECT_NEAR(match.captured(1).toInt(), 800, 30);
    EXPECT_NEAR(match.captured(2).toInt(), -100, 10);
    EXPECT_EQ(QImage(path("out.bmp")).size(), QSize(320, 240));
}

TEST_F(OrbisctlSstv, BadInputIsRefusedWithAClearMessage) {
    const auto audio =
        SstvEncoder::encode16(testPicture(ModeId::Martin2), ModeId::Martin2, {8000.0});
    const QByteArray good = wavBytes(audio, 8000);
    ASSERT_TRUE(writeFile(path("cut.wav"), good.left(30)));
    ASSERT_TRUE(writeFile(path("text.wav"), "this is no sound\n"));
    struct Case {
        QStringList arguments;
        const char* message;
    };
    const std::vector<Case> cases{
        {{"decode", dir.path(), path("out.png")}, "is a directory"},
        {{"decode", path("text.wav"), path("out.png")}, "not a WAV file"},
        {{"decode", path("cut.wav"), path("out.png")}, "cut short"},
        {{"decode", path("missing.wav"), path("out.png")}, "cannot read"},
        {{"decode", path("text.wav"), path("out.gif")}, "PNG, BMP or JPEG"},
        {{"encode", path("text.wav"), path("x.wav"), "--mode", "m1"}, "cannot read the picture"},
        {{"encode", path("in.png"), path("x.wav"), "--mode", "m3"}, "unknown mode m3"},
        {{"encode", path("in.png"), path("x.wav"), "--mode", "pd121"}, "PD120 PD160"},
        {{"encode", path("in.png"), path("x.wav"), "--mode", "m1", "--fsk-id", "DL1ÄBC"},
         "--fsk-id takes"},
        {{"encode", path("in.png"), path("x.wav"), "--mode", "m1", "--rate", "4000"},
         "8000 to 96000"},
        {{"encode", path("in.png"), path("x.wav")}, "needs --mode"},
        {{"transmit"}, "encode or decode"},
    };
    for (const Case& c : cases) {
        const ToolRun run = orbisctl(c.arguments);
        EXPECT_EQ(run.status, 2) << c.arguments.join(' ').toStdString();
        EXPECT_TRUE(run.err.contains(c.message)) << run.err.toStdString();
        EXPECT_TRUE(run.out.isEmpty());
    }
    EXPECT_FALSE(QFile::exists(path("out.png")));
}

TEST_F(OrbisctlSstv, NoPictureIsStatusOne) {
    std::vector<float> hiss(8000 * 5, 0.0f);
    addHiss(hiss, 0.2, 3);
    std::vector<std::int16_t> samples(hiss.size());
    for (std::size_t i = 0; i < hiss.size(); ++i)
        samples[i] = std::int16_t(std::clamp(hiss[i], -1.0f, 1.0f) * 20000.0f);
    ASSERT_TRUE(writeFile(path("hiss.wav"), wavBytes(samples, 8000)));
    const ToolRun run = orbisctl({"decode", path("hiss.wav"), path("out.png")});
    EXPECT_EQ(run.status, 1);
    EXPECT_TRUE(run.err.contains("no picture found")) << run.err.toStdString();
    EXPECT_FALSE(QFile::exists(path("out.png")));
}

} // namespace
