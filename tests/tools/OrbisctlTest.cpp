// SPDX-License-Identifier: GPL-3.0-or-later
// orbisctl against the simulated converter on a pseudo-terminal, and the command line of the
// simulator program.
#include "tools/orbisctl/Orbisctl.h"
#include "captions/CaptionRenderer.h"
#include "captions/CaptionSources.h"
#include "converter/Modes.h"
#include "converter/PixelCodec.h"
#include "link/ConverterLink.h"
#include "logbook/ParadoxTable.h"
#include "platform/Clock.h"
#include "settings/SettingsCodec.h"
#include "support/TestPictures.h"
#include "support/VirtualClock.h"
#include "tools/simulator/ConverterSimulator.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QRandomGenerator>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QThread>
#include <QTimer>

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>

using namespace winorbis;
using winorbis::test::randomPicture;

namespace {

struct ToolRun {
    int status = -1;
    QString out, err;
};

ToolRun orbisctl(const QStringList& arguments, Clock* useClock = nullptr) {
    char* outText = nullptr;
    char* errText = nullptr;
    std::size_t outSize = 0, errSize = 0;
    std::FILE* out = open_memstream(&outText, &outSize);
    std::FILE* err = open_memstream(&errText, &errSize);
    SystemClock systemClock;
    ToolRun run;
    run.status = runOrbisctl(arguments, useClock ? *useClock : systemClock, out, err);
    std::fclose(out);
    std::fclose(err);
    run.out = QString::fromLocal8Bit(outText, qsizetype(outSize));
    run.err = QString::fromLocal8Bit(errText, qsizetype(errSize));
    std::free(outText);
    std::free(errText);
    return run;
}

struct OrbisctlFixture : ::testing::Test {
    ConverterSimulator sim;
    QString pty;
    void SetUp() override {
        QString error;
        ASSERT_TRUE(sim.openPseudoTerminal(&pty, &error)) << error.toStdString();
    }
    // The bytes the converter got, once count events have happened (all of them: the tests
    // stay within what the record keeps).
    QByteArray receivedAfter(int count) {
        EXPECT_TRUE(sim.waitForEvents(count, 2000));
        const ReceivedBytes received = sim.received();
        EXPECT_EQ(received.size(), received.kept().size());
        return received.kept();
    }
};

} // namespace

TEST_F(OrbisctlFixture, IdentifyPrintsTheAnswerInDecimal) {
    sim.setIdentifyAnswer(196);
    const ToolRun run = orbisctl({"--port", pty, "identify"});
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.out, "196\n");
    EXPECT_TRUE(run.err.isEmpty()) << run.err.toStdString();
}

TEST_F(OrbisctlFixture, EveryCommandWritesExactlyItsByte) {
    struct Case {
        QStringList command;
        int byte;
    };
    QList<Case> cases = {
        {{"digitize"}, 36}, {{"memory", "1"}, 32}, {{"memory", "2"}, 33}, {{"stop"}, 1}};
    for (const Mode& m : boxModeRows()) {
        cases.append({{"send", m.shortName}, m.box->txByte});
        cases.append({{"freerun", m.shortName.toLower()}, m.box->freeRunByte});
    }
    QByteArray expected;
    for (const Case& c : cases) {
        const ToolRun run = orbisctl(QStringList{"--port", pty} + c.command);
        EXPECT_EQ(run.status, 0) << c.command.join(' ').toStdString();
        EXPECT_TRUE(run.out.isEmpty());
        expected.append(char(c.byte));
    }
    EXPECT_EQ(receivedAfter(int(cases.size())), expected);
}

TEST_F(OrbisctlFixture, ASilentConverterFailsWithTheNoConnectionMessage) {
    sim.setSilent(true);
    const ToolRun run = orbisctl({"--port", pty, "identify"});
    EXPECT_EQ(run.status, 1);
    EXPECT_TRUE(run.out.isEmpty());
    EXPECT_EQ(run.err, "orbisctl: no answer from the converter on " + pty +
                           "\nNo connection to Orbis 70p. Control please the interface (Setup) "
                           "and the jumper in the Orbis 70p.\n");
}

TEST_F(OrbisctlFixture, TakesPortAndSpeedFromTheProgramFolder) {
    QTemporaryDir dir;
    Settings settings = Settings::defaults("Face");
    settings.portNumber = 3;
    QFile comDat(dir.path() + "/COM.DAT");
    ASSERT_TRUE(comDat.open(QIODevice::WriteOnly));
    comDat.write(SettingsCodec::serialize(settings));
    comDat.close();
    QFile ports(dir.path() + "/ports.conf");
    ASSERT_TRUE(ports.open(QIODevice::WriteOnly));
    ports.write(("COM3=" + pty + "\n").toUtf8());
    ports.close();

    EXPECT_EQ(orbisctl({"--folder", dir.path(), "send", "M1"}).status, 0);
    EXPECT_EQ(orbisctl({"--folder", dir.path(), "--com", "3", "memory", "2"}).status, 0);
    EXPECT_EQ(receivedAfter(2), QByteArray("\x38\x21"));
    // Port 1 of the same folder is /dev/ttyS0 or nothing here, never the converter.
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files).size(), 2); // orbisctl wrote nothing
}

TEST(Orbisctl, UsageErrorsExitWithTwo) {
    for (const QStringList& args : QList<QStringList>{{},
                                                      {"send"},
                                                      {"send", "M3"},
                                                      {"memory", "3"},
                                                      {"--com", "5", "stop"},
                                                      {"--speed", "3", "stop"},
                                                      {"--port", "/dev/x", "--com", "1", "stop"},
                                                      {"--frobnicate", "stop"},
                                                      {"--port", "", "stop"},
                                                      {"--port", "rfc2217://shack", "stop"},
                                                      {"dance"}}) {
        const ToolRun run = orbisctl(args);
        EXPECT_EQ(run.status, 2) << args.join(' ').toStdString();
        // One line: the problem, and where the usage is.
        EXPECT_TRUE(QRegularExpression("^orbisctl: [^\\n]+; see orbisctl --help\\n$")
                        .match(run.err)
                        .hasMatch())
            << run.err.toStdString();
        EXPECT_TRUE(run.out.isEmpty());
    }
    EXPECT_EQ(orbisctl({"--port", "", "stop"}).err,
              "orbisctl: --port needs a device; see orbisctl --help\n");
    const ToolRun help = orbisctl({"--help"});
    EXPECT_EQ(help.status, 0);
    EXPECT_TRUE(help.out.contains("freerun MODE"));
}

TEST(Orbisctl, AMissingDeviceFailsWithNoResponse) {
    const ToolRun run = orbisctl({"--port", "/dev/no-such-converter", "send", "R36"});
    EXPECT_EQ(run.status, 1);
    // The note names the program and the device; the box text follows as it stands.
    EXPECT_TRUE(run.err.startsWith("orbisctl: cannot use the serial device "
                                   "/dev/no-such-converter: "))
        << run.err.toStdString();
    EXPECT_TRUE(run.err.endsWith("\nNo response from the interface\n")) << run.err.toStdString();
    EXPECT_EQ(run.err.count('\n'), 2);
}

TEST_F(OrbisctlFixture, UploadWritesTheHeaderAndRowsOneTo255WithTheirExchanges) {
    QTemporaryDir dir;
    const QImage picture = randomPicture(410, 256, 11);
    const QString file = dir.path() + "/picture.bmp";
    ASSERT_TRUE(picture.save(file));
    const ToolRun run = orbisctl({"--port", pty, "upload", file});
    ASSERT_EQ(run.status, 0) << run.err.toStdString();
    QByteArray expected("\x01\x08", 2);
    expected += pixelcodec::headerLine();
    for (int row = 1; row < 256; ++row)
        expected += '\x08' + pixelcodec::encodeImageRow(picture, row);
    EXPECT_EQ(sim.received(), expected);
    EXPECT_EQ(sim.memoryLine(1, 0), pixelcodec::headerLine());
}

TEST_F(OrbisctlFixture, UploadScalesAPictureIntoTheTxPictureSize) {
    QTemporaryDir dir;
    QImage small(41, 32, QImage::Format_RGB888);
    small.fill(qRgb(0, 0, 255));
    small.setPixel(40, 31, qRgb(255, 0, 0));
    const QString file = dir.path() + "/small.jpg";
    ASSERT_TRUE(small.save(file, "JPG", 100));
    ASSERT_EQ(orbisctl({"--port", pty, "upload", file}).status, 0);
    const QImage stored = sim.memoryPicture(1);
    EXPECT_LT(qRed(stored.pixel(100, 100)), 40); // blue everywhere ...
    EXPECT_GT(qBlue(stored.pixel(100, 100)), 200);
    EXPECT_EQ(stored.pixel(415, 100), qRgb(252, 255, 255)); // ... and white beyond column 409
}

TEST_F(OrbisctlFixture, FetchWritesTheConverterPixelsTenTo419) {
    QTemporaryDir dir;
    const QImage frame = randomPicture(420, 256, 12);
    sim.receive(60, frame); // the status byte is the stray byte the fetch drops
    const QString file = dir.path() + "/rx.bmp";
    const ToolRun run = orbisctl({"--port", pty, "fetch", file});
    ASSERT_EQ(run.status, 0) << run.err.toStdString();
    const QImage written(file);
    ASSERT_EQ(written.size(), QSize(410, 256));
    for (int row : {0, 77, 255}) {
        const QByteArray line = sim.memoryLine(1, row);
        const auto pixels =
            pixelcodec::decodeLine(reinterpret_cast<const std::uint8_t*>(line.constData()));
        for (int x = 0; x < 410; ++x)
            ASSERT_EQ(written.pixel(x, row), pixels[std::size_t(x + 10)] | 0xFF000000u)
                << row << "," << x;
    }
}

TEST_F(OrbisctlFixture, AFetchWhoseLineClosesKeepsThePartThatArrived) {
    QTemporaryDir dir;
    QImage frame(420, 256, QImage::Format_RGB888);
    frame.fill(qRgb(0, 0, 255));
    sim.receive(60, frame);
    sim.closeAfterLines(20);
    const ToolRun run = orbisctl({"--port", pty, "fetch", dir.path() + "/rx.bmp"});
    EXPECT_EQ(run.status, 1);
    EXPECT_TRUE(run.err.contains("Communication error[data]\n")) << run.err.toStdString();
    EXPECT_TRUE(run.err.contains("holds the part that arrived")) << run.err.toStdString();
    const QImage partial(dir.path() + "/rx.bmp");
    ASSERT_FALSE(partial.isNull());
    EXPECT_EQ(partial.pixel(200, 5), qRgb(0, 0, 252) | 0xFF000000u); // a line that arrived
    EXPECT_NE(partial.pixel(200, 200), partial.pixel(200, 5));       // the grey ramp below
}

TEST_F(OrbisctlFixture, AFetchToABadNameOrFolderIsRefusedBeforeAnyByteIsSent) {
    QTemporaryDir dir;
    const ToolRun png = orbisctl({"--port", pty, "fetch", dir.path() + "/rx.png"});
    EXPECT_EQ(png.status, 2);
    EXPECT_TRUE(png.err.contains(".bmp or .jpg")) << png.err.toStdString();
    const ToolRun nowhere = orbisctl({"--port", pty, "fetch", dir.path() + "/no/such/rx.jpg"});
    EXPECT_EQ(nowhere.status, 1);
    EXPECT_TRUE(nowhere.err.contains("does not exist")) << nowhere.err.toStdString();
    ASSERT_TRUE(QDir(dir.path()).mkdir("taken.bmp"));
    EXPECT_EQ(orbisctl({"--port", pty, "fetch", dir.path() + "/taken.bmp"}).status, 1);
    QThread::msleep(100);
    EXPECT_TRUE(sim.received().isEmpty());
}

TEST_F(OrbisctlFixture, WatchReportsEachReceptionWithItsWait) {
    QTimer::singleShot(200, [&] { sim.receive(mode(ModeId::Martin1).box->statusByte, QImage()); });
    const ToolRun run = orbisctl({"--port", pty, "watch", "--count", "1"});
    EXPECT_EQ(run.status, 0) << run.err.toStdString();
    EXPECT_EQ(run.out, "172 Martin 1 115000\n");
}

TEST_F(OrbisctlFixture, WatchReportsTheModelessStatusBytesWithADash) {
    QTimer::singleShot(200, [&] { sim.sendStatus(72); });
    EXPECT_EQ(orbisctl({"--port", pty, "watch", "--count", "1"}).out, "72 - 1040000\n");
}

TEST_F(OrbisctlFixture, WatchSavesEachPictureWhenItsReceptionTimeHasRunOut) {
    QTemporaryDir dir;
    const QImage frame = randomPicture(420, 256, 13);
    QTimer::singleShot(200, [&] { sim.receive(mode(ModeId::Scottie1).box->statusByte, frame); });
    test::VirtualClock clock; // the 111 s of the reception pass in virtual time
    const ToolRun run =
        orbisctl({"--port", pty, "watch", "--save", dir.path() + "/rx", "--count", "1"}, &clock);
    ASSERT_EQ(run.status, 0) << run.err.toStdString();
    EXPECT_GE(clock.elapsedMs(), 111000);
    const QStringList files = QDir(dir.path() + "/rx").entryList({"*.jpg"}, QDir::Files);
    ASSERT_EQ(files.size(), 1);
    EXPECT_TRUE(QRegularExpression("^\\d{6}_\\d{6}\\.jpg$").match(files[0]).hasMatch())
        << files[0].toStdString();
    EXPECT_EQ(QImage(dir.path() + "/rx/" + files[0]).size(), QSize(410, 256));
    EXPECT_TRUE(run.out.startsWith("60 Scottie 1 111000\nsaved ")) << run.out.toStdString();
    // The folder's reception log has the picture's line: time, mode, no slot, the JPEG file.
    QFile log(dir.path() + "/rx/received.log");
    ASSERT_TRUE(log.open(QIODevice::ReadOnly));
    const QList<QByteArray> fields = log.readAll().chopped(1).split('\t');
    ASSERT_EQ(fields.size(), 4);
    EXPECT_TRUE(QDateTime::fromString(QString::fromUtf8(fields[0]), Qt::ISODate).isValid());
    EXPECT_EQ(fields[1], "Scottie 1");
    EXPECT_EQ(fields[2], "-");
    EXPECT_EQ(fields[3], dir.path() + "/rx/" + files[0]);
}

TEST_F(OrbisctlFixture, WatchNeverReplacesAPictureOfTheSameSecond) {
    QTemporaryDir dir;
    // Pictures of every second the run can take are there already.
    const QDateTime start = QDateTime::currentDateTime();
    QStringList before;
    for (int second = 0; second < 60; ++second) {
        const QString name = start.addSecs(second).toString("ddMMyy_HHmmss") + ".jpg";
        QFile file(dir.path() + "/" + name);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write("an earlier picture");
        before << name;
    }
    QTimer::singleShot(200, [&] { sim.receive(mode(ModeId::Scottie1).box->statusByte, QImage()); });
    test::VirtualClock clock;
    const ToolRun run =
        orbisctl({"--port", pty, "watch", "--save", dir.path(), "--count", "1"}, &clock);
    ASSERT_EQ(run.status, 0) << run.err.toStdString();
    QStringList added = QDir(dir.path()).entryList({"*.jpg"}, QDir::Files);
    for (const QString& name : before) {
        EXPECT_EQ(added.removeAll(name), 1);
        QFile file(dir.path() + "/" + name);
        ASSERT_TRUE(file.open(QIODevice::ReadOnly));
        EXPECT_EQ(file.readAll(), "an earlier picture");
    }
    ASSERT_EQ(added.size(), 1);
    EXPECT_TRUE(QRegularExpression("^\\d{6}_\\d{6}_2\\.jpg$").match(added[0]).hasMatch())
        << added[0].toStdString();
}

TEST_F(OrbisctlFixture, WatchEndsWithStatusOneWhenItStoredAnIncompletePicture) {
    QTemporaryDir dir;
    sim.closeAfterLines(20);
    QTimer::singleShot(200, [&] { sim.receive(mode(ModeId::Martin2).box->statusByte, QImage()); });
    test::VirtualClock clock;
    const ToolRun run =
        orbisctl({"--port", pty, "watch", "--save", dir.path(), "--count", "1"}, &clock);
    EXPECT_EQ(run.status, 1);
    EXPECT_TRUE(run.out.contains(" (incomplete)\n")) << run.out.toStdString();
    EXPECT_EQ(QDir(dir.path()).entryList({"*.jpg"}, QDir::Files).size(), 1);
}

// The converter behind a stable name, as a USB adapter under /dev/serial/by-id, pulled out and
// plugged in again while orbisctl watches.
struct UnplugFixture : ::testing::Test {
    QTemporaryDir dir;
    ConverterSimulator sim;
    QString name;
    void SetUp() override {
        name = dir.filePath("Orbis70p");
        QString error;
        ASSERT_TRUE(sim.openPseudoTerminalAt(name, &error)) << error.toStdString();
    }
};

TEST_F(UnplugFixture, WatchFindsTheConverterAgainAndGoesOnWatching) {
    // Unplugged at 0.3 s, plugged in 1.5 s later; once the watch has identified the converter
    // again, a reception comes.
    int step = 0;
    QElapsedTimer since;
    QTimer script;
    QObject::connect(&script, &QTimer::timeout, [&] {
        if (step == 0 && since.elapsed() > 300) {
            sim.unplug();
            since.restart();
            ++step;
        } else if (step == 1 && since.elapsed() > 1500) {
            QString error;
            EXPECT_TRUE(sim.plugIn(&error)) << error.toStdString();
            ++step;
        } else if (step == 2 && sim.events().contains("identify")) {
            since.restart();
            ++step;
        } else if (step == 3 && since.elapsed() > 300) {
            sim.receive(mode(ModeId::Martin1).box->statusByte, QImage());
            ++step;
        }
    });
    since.start();
    script.start(50);
    const ToolRun run = orbisctl({"--port", name, "watch", "--count", "1"});
    EXPECT_EQ(run.status, 0) << run.err.toStdString();
    EXPECT_EQ(run.out, "172 Martin 1 115000\n");
    EXPECT_TRUE(
        run.err.contains("orbisctl: Connection to the converter lost: waiting for " + name + "\n"))
        << run.err.toStdString();
    EXPECT_TRUE(run.err.contains("orbisctl: Converter connected again\n")) << run.err.toStdString();
}

TEST_F(UnplugFixture, WatchWithoutReconnectingEndsWithStatusOneWhenTheConverterIsUnplugged) {
    QTimer::singleShot(300, [&] { sim.unplug(); });
    const ToolRun run = orbisctl({"--port", name, "watch", "--count", "2", "--no-reconnect"});
    EXPECT_EQ(run.status, 1);
    EXPECT_TRUE(run.err.contains("lost")) << run.err.toStdString();
    EXPECT_FALSE(run.err.contains("connected again"));
}

TEST(OrbisSim, RefusesAnUnknownOrIncompleteCommandLineByName) {
    struct Case {
        QStringList arguments;
        QString error;
    };
    const QList<Case> cases = {
        {{"--xyz"}, "orbis-sim: unknown option --xyz\n"},
        {{"--paced", "--xyz", "--help"}, "orbis-sim: unknown option --xyz\n"},
        {{"stray"}, "orbis-sim: unexpected argument stray\n"},
        {{"--device"}, "orbis-sim: --device needs a value\n"},
        {{"--speed", "3"}, "orbis-sim: --speed does not take 3\n"},
        {{"--identify", "256"}, "orbis-sim: --identify does not take 256\n"},
    };
    for (const Case& c : cases) {
        QProcess sim;
        sim.start(ORBIS_SIM_BINARY, c.arguments);
        ASSERT_TRUE(sim.waitForFinished(10000)) << c.arguments.join(' ').toStdString();
        EXPECT_EQ(sim.exitStatus(), QProcess::NormalExit);
        EXPECT_EQ(sim.exitCode(), 2) << c.arguments.join(' ').toStdString();
        EXPECT_EQ(QString::fromLocal8Bit(sim.readAllStandardError()), c.error);
        EXPECT_TRUE(sim.readAllStandardOutput().isEmpty());
    }
    QProcess help;
    help.start(ORBIS_SIM_BINARY, {"--help"});
    ASSERT_TRUE(help.waitForFinished(10000));
    EXPECT_EQ(help.exitCode(), 0);
    EXPECT_TRUE(help.readAllStandardOutput().startsWith("Usage: orbis-sim"));
}

// orbis-sim's fault commands as an operator types them, against the bytes on its line: each
// fault changes the answers as the converter's fault layer does, and only while it is on.
TEST(OrbisSim, FaultCommandsChangeTheAnswersOnItsLine) {
    QProcess sim;
    sim.start(ORBIS_SIM_BINARY, {});
    ASSERT_TRUE(sim.waitForReadyRead(10000));
    const QString first = QString::fromLocal8Bit(sim.readLine()).trimmed();
    const QString prefix = QStringLiteral("orbis-sim: Orbis 70p simulator on ");
    ASSERT_TRUE(first.startsWith(prefix)) << first.toStdString();
    SystemClock clock;
    ConverterLink link(clock);
    ASSERT_TRUE(link.OpenConverterPort(LinkSpeed::Baud115200, first.mid(prefix.size())));
    // What comes on the line until it has been quiet for 300 ms.
    const auto answer = [&link] {
        QByteArray bytes;
        std::uint8_t byte;
        for (int quiet = 0; quiet < 15;) {
            if (link.port().read(&byte, 1) == 1) {
                bytes += char(byte);
                quiet = 0;
            } else {
                ++quiet;
            }
        }
        return bytes;
    };
    // Types the commands, then a status byte whose arrival says they have been carried out.
    const auto type = [&](const QByteArray& commands) {
        sim.write(commands + "status 68\n");
        EXPECT_TRUE(sim.waitForBytesWritten(2000));
        EXPECT_EQ(answer(), QByteArray(1, char(68))) << commands.toStdString();
    };
    struct Case {
        QByteArray commands;
        QByteArray sent;
        QByteArray expected;
    };
    const QImage camera = ConverterSimulator::cameraPicture(0);
    const QList<Case> cases = {
        {"garbage 3\n", "\x10",
         QByteArray("\x55\x56\x57\x4C"
                    "ORB70")},
        {"garbage 0\nsilent on\n", "\x10\x01", ""},
        {"silent off\nidentify 194\n", "\x10",
         QByteArray("\xC2"
                    "ORB70")},
        // Line 2 is dropped, line 3 cut after five bytes.
        {"drop 2\ncut 3 5\n", "\x01\x04\x04\x04",
         '\x80' + pixelcodec::encodeImageRow(camera, 0) + '\x5A' +
             pixelcodec::encodeImageRow(camera, 2).left(5)},
    };
    for (const Case& c : cases) {
        type(c.commands);
        link.SendBytes(c.sent);
        EXPECT_EQ(answer(), c.expected) << c.commands.toStdString();
    }
    // The line closes after the first line of the next transfer (whatever of that line was still
    // unread goes with it).
    type("close-after 1\n");
    link.SendBytes("\x01\x04");
    answer();
    std::uint8_t byte;
    EXPECT_EQ(link.port().read(&byte, 1), 0);
    EXPECT_TRUE(link.port().hasVanished());
    sim.closeWriteChannel();
    sim.kill();
    sim.waitForFinished(5000);
}

namespace {

// A recording of a clean tone, as a sound card gives it: 8000 Hz mono, 8 or 16 bits.
QByteArray toneRecording(double hertz, int samples, int bits) {
    QByteArray data;
    for (int i = 0; i < samples; ++i) {
        const double s = std::sin(2 * M_PI * hertz * i / 8000.0);
        if (bits == 8) {
            data.append(char(std::lround(128 + 100 * s)));
        } else {
            const auto v = std::uint16_t(std::int16_t(std::lround(20000 * s)));
            data.append(char(v & 0xFF)).append(char(v >> 8));
        }
    }
    const auto le = [](std::uint32_t value, int size) {
        QByteArray bytes;
        for (int i = 0; i < size; ++i)
            bytes.append(char(value >> (8 * i) & 0xFF));
        return bytes;
    };
    const QByteArray fmt = le(1, 2) + le(1, 2) + le(8000, 4) + le(8000 * bits / 8, 4) +
                           le(std::uint32_t(bits / 8), 2) + le(std::uint32_t(bits), 2);
    const QByteArray body =
        "WAVEfmt " + le(16, 4) + fmt + "data" + le(std::uint32_t(data.size()), 4) + data;
    return "RIFF" + le(std::uint32_t(body.size()), 4) + body;
}

QString writeFile(const QTemporaryDir& dir, const QString& name, const QByteArray& bytes) {
    QFile file(dir.filePath(name));
    EXPECT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(bytes);
    return file.fileName();
}

} // namespace

TEST(OrbisctlAnalyze, TonesSitAtTheirColumnsOnceEveryDisplayUpdate) {
    QTemporaryDir dir;
    struct Tone {
        double hertz;
        int bits;
        double column;
    };
    for (const Tone tone : {Tone{1200, 8, 38}, Tone{1900, 16, 149}, Tone{2300, 8, 214}}) {
        // 3573 samples give the first update, every 3572 more the next.
        const QString wavFile =
            writeFile(dir, "tone.wav", toneRecording(tone.hertz, 3573 + 3572, tone.bits));
        const ToolRun run = orbisctl({"analyze", wavFile});
        ASSERT_EQ(run.status, 0) << run.err.toStdString();
        const QStringList lines = run.out.split('\n', Qt::SkipEmptyParts);
        ASSERT_EQ(lines.size(), 2) << run.out.toStdString();
        const QStringList fields = lines[1].split(' ');
        ASSERT_EQ(fields.size(), 4);
        EXPECT_EQ(fields[0], "2");
        EXPECT_EQ(fields[2], "0") << "a steady tone records no sync";
        EXPECT_NEAR(fields[3].toDouble(), tone.column, 1.0) << tone.hertz;
        EXPECT_NEAR(fields[1].toInt(), tone.column, 5) << tone.hertz;
    }
}

TEST(OrbisctlAnalyze, BinsAndThePictureOfTheLastDisplay) {
    QTemporaryDir dir;
    const QString wavFile = writeFile(dir, "tone.wav", toneRecording(1500, 3573, 8));
    const QString png = dir.filePath("display.png");
    const ToolRun run = orbisctl({"analyze", wavFile, "--bins", "--png", png});
    ASSERT_EQ(run.status, 0) << run.err.toStdString();
    const QStringList fields = run.out.trimmed().split(' ');
    ASSERT_EQ(fields.size(), 4 + 256);
    int total = 0;
    for (int i = 4; i < fields.size(); ++i)
        total += fields[i].toInt();
    EXPECT_GT(total, 3000) << "nearly all of the period's values are shown";
    const QImage picture(png);
    EXPECT_EQ(picture.size(), QSize(256, 75));
}

TEST(OrbisctlAnalyze, OtherRecordingsAndBadCommandLinesEndWithTwo) {
    QTemporaryDir dir;
    QByteArray stereo = toneRecording(1500, 100, 8);
    stereo[22] = 2; // two channels
    const QString stereoFile = writeFile(dir, "stereo.wav", stereo);
    ToolRun run = orbisctl({"analyze", stereoFile});
    EXPECT_EQ(run.status, 2);
    EXPECT_TRUE(run.err.contains("PCM mono at 8000 Hz")) << run.err.toStdString();
    EXPECT_EQ(orbisctl({"analyze"}).status, 2);
    EXPECT_EQ(orbisctl({"analyze", stereoFile, "--png", dir.filePath("x.bmp")}).status, 2);
    EXPECT_EQ(orbisctl({"analyze", dir.filePath("missing.wav")}).status, 2);
    EXPECT_TRUE(run.out.isEmpty());
}

namespace {

QImage greyPicture() {
    QImage picture(410, 256, QImage::Format_RGB888);
    picture.fill(QColor(128, 128, 128));
    return picture;
}

} // namespace

TEST(OrbisctlCaption, WritesThePixelsTheProgramBurnsIn) {
    QTemporaryDir dir;
    const QString in = dir.path() + "/in.bmp";
    ASSERT_TRUE(greyPicture().save(in, "BMP"));
    // The folder's caption settings: DejaVu Sans 30 px turned by 20°, yellow with a blue shadow.
    Settings settings = Settings::defaults(QStringLiteral("DejaVu Sans"));
    settings.callsignFont.height = 30;
    settings.callsignFont.escapement = 200;
    settings.callsignFont.textColour = colours::clYellow;
    settings.callsignFont.shadowColour = colours::clBlue;
    ASSERT_TRUE(writeFile(dir, "COM.DAT", SettingsCodec::serialize(settings)).size() > 0);
    const QString out = dir.path() + "/out.bmp";
    const ToolRun run = orbisctl(
        {"--folder", dir.path(), "caption", in, out, "--text", "DL1ABC", "--at", "40,200"});
    ASSERT_EQ(run.status, 0) << run.err.toStdString();
    QImage expected = greyPicture();
    captions::renderCaption(expected, QStringLiteral("DL1ABC"), {40, 200},
                            captions::captionStyle(settings));
    EXPECT_EQ(QImage(out).convertToFormat(QImage::Format_RGB888), expected);
    EXPECT_NE(expected, greyPicture());

    // Options change what the settings say; the callsign picture goes into the corner.
    QImage callsign(55, 13, QImage::Format_RGB888);
    callsign.fill(Qt::white);
    ASSERT_TRUE(callsign.save(dir.path() + "/callsign.bmp", "BMP"));
    ASSERT_EQ(orbisctl({"--folder", dir.path(), "caption", in, out, "--text", "73", "--size", "40",
                        "--angle", "0", "--colour", "#00ff00", "--no-shadow", "--callsign"})
                  .status,
              0);
    expected = greyPicture();
    settings.callsignFont.height = 40;
    settings.callsignFont.escapement = 0;
    settings.callsignFont.textColour = colours::clLime;
    settings.shadow = CaptionShadow::Off;
    captions::renderCaption(expected, QStringLiteral("73"), {5, 220},
                            captions::captionStyle(settings));
    captions::pasteCallsign(expected, callsign);
    EXPECT_EQ(QImage(out).convertToFormat(QImage::Format_RGB888), expected);
}

TEST(OrbisctlCaption, RefusesBadOptionsAndReportsAMissingCallsignPicture) {
    QTemporaryDir dir;
    const QString in = dir.path() + "/in.bmp";
    ASSERT_TRUE(greyPicture().save(in, "BMP"));
    const QString out = dir.path() + "/out.bmp";
    const QString folder = dir.path();
    EXPECT_EQ(orbisctl({"--folder", folder, "caption", in, out}).status, 2);
    EXPECT_EQ(
        orbisctl({"--folder", folder, "caption", in, out, "--text", "x", "--colour", "red"}).status,
        2);
    EXPECT_EQ(orbisctl({"--folder", folder, "caption", in, out, "--text",
                        "0123456789012345678901234567890123"})
                  .status,
              2);
    EXPECT_EQ(orbisctl({"--folder", folder, "caption", in, out, "--text", "x", "--at", "5"}).status,
              2);
    EXPECT_EQ(orbisctl({"--folder", folder, "caption", in, out + ".txt", "--text", "x"}).status, 2);
    const ToolRun missing =
        orbisctl({"--folder", folder, "caption", in, out, "--text", "x", "--callsign"});
    EXPECT_EQ(missing.status, 1);
    EXPECT_TRUE(missing.err.contains("callsign.bmp")) << missing.err.toStdString();
    EXPECT_FALSE(QFile::exists(out)); // nothing half-done is written
    EXPECT_EQ(
        orbisctl({"--folder", folder, "caption", dir.path() + "/none.bmp", out, "--text", "x"})
            .status,
        1);
}

TEST_F(OrbisctlFixture, UploadBurnsTheCaptionInBeforeThePictureGoesOut) {
    QTemporaryDir dir;
    const QString in = dir.path() + "/in.bmp";
    ASSERT_TRUE(greyPicture().save(in, "BMP"));
    ASSERT_EQ(orbisctl({"--folder", dir.path(), "--port", pty, "upload", in, "--text", "CQ",
                        "--size", "60", "--colour", "#ff0000", "--at", "100,100"})
                  .status,
              0);
    const QImage stored = sim.memoryPicture(1);
    int red = 0;
    for (int y = 100; y < 160; ++y)
        for (int x = 110; x < 170; ++x)
            red += qRed(stored.pixel(x, y)) > 200 && qGreen(stored.pixel(x, y)) < 60;
    EXPECT_GT(red, 100);
    EXPECT_EQ(orbisctl({"--port", pty, "upload", in, "--size", "20"}).status, 2);
}

TEST(OrbisctlLog, ShowsAndExportsALogBook) {
    QTemporaryDir dir;
    const QString table = dir.filePath("QSO.DB");
    QString error;
    ASSERT_TRUE(logbook::ParadoxTable::create(table,
                                              {{"Call", logbook::FieldType::Alpha, 12, 0},
                                               {"Datum", logbook::FieldType::Date, 0, 0},
                                               {"Band", logbook::FieldType::Alpha, 5, 0}},
                                              &error));
    {
        auto log = logbook::ParadoxTable::open(table, &error);
        ASSERT_TRUE(log);
        ASSERT_TRUE(log->insert({"OE3XYZ", QDate(2026, 1, 2), "40m"}, &error));
        ASSERT_TRUE(log->insert({QVariant(), QDate(2026, 1, 3), "40m"}, &error));
    }
    const ToolRun show = orbisctl({"log", "show", table});
    ASSERT_EQ(show.status, 0) << show.err.toStdString();
    EXPECT_EQ(show.out, "Call\tAlpha\t12\nDatum\tDate\t10\nBand\tAlpha\t5\n\n"
                        "OE3XYZ\t2026-01-02\t40m\n\t2026-01-03\t40m\n");
    const QString adi = dir.filePath("qso.adi");
    const ToolRun exported = orbisctl({"log", "export", table, "--out", adi});
    ASSERT_EQ(exported.status, 0) << exported.err.toStdString();
    EXPECT_TRUE(exported.err.contains("record 2 has no call sign"));
    QFile file(adi);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_TRUE(file.readAll().endsWith(
        "<CALL:6>OE3XYZ <QSO_DATE:8>20260102 <BAND:3>40M <MODE:4>SSTV <EOR>\n"));
    EXPECT_EQ(orbisctl({"log", "export", dir.filePath("none.db")}).status, 1);
    EXPECT_EQ(orbisctl({"log", "print", table}).status, 2);
    EXPECT_EQ(orbisctl({"log", "show", table, "--out", adi}).status, 2);
}

TEST_F(OrbisctlFixture, BeaconSendsTheCatalogPagePictureByPictureWithTheModeByte) {
    QTemporaryDir dir;
    ASSERT_TRUE(QDir(dir.path()).mkpath("im2"));
    QImage red(410, 256, QImage::Format_RGB888);
    red.fill(Qt::red);
    ASSERT_TRUE(red.save(dir.path() + "/im2/CAT3.BMP", "BMP"));
    QImage blue(410, 256, QImage::Format_RGB888);
    blue.fill(Qt::blue);
    ASSERT_TRUE(blue.save(dir.path() + "/im2/cat5.jpg", "JPG"));
    const ToolRun run = orbisctl({"--folder", dir.path(), "--port", pty, "beacon", "--page", "2",
                                  "--interval", "1", "--mode", "m1", "--count", "2"});
    ASSERT_EQ(run.status, 0) << run.err.toStdString();
    const QStringList lines = run.out.split('\n', Qt::SkipEmptyParts);
    ASSERT_EQ(lines.size(), 2);
    EXPECT_TRUE(lines[0].startsWith("2 3 ")) << lines[0].toStdString();
    EXPECT_TRUE(lines[0].endsWith("/im2/CAT3.BMP"));
    EXPECT_TRUE(lines[1].startsWith("2 5 "));
    // Martin 1 after each upload (the last bytes may still be on their way to the simulator, which
    // lags behind on a loaded machine).
    QElapsedTimer waited;
    waited.start();
    while ((sim.received().count(char(56)) < 2 ||
            qBlue(sim.memoryPicture(1).pixel(100, 100)) <= 200) &&
           waited.elapsed() < 10000)
        QThread::msleep(10);
    EXPECT_EQ(sim.received().count(char(56)), 2);
    EXPECT_GT(qBlue(sim.memoryPicture(1).pixel(100, 100)), 200);
}

TEST_F(OrbisctlFixture, BeaconOnAnEmptyPageEndsWithStatusOne) {
    QTemporaryDir dir;
    const ToolRun run = orbisctl(
        {"--folder", dir.path(), "--port", pty, "beacon", "--page", "0", "--interval", "5"});
    EXPECT_EQ(run.status, 1);
    EXPECT_TRUE(run.err.contains("no picture")) << run.err.toStdString();
    EXPECT_EQ(orbisctl({"--port", pty, "beacon", "--interval", "5"}).status, 2);
    EXPECT_EQ(orbisctl({"--port", pty, "beacon", "--page", "18"}).status, 2);
    EXPECT_EQ(orbisctl({"--port", pty, "beacon", "--page", "1", "--mode", "s1"}).status, 2);
}
