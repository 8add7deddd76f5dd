// SPDX-License-Identifier: GPL-3.0-or-later
#include "PttGuardian.h"

#include "PttDevices.h"
#include "TrackedPtt.h"

#include <QByteArray>
#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <optional>
#include <poll.h>
#include <string>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#ifndef WINORBIS_PTT_GUARDIAN_BUILT
#define WINORBIS_PTT_GUARDIAN_BUILT ""
#endif

namespace winorbis::radio {

namespace {

using SteadyClock = std::chrono::steady_clock;

// The guardian's socket in its own process.
constexpr int kGuardianFd = 3;
// How long the program waits for the guardian's answer.
constexpr int kAnswerMs = 2000;
QString systemError(int error) {
    return QString::fromLocal8Bit(std::strerror(error));
}

// Milliseconds left until a time point, at least 0.
int msUntil(SteadyClock::time_point when) {
    const auto left =
        std::chrono::duration_cast<std::chrono::milliseconds>(when - SteadyClock::now()).count();
    return int(std::max<long long>(0, left));
}

} // namespace

namespace {

// A push-to-talk that keys a transmitter, with its guardian: told before each key how long the key
// may last, and after each release that the key is off. A release that fails leaves the guardian
// watching, so that it releases the transmitter once the key has lasted too long.
class GuardedPtt final : public TrackedPtt {
public:
    GuardedPtt(std::unique_ptr<Ptt> device, const QString& text,
               std::unique_ptr<PttGuardian> guardian)
        : device_(std::move(device))
        , text_(text)
        , guardian_(std::move(guardian)) {}

    bool key(bool on, QString* error) override {
        if (!on) {
            if (!device_->setKeyed(false, error))
                return false;
            if (guardian_)
                guardian_->disarm();
            return true;
        }
        QString why;
        if (!guardian_ || !guardian_->arm(limitMs_, &why)) {
            // A new guardian for the next key; this one is refused all the same, so that the
            // operator hears of it.
            guardian_ = PttGuardian::start(text_, nullptr);
            if (error)
                *error =
                    QStringLiteral("%1: the transmitter is not keyed without it")
                        .arg(why.isEmpty() ? QStringLiteral("the PTT guardian has ended") : why);
            return false;
        }
        limitMs_ = kDefaultKeyLimitMs;
        if (!device_->setKeyed(true, error)) {
            guardian_->disarm();
            return false;
        }
        return true;
    }
    bool keyed() const override { return device_->keyed(); }
    void setKeyLimitMs(int ms) override { limitMs_ = ms; }
    QString describe() const override { return device_->describe(); }
    PttGuardian* guardian() const { return guardian_.get(); }

private:
    std::unique_ptr<Ptt> device_;
    QString text_;
    std::unique_ptr<PttGuardian> guardian_;
    int limitMs_ = kDefaultKeyLimitMs;
};

} // namespace

std::unique_ptr<Ptt> openPtt(const QString& text, QString* error) {
    std::unique_ptr<Ptt> device = openPttDevice(text, error);
    if (!device)
        return nullptr;
    const PttSpec::Kind kind = PttSpec::parse(text)->kind;
    if (kind == PttSpec::Kind::None || kind == PttSpec::Kind::Vox)
        return device;
    std::unique_ptr<PttGuardian> guardian = PttGuardian::start(text.trimmed(), error);
    if (!guardian)
        return nullptr;
    return std::make_unique<GuardedPtt>(std::move(device), text.trimmed(), std::move(guardian));
}

QString PttGuardian::program() {
    const QString name = QStringLiteral("orbis-ptt-guardian");
    // The installed layout: bin/PROGRAM and libexec/winorbis/orbis-ptt-guardian.
    const QString self = QFileInfo(QStringLiteral("/proc/self/exe")).canonicalFilePath();
    if (!self.isEmpty()) {
        const QString bin = QFileInfo(self).absolutePath();
        for (const QString& candidate :
             {bin + QStringLiteral("/../libexec/winorbis/") + name, bin + '/' + name}) {
            if (QFileInfo(candidate).isExecutable())
                return QFileInfo(candidate).canonicalFilePath();
        }
    }
    const QString built = QString::fromLocal8Bit(WINORBIS_PTT_GUARDIAN_BUILT);
    if (!built.isEmpty() && QFileInfo(built).isExecutable())
        return built;
    return {};
}

std::unique_ptr<PttGuardian> PttGuardian::start(const QString& pttText, QString* error) {
    const auto fail = [error](const QString& why) -> std::unique_ptr<PttGuardian> {
        if (error)
            *error = QStringLiteral("the PTT guardian cannot be started: %1").arg(why);
        return nullptr;
    };
    const QString path = program();
    if (path.isEmpty())
        return fail(QStringLiteral("orbis-ptt-guardian is not installed beside the program"));
    int pair[2];
    if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, pair) != 0)
        return fail(systemError(errno));
    // Everything the child needs is made before the fork: after it only calls that are safe in a
    // process of many threads may run.
    const std::string file = QFile::encodeName(path).toStdString();
    const std::string text = pttText.toStdString();
    std::string arg0 = "orbis-ptt-guardian";
    std::string arg1 = "--ptt";
    char* const argv[] = {arg0.data(), arg1.data(), const_cast<char*>(text.c_str()), nullptr};
    // The guardian's end lands on kGuardianFd: first lifted out of the way of the small numbers.
    const int childEnd = ::fcntl(pair[1], F_DUPFD_CLOEXEC, 10);
    ::close(pair[1]);
    if (childEnd < 0) {
        const int code = errno;
        ::close(pair[0]);
        return fail(systemError(code));
    }
    const pid_t pid = ::fork();
    if (pid < 0) {
        const int code = errno;
        ::close(pair[0]);
        ::close(childEnd);
        return fail(systemError(code));
    }
    if (pid == 0) {
        ::dup2(childEnd, kGuardianFd);
        // Standard input and output from and to nowhere: a pipe that reads the program's output
        // ends with the program, not with its guardian. Standard error stays, for its reports.
        const int null = ::open("/dev/null", O_RDWR);
        if (null >= 0) {
            ::dup2(null, 0);
            ::dup2(null, 1);
        }
        // Nothing else of the program: above all not a serial device, which must hang up when the
        // program closes it.
        ::close_range(kGuardianFd + 1, ~0U, 0);
        sigset_t none;
        sigemptyset(&none);
        ::sigprocmask(SIG_SETMASK, &none, nullptr);
        ::execv(file.c_str(), argv);
        ::_exit(127);
    }
    ::close(childEnd);
    std::unique_ptr<PttGuardian> guardian(new PttGuardian(pair[0], pid));
    if (!guardian->ask(nullptr, "ready", kAnswerMs))
        return fail(QStringLiteral("%1 does not answer").arg(path));
    return guardian;
}

PttGuardian::PttGuardian(int socket, pid_t pid)
    : socket_(socket)
    , pid_(pid) {}

PttGuardian::~PttGuardian() {
    ::close(socket_);
    // The guardian ends on the closed socket; a guardian that is still releasing is left to it
    // and reaped by whoever inherits it.
    for (int i = 0; i < 50; ++i) {
        const pid_t done = ::waitpid(pid_, nullptr, WNOHANG);
        if (done == pid_ || (done < 0 && errno == ECHILD))
            return;
        ::usleep(2000);
    }
}

bool PttGuardian::arm(int limitMs, QString* error) {
    const QByteArray command = "arm " + QByteArray::number(std::max(0, limitMs)) + '\n';
    if (ask(command.constData(), "armed", kAnswerMs))
        return true;
    if (error)
        *error = QStringLiteral("the PTT guardian has ended");
    return false;
}

bool PttGuardian::disarm() {
    return ask("disarm\n", "disarmed", kAnswerMs);
}

bool PttGuardian::ask(const char* command, const char* answer, int timeoutMs) {
    if (command) {
        const std::size_t length = std::strlen(command);
        if (::send(socket_, command, length, MSG_NOSIGNAL) != ssize_t(length))
            return false;
    }
    const auto deadline = SteadyClock::now() + std::chrono::milliseconds(timeoutMs);
    for (;;) {
        // Lines the guardian said on its own ("cut") are passed over.
        while (pending_.contains('\n')) {
            const qsizetype end = pending_.indexOf('\n');
            const QByteArray line = pending_.left(end);
            pending_.remove(0, end + 1);
            if (line == answer)
                return true;
        }
        pollfd watch{socket_, POLLIN, 0};
        const int ready = ::poll(&watch, 1, msUntil(deadline));
        if (ready < 0 && errno == EINTR)
            continue;
        if (ready <= 0)
            return false;
        char bytes[256];
        const ssize_t got = ::recv(socket_, bytes, sizeof bytes, 0);
        if (got < 0 && errno == EINTR)
            continue;
        if (got <= 0)
            return false;
        pending_.append(bytes, got);
    }
}

} // namespace winorbis::radio
