// SPDX-License-Identifier: GPL-3.0-or-later
// orbisctl handheld against the simulated handheld on a pseudo-terminal, and orbis-sim --handheld
// as a program.
#include "platform/Clock.h"
#include "tools/handheldsim/HandheldSimulator.h"
#include "tools/orbisctl/Orbisctl.h"

#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QThread>

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>

using namespace winorbis;

namespace {

QByteArray bytes(std::initializer_list<int> values) {
    QByteArray out;
    for (int v : values)
        out.append(char(v));
    return out;
}

struct ToolRun {
    int status = -1;
    QString out, err;
};

struct OrbisctlHandheld : ::testing::Test {
    void SetUp() override {
        QString error;
        ASSERT_TRUE(sim.openPseudoTerminal(&pty, &error)) << error.toStdString();
    }
    ToolRun run(const QStringList& words) {
        char* outText = nullptr;
        char* errText = nullptr;
        std::size_t outSize = 0, errSize = 0;
        std::FILE* out = open_memstream(&outText, &outSize);
        std::FILE* err = open_memstream(&errText, &errSize);
        SystemClock clock;
        ToolRun result;
        result.status =
            runOrbisctl(QStringList{"--port", pty, "handheld"} + words, clock, out, err);
        std::fclose(out);
        std::fclose(err);
        result.out = QString::fromLocal8Bit(outText, qsizetype(outSize));
        result.err = QString::fromLocal8Bit(errText, qsizetype(errSize));
        std::free(outText);
        std::free(errText);
        return result;
    }
    // What the handheld got from one command.
    QByteArray sent(const QStringList& words, int expectedStatus = 0) {
        const qsizetype mark = sim.received().size();
        const ToolRun r = run(words);
        EXPECT_EQ(r.status, expectedStatus) << r.err.toStdString();
        return sim.received().mid(mark);
    }

    HandheldSimulator sim;
    QString pty;
};

TEST_F(OrbisctlHandheld, ReadPrintsFlagsTextsIntervalAndPages) {
    ASSERT_TRUE(sim.applyAll("flags 0x35\ncall DL1ABC magenta\nticks 4000\npage 1 picture held\n"
                             "page 3 picture\npage 4 large\npage 5 picture"));
    const ToolRun r = run({"read"});
    EXPECT_EQ(r.status, 0) << r.err.toStdString();
    EXPECT_EQ(r.out, "flags: 53\n"
                     "  bit 0: AF monitor off\n"
                     "  bit 1: call sign display off\n"
                     "  bit 2: power save on\n"
                     "  bit 4: default TX mode Fast FM\n"
                     "  bit 5: variable interval on\n"
                     "  bit 6: repeater ID off\n"
                     "call sign: DL1ABC\n"
                     "call sign colour: Magenta\n"
                     "interval: 60 s\n"
                     "P1 picture held\nP2 empty\nP3 picture\nP4 picture\nP5 unusable\n"
                     "P6 empty\nP7 empty\nP8 empty\nP9 empty\nP10 empty\n");
    EXPECT_TRUE(sim.received().startsWith(bytes({16, 101, 96, 2, 4, 0, 8, 3})));
}

TEST_F(OrbisctlHandheld, PageAndTextCommandsSendTheWindowsBytes) {
    EXPECT_EQ(sent({"store", "4"}), bytes({35, 3}));
    EXPECT_EQ(sent({"recall", "10"}), bytes({34, 9}));
    EXPECT_EQ(sent({"hold", "3"}), bytes({33, 130, 97, 2, 4, 200, 10, 1, 0, 255}));
    EXPECT_EQ(sent({"release", "3"}), bytes({33, 2, 97, 2, 4, 200, 10, 1, 0, 0}));
    EXPECT_EQ(sent({"message", "cq", "RED"}), bytes({22, 2, 67, 81, 5}));
    EXPECT_EQ(sent({"report", "59 9", "yellow"}), bytes({20, 4, '5', '9', ' ', '9', 1}));
    EXPECT_EQ(sent({"call", "dl1abc/p", "Black"}),
              bytes({21, 8, 'D', 'L', '1', 'A', 'B', 'C', '/', 'P', 7}));
    const ToolRun r = run({"store", "1"});
    EXPECT_EQ(r.out, "Store to P1 Complete\n");
}

TEST_F(OrbisctlHandheld, FunctionsChangeOnlyWhatIsGiven) {
    ASSERT_TRUE(sim.applyAll("flags 0x88\ninterval 45"));
    // Without an interval the handheld's own is written back.
    EXPECT_EQ(sent({"functions", "--af-monitor", "off", "--default-mode", "fast-fm"}),
              bytes({16, 101, 19, 0x99, 24, 11, 184}));
    EXPECT_EQ(sent({"functions", "--interval", "1", "--repeater-id", "on", "--power-save", "on",
                    "--call-display", "on", "--variable-interval", "on", "--af-monitor", "on",
                    "--default-mode", "robot36"}),
              bytes({16, 19, 0xee, 24, 0, 67}));
    const ToolRun r = run({"functions"});
    EXPECT_EQ(r.out, "Function Set Compleat\n");
    EXPECT_EQ(sim.model().flags, 0xee);
}

TEST_F(OrbisctlHandheld, FailuresAndUsageErrors) {
    ASSERT_TRUE(sim.apply("silent on"));
    ToolRun r = run({"store", "2"});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.err, "Communication inactive\nStore to P2 Incomplete\n");
    ASSERT_TRUE(sim.applyAll("silent off\nfirst-answer-only on"));
    r = run({"read"});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.err, "Communication inactive 2\n");
    EXPECT_TRUE(r.out.isEmpty());
    ASSERT_TRUE(sim.applyAll("faults off\nblock-bytes 17"));
    r = run({"functions"});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.err, "Communication inactive 17\n");

    // Usage errors send nothing.
    const qsizetype mark = sim.received().size();
    for (const QStringList& words : {QStringList{"store", "0"},
                                     {"hold", "11"},
                                     {"recall"},
                                     {"message", "C#", "Red"},
                                     {"message", "CQ.", "Red"},
                                     {"message", "TOOLONGTXT", "Red"},
                                     {"call", "ABCDEFGHI", "Red"},
                                     {"report", "", "Red"},
                                     {"message", "CQ", "Purple"},
                                     {"message", "CQ"},
                                     {"functions", "--power-save", "yes"},
                                     {"functions", "--interval", "961"},
                                     {"functions", "--default-mode", "fast"},
                                     {"functions", "--beep", "on"},
                                     {"transmit"}}) {
        r = run(words);
        EXPECT_EQ(r.status, 2) << words.join(' ').toStdString();
    }
    EXPECT_EQ(sim.received().size(), mark);
}

TEST(OrbisSimHandheld, ServesAPresetHandheldOnAPseudoTerminal) {
    QTemporaryDir dir;
    QFile preset(dir.filePath("station.txt"));
    ASSERT_TRUE(preset.open(QIODevice::WriteOnly));
    preset.write("# my handheld\ncall DK0XYZ Cyanic\npage 2 picture held\n");
    preset.close();
    QProcess sim;
    sim.start(ORBIS_SIM_BINARY,
              {"--handheld", "--preset", preset.fileName(), "--set", "page 6 large"});
    ASSERT_TRUE(sim.waitForStarted());
    QString device;
    ASSERT_TRUE(sim.waitForReadyRead(5000));
    const auto match = QRegularExpression("on (/dev/\\S+)").match(sim.readAllStandardOutput());
    ASSERT_TRUE(match.hasMatch());
    device = match.captured(1);

    char* outText = nullptr;
    std::size_t outSize = 0;
    std::FILE* out = open_memstream(&outText, &outSize);
    SystemClock clock;
    const int status = runOrbisctl({"--port", device, "handheld", "read"}, clock, out, stderr);
    std::fclose(out);
    const QString printed = QString::fromLocal8Bit(outText, qsizetype(outSize));
    std::free(outText);
    EXPECT_EQ(status, 0);
    EXPECT_TRUE(printed.contains("call sign: DK0XYZ\ncall sign colour: Cyanic\n"));
    EXPECT_TRUE(printed.contains("P2 picture held\n"));
    EXPECT_TRUE(printed.contains("P7 unusable\n"));

    // Faults from standard input.
    sim.write("silent on\n");
    sim.waitForBytesWritten();
    QThread::msleep(200);
    out = open_memstream(&outText, &outSize);
    char* errText = nullptr;
    std::size_t errSize = 0;
    std::FILE* err = open_memstream(&errText, &errSize);
    EXPECT_EQ(runOrbisctl({"--port", device, "handheld", "recall", "2"}, clock, out, err), 1);
    std::fclose(out);
    std::fclose(err);
    EXPECT_EQ(QString::fromLocal8Bit(errText, qsizetype(errSize)),
              "Communication inactive\nReCall from P2 Incomplete\n");
    std::free(outText);
    std::free(errText);

    sim.write("quit\n");
    EXPECT_TRUE(sim.waitForFinished(5000));
    EXPECT_EQ(sim.exitCode(), 0);

    QProcess bad;
    bad.start(ORBIS_SIM_BINARY, {"--handheld", "--set", "page 12 picture"});
    ASSERT_TRUE(bad.waitForFinished(5000));
    EXPECT_EQ(bad.exitCode(), 2);
}

} // namespace
