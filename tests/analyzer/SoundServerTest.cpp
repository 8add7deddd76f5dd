// SPDX-License-Identifier: GPL-3.0-or-later
// The recording device on a real sound server: a private PulseAudio daemon whose only recording
// device is a pipe fed with a generated tone in real time, recorded through Qt Multimedia by the
// analyzer window and by orbisctl tune. Skipped where no pulseaudio program is installed (the build
// machines have none, so that every other test finds no recording device there).
#include "analyzer/AnalyzerTexts.h"
#include "analyzer/TuningDisplay.h"
#include "analyzer/Tunit8.h"
#include "platform/ProgramFolder.h"
#include "radio/devices/qt/QtAudioInput.h"
#include "support/EventPump.h"
#include "support/ScriptedDialogs.h"
#include "tools/orbisctl/Tune.h"

#include <QAudioDevice>
#include <QFile>
#include <QMediaDevices>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QThread>

#include <gtest/gtest.h>

#include <atomic>
#include <cmath>
#include <cstdio>
#include <memory>
#include <numbers>
#include <thread>

using namespace winorbis;
using namespace winorbis::test;

namespace {

// A PulseAudio daemon of its own, with nothing of the machine's sound, and a pipe source "line"
// (unsigned 8-bit mono at 8000 Hz) fed with a tone of the chosen frequency at the real rate.
class PrivateSoundServer {
public:
    static QString program() { return QStandardPaths::findExecutable("pulseaudio"); }

    bool start() {
        const QString fifo = dir_.filePath("line.fifo");
        socket_ = dir_.filePath("native");
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert("HOME", dir_.path());
        environment.insert("XDG_RUNTIME_DIR", dir_.path());
        daemon_.setProcessEnvironment(environment);
        daemon_.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        daemon_.start(program(), {"-n", "--daemonize=no", "--exit-idle-time=-1",
                                  "--use-pid-file=no", "-F", "/dev/null", "--log-level=error",
                                  "--load=module-pipe-source source_name=line file=" + fifo +
                                      " format=u8 rate=8000 channels=1",
                                  "--load=module-native-protocol-unix socket=" + socket_ +
                                      " auth-anonymous=1"});
        if (!daemon_.waitForStarted(5000))
            return false;
        for (int i = 0; i < 100 && !QFile::exists(socket_); ++i)
            QThread::msleep(50);
        if (!QFile::exists(socket_))
            return false;
        // Qt's sound system connects once per process, to this server.
        qputenv("PULSE_SERVER", ("unix:" + socket_).toLocal8Bit());
        qputenv("PULSE_CLIENTCONFIG", "/dev/null");
        writer_ = std::thread([this, fifo] { feed(fifo); });
        return true;
    }
    void setTone(double hertz) { hertz_ = hertz; }
    // Ends the server; the tone stops first, as a pipe without reader would end this process.
    void kill() {
        running_ = false;
        if (writer_.joinable())
            writer_.join();
        daemon_.kill();
        daemon_.waitForFinished(5000);
    }
    ~PrivateSoundServer() { kill(); }

private:
    void feed(const QString& fifo) {
        std::FILE* pipe = std::fopen(QFile::encodeName(fifo).constData(), "wb");
        if (!pipe)
            return;
        double phase = 0.0;
        // 20 ms of tone every 20 ms.
        while (running_) {
            unsigned char chunk[160];
            for (unsigned char& sample : chunk) {
                sample = static_cast<unsigned char>(std::lround(128.0 + 100.0 * std::sin(phase)));
                phase = std::fmod(phase + 2.0 * std::numbers::pi * hertz_ / 8000.0,
                                  2.0 * std::numbers::pi);
            }
            if (std::fwrite(chunk, 1, sizeof chunk, pipe) != sizeof chunk || std::fflush(pipe))
                break;
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        }
        std::fclose(pipe);
    }

    QTemporaryDir dir_;
    QString socket_;
    QProcess daemon_;
    std::thread writer_;
    std::atomic<bool> running_{true};
    std::atomic<double> hertz_{1900.0};
};

// One server for the test program: the sound system of a process stays with the first server
// it reaches.
struct SoundServer : ::testing::Test {
    static inline std::unique_ptr<PrivateSoundServer> server;

    static void SetUpTestSuite() {
        if (PrivateSoundServer::program().isEmpty())
            return;
        server = std::make_unique<PrivateSoundServer>();
        if (!server->start())
            server.reset();
    }
    static void TearDownTestSuite() { server.reset(); }
    void SetUp() override {
        if (!server)
            GTEST_SKIP() << "no pulseaudio program to run a sound server with";
    }
};

} // namespace

TEST_F(SoundServer, OrbisctlTuneRecordsTheToneFromTheChosenDevice) {
    QTemporaryDir dir;
    QtAudioInput input;
    std::FILE* out = std::tmpfile();
    std::FILE* err = std::tmpfile();
    EXPECT_EQ(runTune({"--list"}, ProgramFolder(dir.path()), input, out, err), 0);
    EXPECT_EQ(
        runTune({"--device", "line", "--count", "3"}, ProgramFolder(dir.path()), input, out, err),
        0);
    std::rewind(out);
    char line[256];
    ASSERT_TRUE(std::fgets(line, sizeof line, out));
    EXPECT_TRUE(QString(line).startsWith("line\t")) << line;
    QStringList updates;
    while (std::fgets(line, sizeof line, out))
        updates << QString(line).trimmed();
    ASSERT_EQ(updates.size(), 3);
    // The last update lies wholly in the tone: its centre of mass at column 149.
    const QStringList fields = updates.back().split(' ');
    ASSERT_EQ(fields.size(), 4);
    EXPECT_EQ(fields[0], "3");
    EXPECT_NEAR(fields[3].toDouble(), 149.0, 1.0);
    std::fclose(out);
    std::fclose(err);
}

TEST_F(SoundServer, TheWindowShowsTheToneAtItsColumnAndSurvivesTheServerEnding) {
    ScriptedDialogs dialogs;
    Tunit8 window(dialogs);
    server->setTone(2300);
    window.show();
    ASSERT_TRUE(window.soundDevice().isOpen());
    ASSERT_TRUE(pumpUntil([&] { return window.periodsShown() >= 3; }, 10000));
    EXPECT_NEAR(tuningdisplay::summarize(window.lastPeriod()).mean, 214.0, 1.0);
    EXPECT_TRUE(dialogs.shown().isEmpty());

    // The sound server goes away while the window records: closing and showing it again must
    // not crash, and showing it again says why it does not record.
    server->kill();
    pumpUntil([] { return false; }, 500);
    window.close();
    EXPECT_FALSE(window.soundDevice().isOpen());
    window.show();
    EXPECT_EQ(dialogs.shown().size(), 1);
    window.close();
}
