// SPDX-License-Identifier: GPL-3.0-or-later
#include "PulseDaemon.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QStandardPaths>
#include <QThread>

#include <csignal>
#include <sys/prctl.h>

namespace winorbis::test {

PulseDaemon::PulseDaemon() {
    QDir(dir_.path()).mkpath(QStringLiteral("run"));
    QFile client(dir_.filePath(QStringLiteral("client.conf")));
    if (client.open(QIODevice::WriteOnly))
        client.write("autospawn = no\n");
}

PulseDaemon::~PulseDaemon() {
    stop();
}

QString PulseDaemon::program() {
    return QStandardPaths::findExecutable(QStringLiteral("pulseaudio"));
}

QProcessEnvironment PulseDaemon::environment() const {
    QProcessEnvironment environment;
    environment.insert(QStringLiteral("PATH"), QStringLiteral("/usr/bin:/bin"));
    environment.insert(QStringLiteral("HOME"), dir_.path());
    environment.insert(QStringLiteral("LANG"), QStringLiteral("C.UTF-8"));
    environment.insert(QStringLiteral("XDG_RUNTIME_DIR"), dir_.filePath(QStringLiteral("run")));
    environment.insert(QStringLiteral("PULSE_RUNTIME_PATH"),
                       dir_.filePath(QStringLiteral("run/pulse")));
    environment.insert(QStringLiteral("PULSE_STATE_PATH"), dir_.filePath(QStringLiteral("state")));
    environment.insert(QStringLiteral("PULSE_CLIENTCONFIG"),
                       dir_.filePath(QStringLiteral("client.conf")));
    environment.insert(QStringLiteral("PULSE_SERVER"), server());
    return environment;
}

QString PulseDaemon::server() const {
    return QStringLiteral("unix:") + dir_.filePath(QStringLiteral("native"));
}

void PulseDaemon::exportToThisProcess() const {
    qputenv("PULSE_SERVER", server().toLocal8Bit());
    qputenv("PULSE_CLIENTCONFIG", dir_.filePath(QStringLiteral("client.conf")).toLocal8Bit());
}

bool PulseDaemon::start(QString* error) {
    const QString pulseaudio = program();
    if (pulseaudio.isEmpty()) {
        *error = QStringLiteral("pulseaudio is not installed; scripts/install-deps.sh installs it");
        return false;
    }
    process_.setProcessEnvironment(environment());
    process_.setProcessChannelMode(QProcess::MergedChannels);
    // Ends with the test, also when the test is killed.
    process_.setChildProcessModifier([] { ::prctl(PR_SET_PDEATHSIG, SIGKILL); });
    process_.start(pulseaudio,
                   {QStringLiteral("-n"), QStringLiteral("--daemonize=no"),
                    QStringLiteral("--exit-idle-time=-1"), QStringLiteral("--disable-shm=yes"),
                    QStringLiteral("--use-pid-file=no"), QStringLiteral("--system=no"),
                    QStringLiteral("--log-target=stderr"), QStringLiteral("-L"),
                    QStringLiteral("module-native-protocol-unix socket=%1 auth-anonymous=1")
                        .arg(dir_.filePath(QStringLiteral("native"))),
                    QStringLiteral("-L"),
                    QStringLiteral("module-null-sink sink_name=orbis_test "
                                   "sink_properties='device.description=\"%1\"'")
                        .arg(QLatin1String(sinkDescription)),
                    QStringLiteral("-L"),
                    QStringLiteral("module-remap-source ") + captureArguments()});
    if (!process_.waitForStarted(5000)) {
        *error = QStringLiteral("pulseaudio does not start: %1").arg(process_.errorString());
        return false;
    }
    const QDeadlineTimer deadline(10000);
    for (;;) {
        if (pactl({QStringLiteral("info")}))
            return true;
        if (deadline.hasExpired() || process_.state() != QProcess::Running) {
            *error = QStringLiteral("pulseaudio does not answer: %1")
                         .arg(QString::fromLocal8Bit(process_.readAll()));
            kill();
            return false;
        }
        QThread::msleep(50);
    }
}

QString PulseDaemon::captureArguments() {
    return QStringLiteral("source_name=orbis_capture master=orbis_test.monitor "
                          "source_properties='device.description=\"%1\"'")
        .arg(QLatin1String(captureDescription));
}

bool PulseDaemon::pactl(const QStringList& arguments) const {
    QProcess run;
    run.setProcessEnvironment(environment());
    run.start(QStringLiteral("pactl"), arguments);
    return run.waitForFinished(3000) && run.exitStatus() == QProcess::NormalExit &&
           run.exitCode() == 0;
}

bool PulseDaemon::unplugCapture() const {
    return pactl({QStringLiteral("unload-module"), QStringLiteral("module-remap-source")});
}

bool PulseDaemon::plugCaptureIn() const {
    return pactl(
        {QStringLiteral("load-module"), QStringLiteral("module-remap-source"), captureArguments()});
}

void PulseDaemon::kill() {
    if (process_.state() != QProcess::NotRunning) {
        process_.kill();
        process_.waitForFinished(5000);
    }
}

void PulseDaemon::freeze() {
    if (process_.state() == QProcess::Running)
        ::kill(pid_t(process_.processId()), SIGSTOP);
}

void PulseDaemon::thaw() {
    if (process_.state() == QProcess::Running)
        ::kill(pid_t(process_.processId()), SIGCONT);
}

void PulseDaemon::stop() {
    if (process_.state() != QProcess::NotRunning) {
        process_.terminate();
        if (!process_.waitForFinished(5000))
            kill();
    }
}

bool missingToolFails() {
    return qgetenv("CI") == "true";
}

} // namespace winorbis::test
