// SPDX-License-Identifier: GPL-3.0-or-later
// Push-to-talk through Hamlib against a real rigctld with the dummy rig: keyed and released as
// rigctld itself reports it, released when the push-to-talk is destroyed, and released by a
// program that gets SIGTERM or SIGINT.
#include "Rigctld.h"

#include "radio/ptt/HamlibPtt.h"
#include "radio/ptt/PttDevices.h"

#include <QDeadlineTimer>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>

#include <gtest/gtest.h>

#include <csignal>
#include <thread>

using namespace winorbis::radio;
using winorbis::test::Rigctld;

namespace {

class RigctldPtt : public ::testing::Test {
protected:
    void SetUp() override {
        QString error;
        ASSERT_TRUE(rigctld.start(&error)) << error.toStdString();
    }

    // Polls rigctld until it reports state; the milliseconds it took, or -1.
    double waitFor(bool state, int ms = 3000) {
        QElapsedTimer timer;
        timer.start();
        while (timer.elapsed() < ms) {
            if (rigctld.keyed() == state)
                return double(timer.nsecsElapsed()) / 1e6;
        }
        return -1;
    }

    Rigctld rigctld;
};

} // namespace

TEST_F(RigctldPtt, KeysAndReleasesTheRigAsRigctldReportsIt) {
    QString error;
    const auto ptt = openPtt(rigctld.pttSpec(), &error);
    ASSERT_TRUE(ptt) << error.toStdString();
    EXPECT_EQ(ptt->describe(), QStringLiteral("rigctld 127.0.0.1:%1").arg(rigctld.port()));
    EXPECT_FALSE(ptt->wantsVoxTones());
    ASSERT_EQ(rigctld.keyed(), false);

    // rigctld is asked from another thread while setKeyed(false) runs: Hamlib waits after a
    // release (in rigctld and in this program) before the call returns.
    double slowest = 0;
    double total = 0;
    double callTotal = 0;
    constexpr int rounds = 5;
    for (int round = 0; round < rounds; ++round) {
        ASSERT_TRUE(ptt->setKeyed(true, &error)) << error.toStdString();
        EXPECT_TRUE(ptt->keyed());
        ASSERT_GE(waitFor(true), 0) << "round " << round;
        double reported = -1;
        QElapsedTimer timer;
        timer.start();
        std::thread poll([&] { reported = waitFor(false); });
        ASSERT_TRUE(ptt->setKeyed(false, &error)) << error.toStdString();
        const double call = double(timer.nsecsElapsed()) / 1e6;
        poll.join();
        ASSERT_GE(reported, 0) << "round " << round;
        slowest = std::max(slowest, reported);
        total += reported;
        callTotal += call;
        EXPECT_FALSE(ptt->keyed());
        EXPECT_EQ(rigctld.keyed(), false);
    }
    std::printf("[ figure ] rigctld release: reported released %.2f ms on average, %.2f ms at "
                "most after setKeyed(false) began (goal under 50 ms); the call returns after "
                "%.1f ms\n",
                total / rounds, slowest, callTotal / rounds);
}

TEST_F(RigctldPtt, ReadsTheRigsStateAndReleasesWhenDestroyedOrReleasedByAll) {
    QString error;
    auto ptt = HamlibPtt::openRigctld("127.0.0.1", rigctld.port(), &error);
    ASSERT_TRUE(ptt) << error.toStdString();
    ASSERT_TRUE(ptt->setKeyed(true, &error));
    bool on = false;
    ASSERT_TRUE(ptt->readKeyed(&on, &error)) << error.toStdString();
    EXPECT_TRUE(on);
    releaseEveryPtt();
    EXPECT_FALSE(ptt->keyed());
    EXPECT_EQ(rigctld.keyed(), false);

    ASSERT_TRUE(ptt->setKeyed(true, &error));
    ASSERT_EQ(rigctld.keyed(), true);
    ptt.reset();
    EXPECT_EQ(rigctld.keyed(), false);
}

TEST(RigctldPttRefused, NoRigctldListeningIsAClearErrorSoon) {
    // A port nobody listens on: the one a rigctld that has gone had.
    int port = 0;
    {
        Rigctld gone;
        port = gone.port();
    }
    QElapsedTimer timer;
    timer.start();
    QString error;
    EXPECT_EQ(openPtt(QStringLiteral("rigctld:127.0.0.1:%1").arg(port), &error), nullptr);
    EXPECT_TRUE(error.startsWith(
        QStringLiteral("rigctld 127.0.0.1:%1: rigctld does not answer (").arg(port)))
        << error.toStdString();
    std::printf("[ figure ] refused rigctld reported after %lld ms\n", timer.elapsed());
}

TEST(HamlibRig, AnUnknownModelOrAMissingDeviceIsAClearError) {
    QString error;
    EXPECT_EQ(openPtt("hamlib:999999:/dev/ttyUSB0", &error), nullptr);
    EXPECT_EQ(error, "Hamlib rig 999999 on /dev/ttyUSB0: Hamlib knows no rig model 999999");
    EXPECT_EQ(openPtt("hamlib:1:/dev/ttyNoSuchAdapter9:9600", &error), nullptr);
    EXPECT_TRUE(error.startsWith("Hamlib rig 1 on /dev/ttyNoSuchAdapter9: "))
        << error.toStdString();
}

// The signals reach a program that runs an event loop with a keyed push-to-talk
// (tests/radiodevices/PttSignalChild.cpp).
class PttSignalRelease : public RigctldPtt, public ::testing::WithParamInterface<const char*> {};

TEST_P(PttSignalRelease, AKeyedProgramReleasesOnTheSignal) {
    const QString how = QString::fromLatin1(GetParam());
    QProcess child;
    child.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    child.start(WINORBIS_PTT_SIGNAL_CHILD,
                {rigctld.pttSpec(), how.startsWith("watcher") ? "watcher" : "alone"});
    ASSERT_TRUE(child.waitForStarted(5000));
    ASSERT_TRUE(child.waitForReadyRead(10000));
    ASSERT_EQ(child.readLine().trimmed(), "keyed");
    ASSERT_EQ(rigctld.keyed(), true);

    const int number = how.endsWith("int") ? SIGINT : SIGTERM;
    ::kill(pid_t(child.processId()), number);
    ASSERT_TRUE(child.waitForFinished(10000));
    EXPECT_EQ(rigctld.keyed(), false);
    if (how.startsWith("watcher")) {
        // The program's own watcher ends it in order, after the release.
        EXPECT_EQ(child.exitStatus(), QProcess::NormalExit);
        EXPECT_EQ(child.exitCode(), 128 + number);
        EXPECT_EQ(child.readAllStandardOutput().trimmed(), "released");
    } else {
        // Ended by the signal itself, as it would have been without the helper.
        EXPECT_EQ(child.exitStatus(), QProcess::CrashExit);
    }
}

INSTANTIATE_TEST_SUITE_P(Signals, PttSignalRelease,
                         ::testing::Values("alone-term", "alone-int", "watcher-term"),
                         [](const ::testing::TestParamInfo<const char*>& signal) {
                             std::string name = signal.param;
                             std::erase(name, '-');
                             return name;
                         });

// The guardian process releases the transmitter of a program that cannot: killed with a key on,
// or frozen past its key's limit. The program is tests/radiodevices/PttSignalChild.cpp.
struct GuardedEnd {
    const char* name;
    int signalNumber;
    int limitMs;    // the key's limit the program gives its guardian
    int releasedMs; // released within this long of the signal
};

class PttGuardianRelease : public RigctldPtt, public ::testing::WithParamInterface<GuardedEnd> {};

TEST_P(PttGuardianRelease, TheTransmitterIsReleasedAfterTheProgram) {
    const GuardedEnd& end = GetParam();
    QProcess child;
    child.start(WINORBIS_PTT_SIGNAL_CHILD,
                {rigctld.pttSpec(), "alone", QString::number(end.limitMs)});
    ASSERT_TRUE(child.waitForReadyRead(10000)) << child.readAllStandardError().toStdString();
    ASSERT_EQ(child.readLine().trimmed(), "keyed");
    ASSERT_EQ(rigctld.keyed(), true);

    QElapsedTimer timer;
    timer.start();
    ::kill(pid_t(child.processId()), end.signalNumber);
    // Asked every 100 ms, as an operator's monitor would.
    while (rigctld.keyed() != false && timer.elapsed() < 10000)
        QThread::msleep(100);
    const qint64 released = timer.elapsed();
    EXPECT_LT(released, end.releasedMs);
    std::printf("[ figure ] %s: released %lld ms after the signal\n", end.name, released);
    ::kill(pid_t(child.processId()), SIGKILL);
    child.waitForFinished(5000);
}

INSTANTIATE_TEST_SUITE_P(
    Guardian, PttGuardianRelease,
    ::testing::Values(GuardedEnd{"killed", SIGKILL, 60000, 1000},
                      // A frozen program keeps its socket open: the key's limit ends it.
                      GuardedEnd{"frozen", SIGSTOP, 1500, 1500 + 1000}),
    [](const ::testing::TestParamInfo<GuardedEnd>& end) { return std::string(end.param.name); });

TEST_F(RigctldPtt, AGuardianWhoseRigctldHasGoneSaysSoAndTriesAgainUntilItIsBack) {
    // The guardian's words outlive the program: its standard error goes to a file.
    QTemporaryDir folder;
    const QString saidFile = folder.filePath("stderr");
    QProcess child;
    child.setStandardErrorFile(saidFile);
    child.start(WINORBIS_PTT_SIGNAL_CHILD, {rigctld.pttSpec(), "alone"});
    ASSERT_TRUE(child.waitForReadyRead(10000));
    ASSERT_EQ(child.readLine().trimmed(), "keyed");
    const int port = rigctld.port();
    // rigctld goes first, then the program.
    rigctld.~Rigctld();
    new (&rigctld) Rigctld(port);
    ::kill(pid_t(child.processId()), SIGKILL);
    ASSERT_TRUE(child.waitForFinished(5000));
    // The guardian says so on the program's standard error, which it shares.
    QByteArray said;
    const QDeadlineTimer deadline(5000);
    while (!said.contains("cannot release") && !deadline.hasExpired()) {
        QThread::msleep(50);
        QFile file(saidFile);
        if (file.open(QIODevice::ReadOnly))
            said = file.readAll();
    }
    EXPECT_TRUE(said.contains("orbis-ptt-guardian: the program has ended with the transmitter "
                              "keyed: releasing it"))
        << said.toStdString();
    EXPECT_TRUE(said.contains("cannot release the transmitter")) << said.toStdString();

    // rigctld is back, keyed: the guardian's next try releases it.
    QString error;
    ASSERT_TRUE(rigctld.start(&error)) << error.toStdString();
    ASSERT_TRUE(rigctld.key());
    ASSERT_EQ(rigctld.keyed(), true);
    QElapsedTimer timer;
    timer.start();
    while (rigctld.keyed() != false && timer.elapsed() < 5000)
        QThread::msleep(100);
    EXPECT_EQ(rigctld.keyed(), false);
}
