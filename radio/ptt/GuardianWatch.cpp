// SPDX-License-Identifier: GPL-3.0-or-later
#include "GuardianWatch.h"

#include "PttDevices.h"

#include <QByteArray>

#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <optional>
#include <poll.h>
#include <string>
#include <sys/socket.h>
#include <unistd.h>

namespace winorbis::radio {

namespace {

using SteadyClock = std::chrono::steady_clock;

// How often a release that failed is tried again, and for how long after the program has gone.
constexpr int kRetryMs = 500;
constexpr int kGiveUpMs = 300'000;

// Milliseconds left until a time point, at least 0.
int msUntil(SteadyClock::time_point when) {
    const auto left =
        std::chrono::duration_cast<std::chrono::milliseconds>(when - SteadyClock::now()).count();
    return int(std::max<long long>(0, left));
}

void say(const QString& text) {
    std::fprintf(stderr, "orbis-ptt-guardian: %s\n", qPrintable(text));
    std::fflush(stderr);
}

// The guardian's watch over one push-to-talk.
class Guardian {
public:
    Guardian(const QString& pttText, int socket)
        : text_(pttText)
        , socket_(socket) {}

    int run() {
        answer("ready");
        for (;;) {
            int timeout = -1;
            if (releasePending_)
                timeout = kRetryMs;
            else if (deadline_)
                timeout = msUntil(*deadline_);
            pollfd watch{socket_, POLLIN, 0};
            const int ready = ::poll(&watch, 1, timeout);
            if (ready < 0 && errno != EINTR)
                return releaseAndEnd(QStringLiteral("the program's socket failed"));
            if (ready > 0) {
                char bytes[256];
                const ssize_t got = ::recv(socket_, bytes, sizeof bytes, 0);
                if (got < 0 && errno == EINTR)
                    continue;
                if (got <= 0)
                    return releaseAndEnd(QStringLiteral("the program has ended"));
                input_.append(bytes, got);
                takeCommands();
            }
            if (terminated_)
                return releaseAndEnd(QStringLiteral("the guardian was told to end"));
            if (deadline_ && SteadyClock::now() >= *deadline_) {
                deadline_.reset();
                say(QStringLiteral("a key of %1 lasted longer than the %2 s it may: releasing "
                                   "the transmitter")
                        .arg(text_)
                        .arg(limitMs_ / 1000.0));
                releasePending_ = true;
                answer("cut");
            }
            if (releasePending_)
                tryRelease();
        }
    }

    static inline volatile std::sig_atomic_t terminated_ = 0;

private:
    void takeCommands() {
        while (input_.contains('\n')) {
            const qsizetype end = input_.indexOf('\n');
            const QByteArray line = input_.left(end).trimmed();
            input_.remove(0, end + 1);
            if (line.startsWith("arm ")) {
                bool ok = false;
                limitMs_ = line.mid(4).toInt(&ok);
                if (!ok || limitMs_ < 0)
                    limitMs_ = 0;
                deadline_ = SteadyClock::now() + std::chrono::milliseconds(limitMs_);
                armed_ = true;
                answer("armed");
            } else if (line == "disarm") {
                deadline_.reset();
                armed_ = false;
                releasePending_ = false;
                answer("disarmed");
            }
        }
    }

    void answer(const char* text) {
        const std::string line = std::string(text) + '\n';
        ::send(socket_, line.data(), line.size(), MSG_NOSIGNAL);
    }

    // One try; true once released.
    bool tryRelease() {
        QString why;
        const std::unique_ptr<Ptt> ptt = openPttDevice(text_, &why);
        if (ptt && ptt->setKeyed(false, &why)) {
            if (failures_ > 0)
                say(QStringLiteral("released the transmitter (%1) after %2 failed tries")
                        .arg(ptt->describe())
                        .arg(failures_));
            else
                say(QStringLiteral("released the transmitter (%1)").arg(ptt->describe()));
            releasePending_ = false;
            armed_ = false;
            failures_ = 0;
            return true;
        }
        if (failures_++ == 0)
            say(QStringLiteral("cannot release the transmitter: %1; trying again every %2 s")
                    .arg(why)
                    .arg(kRetryMs / 1000.0));
        return false;
    }

    int releaseAndEnd(const QString& why) {
        if (!armed_ && !releasePending_)
            return 0;
        say(QStringLiteral("%1 with the transmitter keyed: releasing it").arg(why));
        const auto giveUp = SteadyClock::now() + std::chrono::milliseconds(kGiveUpMs);
        while (!tryRelease()) {
            if (SteadyClock::now() >= giveUp) {
                say(QStringLiteral("gave up releasing the transmitter after %1 s: check the "
                                   "transmitter now")
                        .arg(kGiveUpMs / 1000));
                return 1;
            }
            ::usleep(kRetryMs * 1000);
        }
        return 0;
    }

    QString text_;
    int socket_;
    QByteArray input_;
    bool armed_ = false;
    bool releasePending_ = false;
    int limitMs_ = 0;
    int failures_ = 0;
    std::optional<SteadyClock::time_point> deadline_;
};

extern "C" void onGuardianTerminated(int) {
    Guardian::terminated_ = 1;
}

} // namespace

int runPttGuardian(const QString& pttText, int socket) {
    // The terminal's signals reach the whole process group: the guardian stays until the program
    // has gone, whatever the operator's keys did to it. SIGTERM (a service stopped) ends it after
    // a release.
    for (const int number : {SIGINT, SIGHUP, SIGQUIT, SIGTSTP, SIGTTIN, SIGTTOU, SIGPIPE})
        std::signal(number, SIG_IGN);
    struct sigaction action = {};
    action.sa_handler = onGuardianTerminated;
    sigemptyset(&action.sa_mask);
    ::sigaction(SIGTERM, &action, nullptr);
    if (!PttSpec::parse(pttText)) {
        say(QStringLiteral("no push-to-talk named"));
        return 2;
    }
    return Guardian(pttText, socket).run();
}

} // namespace winorbis::radio
