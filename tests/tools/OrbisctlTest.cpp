// SPDX-License-Identifier: GPL-3.0-or-later
// orbisctl against the simulated converter on a pseudo-terminal.
#include "tools/orbisctl/Orbisctl.h"
#include "app/settings/SettingsCodec.h"
#include "link/ModeTable.h"
#include "platform/Clock.h"
#include "tools/simulator/ConverterSimulator.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>

using namespace winorbis;

namespace {

struct ToolRun {
    int status = -1;
    QString out, err;
};

ToolRun orbisctl(const QStringList& arguments) {
    char* outText = nullptr;
    char* errText = nullptr;
    std::size_t outSize = 0, errSize = 0;
    std::FILE* out = open_memstream(&outText, &outSize);
    std::FILE* err = open_memstream(&errText, &errSize);
    SystemClock clock;
    ToolRun run;
    run.status = runOrbisctl(arguments, clock, out, err);
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
    // The bytes the converter got, once count events have happened.
    QByteArray receivedAfter(int count) {
        EXPECT_TRUE(sim.waitForEvents(count, 2000));
        return sim.received();
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
    for (const Mode& m : modeTable()) {
        cases.append({{"send", m.shortName}, m.txByte});
        cases.append({{"freerun", m.shortName.toLower()}, m.freeRunByte});
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
    EXPECT_EQ(run.err, "No connection to Orbis 70p. Control please the interface (Setup) and the "
                       "jumper in the Orbis 70p.\n");
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
                                                      {"dance"}}) {
        const ToolRun run = orbisctl(args);
        EXPECT_EQ(run.status, 2) << args.join(' ').toStdString();
        EXPECT_TRUE(run.err.contains("Usage: orbisctl")) << args.join(' ').toStdString();
    }
    const ToolRun help = orbisctl({"--help"});
    EXPECT_EQ(help.status, 0);
    EXPECT_TRUE(help.out.contains("freerun MODE"));
}

TEST(Orbisctl, AMissingDeviceFailsWithNoResponse) {
    const ToolRun run = orbisctl({"--port", "/dev/no-such-converter", "send", "R36"});
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.err, "No response from the interface\n");
}
