// SPDX-License-Identifier: GPL-3.0-or-later
// The converter across the network as a remote station has it: ser2net on 127.0.0.1 in front of
// the simulated converter's pseudo-terminal, once with an RFC 2217 accepter and once raw. The
// program's link and the installed orbisctl, run as a user's shell runs it, reach it by
// rfc2217:// and tcp:// names.
#include "converter/Modes.h"
#include "converter/PixelCodec.h"
#include "link/ConverterLink.h"
#include "platform/Clock.h"
#include "support/ScriptedDialogs.h"
#include "tools/simulator/ConverterSimulator.h"
#include "tools/simulator/Ser2netServer.h"

#include <QDeadlineTimer>
#include <QProcess>
#include <QProcessEnvironment>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QThread>

#include <gtest/gtest.h>

using namespace winorbis;
using winorbis::test::ScriptedDialogs;

namespace {

// A program run as a user's shell runs it: no display, no platform choice, a fresh home.
QProcessEnvironment plainEnvironment(const QString& home) {
    QProcessEnvironment environment;
    environment.insert("PATH", "/usr/bin:/bin");
    environment.insert("HOME", home);
    environment.insert("LANG", "C.UTF-8");
    // Under a sanitizer build, its options: a report then goes where the other processes' go.
    for (const char* name : {"TSAN_OPTIONS", "ASAN_OPTIONS", "UBSAN_OPTIONS"}) {
        if (qEnvironmentVariableIsSet(name))
            environment.insert(name, qEnvironmentVariable(name));
    }
    return environment;
}

struct ToolRun {
    int status = -1;
    QString out, err;
};

class Ser2netTest : public ::testing::TestWithParam<bool> {
protected:
    // orbisctl as it ships: installed under a fresh prefix, once for all cases.
    static void SetUpTestSuite() {
        prefix_ = new QTemporaryDir;
        QProcess install;
        install.setProcessChannelMode(QProcess::MergedChannels);
        install.start(WINORBIS_TEST_CMAKE,
                      {"--install", WINORBIS_TEST_BUILD_DIR, "--prefix", prefix_->path()});
        installed_ = install.waitForFinished(120000) && install.exitCode() == 0;
        installOutput_ = QString::fromLocal8Bit(install.readAll());
    }
    static void TearDownTestSuite() {
        delete prefix_;
        prefix_ = nullptr;
    }

    void SetUp() override {
        ASSERT_TRUE(installed_) << installOutput_.toStdString();
        QString error;
        ASSERT_TRUE(sim.openPseudoTerminal(&device, &error)) << error.toStdString();
        server = std::make_unique<Ser2netServer>(device, GetParam());
        ASSERT_TRUE(server->start(&error)) << error.toStdString();
    }

    ToolRun orbisctl(const QStringList& arguments, QProcess* running = nullptr) {
        QProcess own;
        QProcess& process = running ? *running : own;
        process.setProcessEnvironment(plainEnvironment(home.path()));
        process.setWorkingDirectory(home.path());
        process.start(prefix_->filePath(WINORBIS_TEST_BINDIR "/orbisctl"), arguments);
        ToolRun run;
        if (running)
            return run;
        EXPECT_TRUE(process.waitForFinished(60000)) << arguments.join(' ').toStdString();
        run.status = process.exitCode();
        run.out = QString::fromLocal8Bit(process.readAllStandardOutput());
        run.err = QString::fromLocal8Bit(process.readAllStandardError());
        return run;
    }

    ConverterSimulator sim;
    QString device;
    std::unique_ptr<Ser2netServer> server;
    QTemporaryDir home;
    static inline QTemporaryDir* prefix_ = nullptr;
    static inline bool installed_ = false;
    static inline QString installOutput_;
};

QString waitForText(QProcess& process, QString& seen, const QString& text, int ms) {
    const QDeadlineTimer deadline(ms);
    while (!seen.contains(text) && !deadline.hasExpired()) {
        process.waitForReadyRead(50);
        seen += QString::fromLocal8Bit(process.readAllStandardError());
    }
    return seen;
}

} // namespace

TEST_P(Ser2netTest, OrbisctlIdentifiesTheConverterAndASecondClientIsRefused) {
    sim.setIdentifyAnswer(196);
    const ToolRun run = orbisctl({"--port", server->portName(), "identify"});
    EXPECT_EQ(run.status, 0) << run.err.toStdString();
    EXPECT_EQ(run.out, "196\n");
    EXPECT_TRUE(run.err.isEmpty()) << run.err.toStdString();

    // While the program holds the converter, another program is told so by the server.
    SystemClock clock;
    ScriptedDialogs dialogs;
    ConverterLink link(clock, failureBoxes(dialogs));
    ASSERT_TRUE(link.OpenConverterPort(LinkSpeed::Baud115200, server->portName()));
    EXPECT_EQ(link.port().kind(), "network port");
    EXPECT_EQ(link.IdentifyConverter(), 196);
    const ToolRun second = orbisctl({"--port", server->portName(), "identify"});
    EXPECT_EQ(second.status, 1);
    // The server says why and closes. A Telnet client has sent its options by then; when the
    // server closes with them unread, the system resets the connection and may drop the server's
    // text before the client reads it (seen under the thread sanitizer's slowness): then the
    // client can only say that the server closed the connection.
    const QString prefix = "orbisctl: cannot use the network port " + server->portName() + ": ";
    const bool told = second.err.startsWith(prefix + "the server refused the connection: ") &&
                      second.err.contains("in use");
    const bool reset =
        GetParam() && second.err.startsWith(prefix + "the server closed the connection");
    EXPECT_TRUE(told || reset) << second.err.toStdString();
    EXPECT_TRUE(second.err.endsWith("\nNo response from the interface\n"));
    EXPECT_EQ(link.IdentifyConverter(), 196) << "the first client keeps its converter";
}

TEST_P(Ser2netTest, AnUploadAndAFetchFullOf0xFFAreByteExact) {
    SystemClock clock;
    ScriptedDialogs dialogs;
    ConverterLink link(clock, failureBoxes(dialogs));
    ASSERT_TRUE(link.OpenConverterPort(LinkSpeed::Baud115200, server->portName()));
    // The converter keeps the bytes of a line as they come: lines of 0xFF with a count among
    // them, so that a byte lost or doubled anywhere shows.
    const auto lineBytes = [](int line) {
        QByteArray bytes(pixelcodec::kLineBytes, '\xFF');
        for (int i = 0; i < bytes.size(); i += 7)
            bytes[i] = char((line + i) & 0xFF);
        return bytes;
    };
    QByteArray expected("\x01", 1);
    ASSERT_TRUE(link.SendCommandAwaitAck(command::kBeginTransfer));
    for (int line = 0; line < pixelcodec::kFrameLines; ++line) {
        ASSERT_TRUE(link.SendCommandAwaitAck(command::kLineFollows)) << "line " << line;
        const QByteArray bytes = lineBytes(line);
        for (const char byte : bytes)
            link.SendCommandByte(std::uint8_t(byte));
        ASSERT_TRUE(link.AwaitLineAck()) << "line " << line;
        expected += '\x08' + bytes;
    }
    EXPECT_EQ(sim.received(), expected);
    ASSERT_GT(expected.count('\xFF'), 180000);
    for (int line = 0; line < pixelcodec::kFrameLines; ++line)
        ASSERT_EQ(sim.memoryLine(1, line), lineBytes(line)) << "line " << line;

    // The fetch's lines as they come, against the converter's memory.
    ASSERT_TRUE(link.SendCommandAwaitAck(command::kBeginTransfer));
    for (int line = 0; line < pixelcodec::kFrameLines; ++line) {
        link.SendCommandByte(command::kNextLine);
        QByteArray got(pixelcodec::kFetchLineBytes, '\0');
        int have = 0;
        while (have < got.size()) {
            const int n = link.port().read(reinterpret_cast<std::uint8_t*>(got.data()) + have,
                                           int(got.size()) - have);
            if (n == 0)
                break;
            have += n;
        }
        ASSERT_EQ(have, pixelcodec::kFetchLineBytes) << "line " << line;
        ASSERT_EQ(got.left(pixelcodec::kLineBytes), sim.memoryLine(1, line)) << "line " << line;
    }
    EXPECT_TRUE(dialogs.texts().isEmpty()) << dialogs.texts().join('\n').toStdString();
}

TEST_P(Ser2netTest, OrbisctlWatchesAReceptionAndComesBackAfterTheServerRestarts) {
    QProcess watch;
    orbisctl({"--port", server->portName(), "watch", "--count", "1"}, &watch);
    ASSERT_TRUE(watch.waitForStarted());
    QString err;
    waitForText(watch, err, "watching the converter", 10000);
    ASSERT_TRUE(err.contains("watching the converter")) << err.toStdString();

    server->kill();
    waitForText(watch, err, "waiting for", 5000);
    EXPECT_TRUE(err.contains("Connection to the converter lost: waiting for " + server->hostPort()))
        << err.toStdString();
    QThread::msleep(2500); // tried again, in vain, twice
    QString error;
    ASSERT_TRUE(server->start(&error)) << error.toStdString();
    waitForText(watch, err, "Converter connected again", 8000);
    ASSERT_TRUE(err.contains("Converter connected again")) << err.toStdString();
    EXPECT_EQ(err.count("Connection to the converter lost"), 1) << err.toStdString();

    sim.receive(mode(ModeId::Robot36).box->statusByte, ConverterSimulator::cameraPicture(3));
    ASSERT_TRUE(watch.waitForFinished(10000));
    err += QString::fromLocal8Bit(watch.readAllStandardError());
    EXPECT_EQ(watch.exitCode(), 0) << err.toStdString();
    EXPECT_TRUE(
        QString::fromLocal8Bit(watch.readAllStandardOutput())
            .startsWith(QStringLiteral("%1 Robot 36 ").arg(mode(ModeId::Robot36).box->statusByte)));
}

INSTANTIATE_TEST_SUITE_P(Accepters, Ser2netTest, ::testing::Values(true, false),
                         [](const ::testing::TestParamInfo<bool>& accepter) {
                             return std::string(accepter.param ? "Rfc2217" : "RawTcp");
                         });
