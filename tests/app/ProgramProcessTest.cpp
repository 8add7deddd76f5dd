// SPDX-License-Identifier: GPL-3.0-or-later
// The program started in a folder and ended by SIGTERM, as a desktop that logs out ends it.
#include "settings/Settings.h"
#include "settings/SettingsCodec.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>

#include <gtest/gtest.h>

#include <csignal>

using namespace winorbis;

namespace {

QByteArray readAll(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

bool waitFor(const std::function<bool()>& condition, int ms) {
    QElapsedTimer timer;
    timer.start();
    while (!condition()) {
        if (timer.elapsed() > ms)
            return false;
        QThread::msleep(20);
    }
    return true;
}

void startProgram(QProcess& process, const QString& folder) {
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("QT_QPA_PLATFORM", "offscreen");
    process.setProcessEnvironment(env);
    process.setProcessChannelMode(QProcess::SeparateChannels);
    process.start(WINORBIS_BINARY, {"--folder", folder, "--simulate", "--verbose"});
    ASSERT_TRUE(process.waitForStarted(10000));
}

// Writes the first lines of the settings file of these settings to path, as a cut file; returns
// what was written (empty when it could not be).
QByteArray cutSettingsFile(const QString& path, const Settings& settings, int lines) {
    const QList<QByteArray> full = SettingsCodec::serialize(settings).split('\n');
    QByteArray cut;
    for (int i = 0; i < lines; ++i)
        cut += full[i] + '\n';
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(cut) != cut.size())
        return {};
    return cut;
}

void endWithSigterm(QProcess& process) {
    process.terminate(); // SIGTERM
    ASSERT_TRUE(process.waitForFinished(15000));
    EXPECT_EQ(process.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(process.exitCode(), 0);
}

} // namespace

TEST(ProgramProcess, AFirstStartEndedBySigtermLeavesFoldersAndSettings) {
    QTemporaryDir dir;
    QProcess program;
    startProgram(program, dir.path());
    const QString comDat = dir.path() + "/COM.DAT";
    ASSERT_TRUE(waitFor([&] { return QFile::exists(comDat); }, 15000));
    QThread::msleep(300);
    endWithSigterm(program);

    // The simulated converter was identified without a connection message, and a first start
    // has nothing to say: the new folder got its starter files.
    const QByteArray diagnostics = program.readAllStandardError();
    EXPECT_TRUE(diagnostics.contains("simulated Orbis 70p: identify")) << diagnostics.data();
    EXPECT_EQ(diagnostics.count("winorbis: "), 0) << diagnostics.data();
    for (const char* name : {"/start.bmp", "/callsign.bmp", "/winorbis.txt"})
        EXPECT_TRUE(QFile::exists(dir.path() + name)) << name;

    const QByteArray bytes = readAll(comDat);
    EXPECT_EQ(bytes.count("\r\n"), 585);
    const auto read = SettingsCodec::parse(bytes, Settings::defaults(QString()));
    EXPECT_TRUE(read.problems.isEmpty());
    EXPECT_EQ(read.settings.callsign, "ID");
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Dirs | QDir::NoDotAndDotDot).size(), 22);
}

TEST(ProgramProcess, ACutSettingsFileIsKeptAsBadAndCompletedWhileTheMessageIsOpen) {
    QTemporaryDir dir;
    const QString comDat = dir.path() + "/COM.DAT";
    Settings settings = Settings::defaults("Some Face");
    settings.callsign = "PA0XYZ";
    settings.portNumber = 3;
    const QByteArray cut = cutSettingsFile(comDat, settings, 300);
    ASSERT_FALSE(cut.isEmpty());

    QProcess program;
    startProgram(program, dir.path());
    // The bad copy is made before the message box opens; the program then waits in that box.
    ASSERT_TRUE(waitFor([&] { return QFile::exists(comDat + ".bad"); }, 15000));
    QThread::msleep(500);
    ASSERT_EQ(program.state(), QProcess::Running);
    endWithSigterm(program);

    EXPECT_EQ(readAll(comDat + ".bad"), cut);
    EXPECT_TRUE(program.readAllStandardError().contains("line 301 and those after it are missing"));
    const QByteArray rewritten = readAll(comDat);
    EXPECT_EQ(rewritten.count("\r\n"), 585);
    EXPECT_TRUE(rewritten.startsWith(cut));
}

// Whether the process ignores SIGXFSZ yet: the program's main has begun and set up its signals
// (a signal before main, while the loader still runs, cannot be caught by any program).
static bool mainHasBegun(qint64 pid) {
    QFile status(QStringLiteral("/proc/%1/status").arg(pid));
    if (!status.open(QIODevice::ReadOnly))
        return false;
    for (const QByteArray& line : status.readAll().split('\n')) {
        if (line.startsWith("SigIgn:")) {
            bool ok = false;
            const qulonglong ignored = line.mid(7).trimmed().toULongLong(&ok, 16);
            return ok && (ignored >> (SIGXFSZ - 1) & 1) != 0;
        }
    }
    return false;
}

// A signal at any moment of the start, also while Qt itself starts (fonts, platform; seconds on a
// cold font cache) and before the first box, ends the program in order: status 0 and the cut
// settings file completed. The delays count from the moment main has set up its signals; the
// first lies inside the application's start.
TEST(ProgramProcess, ASignalAtAnyMomentOfTheStartEndsTheProgramInOrder) {
    for (const int delayMs : {0, 150, 400, 1500}) {
        QTemporaryDir dir;
        QTemporaryDir home; // a fresh home: no font cache of its own
        const QString comDat = dir.path() + "/COM.DAT";
        ASSERT_FALSE(cutSettingsFile(comDat, Settings::defaults("Some Face"), 200).isEmpty());
        QProcess program;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("QT_QPA_PLATFORM", "offscreen");
        env.insert("HOME", home.path());
        env.insert("XDG_CACHE_HOME", home.path() + "/.cache");
        program.setProcessEnvironment(env);
        program.start(WINORBIS_BINARY, {"--folder", dir.path()});
        ASSERT_TRUE(program.waitForStarted(10000));
        QElapsedTimer begun;
        begun.start();
        while (!mainHasBegun(program.processId()) && begun.elapsed() < 15000)
            QThread::usleep(500);
        QThread::msleep(delayMs);
        program.terminate();
        ASSERT_TRUE(program.waitForFinished(15000)) << delayMs;
        EXPECT_EQ(program.exitStatus(), QProcess::NormalExit)
            << "signal after " << delayMs << " ms";
        EXPECT_EQ(program.exitCode(), 0) << delayMs;
        EXPECT_EQ(readAll(comDat).count("\r\n"), 585) << delayMs;
    }
}

// A write that fails while the program ends on a signal shows no box that nobody would answer:
// it is reported on standard error, the other file is still written, and the exit status says so.
TEST(ProgramProcess, AFailedWriteAtTheEndOnASignalIsReportedAndTheOtherFileWritten) {
    QTemporaryDir dir;
    ASSERT_TRUE(QDir(dir.path()).mkdir("start.bmp")); // no picture can be written there
    QProcess program;
    startProgram(program, dir.path());
    ASSERT_TRUE(waitFor([&] { return QFile::exists(dir.path() + "/Gray.BMP"); }, 15000));
    QThread::msleep(500);
    QElapsedTimer timer;
    timer.start();
    program.terminate();
    ASSERT_TRUE(program.waitForFinished(15000));
    EXPECT_LT(timer.elapsed(), 5000);
    EXPECT_EQ(program.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(program.exitCode(), 1);
    const QByteArray diagnostics = program.readAllStandardError();
    EXPECT_TRUE(diagnostics.contains("start.bmp")) << diagnostics.data();
    EXPECT_EQ(readAll(dir.path() + "/COM.DAT").count("\r\n"), 585);
}

TEST(ProgramProcess, AProgramFolderThatDoesNotExistYetIsMade) {
    QTemporaryDir parent;
    const QString folder = parent.path() + "/new/station";
    QProcess program;
    startProgram(program, folder);
    ASSERT_TRUE(waitFor([&] { return QFile::exists(folder + "/Gray.BMP"); }, 15000));
    QThread::msleep(300);
    endWithSigterm(program);
    EXPECT_TRUE(program.readAllStandardError().contains("created the program folder"));
    EXPECT_EQ(readAll(folder + "/COM.DAT").count("\r\n"), 585);
}

// Under a file-size limit a big write fails and is reported; it does not kill the program.
TEST(ProgramProcess, AFileSizeLimitMakesWritesFailInsteadOfKillingTheProgram) {
    QTemporaryDir dir;
    QProcess program;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("QT_QPA_PLATFORM", "offscreen");
    program.setProcessEnvironment(env);
    program.start("/bin/sh", {"-c", "ulimit -f 200 && exec \"$0\" --folder \"$1\" --simulate",
                              WINORBIS_BINARY, dir.path()});
    ASSERT_TRUE(program.waitForStarted(10000));
    // The start-up's pictures cannot be written; their message may be open when the signal comes.
    ASSERT_TRUE(waitFor([&] { return QFileInfo(dir.path() + "/AutoSpeichern").isDir(); }, 15000));
    QThread::msleep(1000);
    program.terminate();
    ASSERT_TRUE(program.waitForFinished(15000));
    EXPECT_EQ(program.exitStatus(), QProcess::NormalExit); // no death by SIGXFSZ
    EXPECT_EQ(program.exitCode(), 1);                      // start.bmp could not be written
    EXPECT_TRUE(program.readAllStandardError().contains("DEFALT.BMP"));
    EXPECT_EQ(readAll(dir.path() + "/COM.DAT").count("\r\n"), 585);
    EXPECT_TRUE(QDir(dir.path()).entryList({"*.winorbis-*"}, QDir::Files).isEmpty());
}

TEST(ProgramProcess, ARegularFileNamedAsPortIsNeverWritten) {
    QTemporaryDir dir;
    const QString notes = dir.path() + "/notes.txt";
    {
        QFile file(notes);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write("COM2 is the converter\n");
    }
    QProcess program;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("QT_QPA_PLATFORM", "offscreen");
    program.setProcessEnvironment(env);
    program.start(WINORBIS_BINARY, {"--folder", dir.path(), "--port", notes});
    ASSERT_TRUE(program.waitForStarted(10000));
    // Start-up with its boxes (no interface, no converter), then the end on a signal.
    ASSERT_TRUE(waitFor([&] { return QFile::exists(dir.path() + "/COM.DAT"); }, 15000));
    QThread::msleep(1500);
    endWithSigterm(program);
    EXPECT_EQ(readAll(notes), "COM2 is the converter\n");
    EXPECT_TRUE(program.readAllStandardError().contains("cannot use the serial device " +
                                                        notes.toLocal8Bit()));
}

// The sound-card converter inside the program: devices the station names and the sound server
// does not have are said, the window runs on all the same, and no pseudo-terminal stands between
// the window and the converter.
TEST(ProgramProcess, TheSoundCardConverterRunsWithoutItsDevicesAndGoesAtTheEnd) {
    QTemporaryDir dir;
    {
        QFile options(dir.path() + "/station.conf");
        ASSERT_TRUE(options.open(QIODevice::WriteOnly));
        options.write("SoundCapture=NoSuchCard\nSoundPlayback=NoSuchCard\nPtt=none\n");
    }
    QProcess program;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("QT_QPA_PLATFORM", "offscreen");
    env.insert("TMPDIR", dir.path());
    program.setProcessEnvironment(env);
    program.start(WINORBIS_BINARY, {"--folder", dir.path(), "--sound-card"});
    ASSERT_TRUE(program.waitForStarted(10000));
    ASSERT_TRUE(waitFor([&] { return QFile::exists(dir.path() + "/COM.DAT"); }, 15000));
    EXPECT_TRUE(QDir(dir.path()).entryList({"winorbis-sound-*"}, QDir::Dirs).isEmpty());
    QThread::msleep(500);
    endWithSigterm(program);
    const QByteArray said = program.readAllStandardError();
    EXPECT_TRUE(said.contains("sound card: no sound capture")) << said.toStdString();
    EXPECT_TRUE(said.contains("sound card: no sound playback")) << said.toStdString();

    // One converter only.
    program.start(WINORBIS_BINARY, {"--sound-card", "--simulate"});
    ASSERT_TRUE(program.waitForFinished(15000));
    EXPECT_EQ(program.exitCode(), 2);
    EXPECT_TRUE(program.readAllStandardError().contains("exclude each other"));
}

// Without a converter on the command line the program runs on the one station.conf chooses; one
// named there wins.
TEST(ProgramProcess, StationConfsConverterChoiceRunsUnlessTheCommandLineNamesOne) {
    QTemporaryDir dir;
    {
        QFile options(dir.path() + "/station.conf");
        ASSERT_TRUE(options.open(QIODevice::WriteOnly));
        options.write("Converter=sound card\nSoundCapture=NoSuchCard\nSoundPlayback=NoSuchCard\n");
    }
    QProcess program;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("QT_QPA_PLATFORM", "offscreen");
    env.insert("TMPDIR", dir.path());
    program.setProcessEnvironment(env);
    program.start(WINORBIS_BINARY, {"--folder", dir.path()});
    ASSERT_TRUE(program.waitForStarted(10000));
    ASSERT_TRUE(waitFor([&] { return QFile::exists(dir.path() + "/COM.DAT"); }, 15000));
    QThread::msleep(500);
    endWithSigterm(program);
    const QByteArray said = program.readAllStandardError();
    EXPECT_TRUE(said.contains("sound card: no sound capture")) << said.toStdString();

    program.start(WINORBIS_BINARY, {"--folder", dir.path(), "--simulate"});
    ASSERT_TRUE(program.waitForStarted(10000));
    QThread::msleep(1500);
    endWithSigterm(program);
    EXPECT_FALSE(program.readAllStandardError().contains("sound card:"));
}
