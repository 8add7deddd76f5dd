// SPDX-License-Identifier: GPL-3.0-or-later
#include "HandheldSimulator.h"
#include "tools/simulator/SimulatedLine.h"

#include <QFile>

#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <termios.h>
#include <unistd.h>

namespace winorbis {

namespace {

using namespace std::chrono;

// A command whose parameters stop coming is forgotten after this pause.
constexpr milliseconds kLinePause{1000};

using simulatedline::makeRaw;
using simulatedline::systemError;

void writeAll(int fd, const QByteArray& bytes) {
    qsizetype done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::write(fd, bytes.constData() + done, std::size_t(bytes.size() - done));
        if (n > 0) {
            done += n;
        } else if (n < 0 && errno == EAGAIN) {
            pollfd p{fd, POLLOUT, 0};
            ::poll(&p, 1, 50);
        } else if (n < 0 && errno != EINTR) {
            return;
        }
    }
}

} // namespace

HandheldSimulator::HandheldSimulator(Options options)
    : options_(std::move(options)) {}

HandheldSimulator::~HandheldSimulator() {
    stop();
}

bool HandheldSimulator::openPseudoTerminal(QString* devicePath, QString* error) {
    stop();
    const int master = ::posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
    char name[128] = {};
    if (master < 0 || ::grantpt(master) != 0 || ::unlockpt(master) != 0 ||
        ::ptsname_r(master, name, sizeof name) != 0) {
        if (error)
            *error = systemError();
        if (master >= 0)
            ::close(master);
        return false;
    }
    // The other end stays open here too, so that it is raw before the program opens it and the
    // line stays up between the program's opens.
    const int slave = ::open(name, O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (slave < 0 || !makeRaw(slave, B115200)) {
        if (error)
            *error = systemError();
        if (slave >= 0)
            ::close(slave);
        ::close(master);
        return false;
    }
    if (devicePath)
        *devicePath = QString::fromLocal8Bit(name);
    if (options_.log)
        options_.log(QStringLiteral("VC-H1 simulator on %1").arg(QString::fromLocal8Bit(name)));
    return startServing(master, slave);
}

bool HandheldSimulator::openDevice(const QString& device, int speedSelector, QString* error) {
    stop();
    const int fd = ::open(QFile::encodeName(device).constData(), O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (fd < 0 || !makeRaw(fd, speedSelector == 1 ? B1200 : B115200)) {
        if (error)
            *error = systemError();
        if (fd >= 0)
            ::close(fd);
        return false;
    }
    if (options_.log)
        options_.log(QStringLiteral("VC-H1 simulator on %1").arg(device));
    return startServing(fd, -1);
}

bool HandheldSimulator::startServing(int fd, int slaveFd) {
    ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) | O_NONBLOCK);
    fd_ = fd;
    slaveFd_ = slaveFd;
    stopRequested_ = false;
    thread_ = std::thread([this] { serve(); });
    return true;
}

void HandheldSimulator::stop() {
    stopRequested_ = true;
    if (thread_.joinable())
        thread_.join();
    if (fd_ >= 0)
        ::close(fd_);
    if (slaveFd_ >= 0)
        ::close(slaveFd_);
    fd_ = slaveFd_ = -1;
}

void HandheldSimulator::serve() {
    auto lastByte = steady_clock::now();
    while (!stopRequested_) {
        pollfd p{fd_, POLLIN, 0};
        const int ready = ::poll(&p, 1, 20);
        if (ready <= 0) {
            std::lock_guard lock(mutex_);
            if (model_.awaitingParameters() && steady_clock::now() - lastByte > kLinePause)
                model_.lineQuiet();
            continue;
        }
        std::uint8_t buffer[64];
        const ssize_t n = ::read(fd_, buffer, sizeof buffer);
        if (n <= 0) {
            if (n < 0 && (errno == EAGAIN || errno == EINTR))
                continue;
            // The program's side closed: wait for it to open the line again.
            ::poll(nullptr, 0, 20);
            continue;
        }
        lastByte = steady_clock::now();
        for (ssize_t i = 0; i < n && !stopRequested_; ++i) {
            HandheldModel::Output out;
            {
                std::lock_guard lock(mutex_);
                received_.append(char(buffer[i]));
                out = model_.take(buffer[i]);
            }
            if (out.delayMs > 0) {
                const auto until = steady_clock::now() + milliseconds(out.delayMs);
                while (!stopRequested_ && steady_clock::now() < until)
                    std::this_thread::sleep_for(milliseconds(5));
            }
            if (!out.bytes.isEmpty())
                writeAll(fd_, out.bytes);
            if (!out.event.isEmpty()) {
                if (options_.log)
                    options_.log(out.event);
                std::lock_guard lock(mutex_);
                events_ << out.event;
                changed_.notify_all();
            }
        }
    }
}

bool HandheldSimulator::apply(const QString& line, QString* error) {
    std::lock_guard lock(mutex_);
    return model_.apply(line, error);
}

bool HandheldSimulator::applyAll(const QString& text, QString* error) {
    std::lock_guard lock(mutex_);
    return model_.applyAll(text, error);
}

HandheldModel HandheldSimulator::model() const {
    std::lock_guard lock(mutex_);
    return model_;
}

QByteArray HandheldSimulator::received() const {
    std::lock_guard lock(mutex_);
    return received_;
}

QStringList HandheldSimulator::events() const {
    std::lock_guard lock(mutex_);
    return events_;
}

bool HandheldSimulator::waitForEvents(int count, int timeoutMs) const {
    std::unique_lock lock(mutex_);
    return changed_.wait_for(lock, milliseconds(timeoutMs),
                             [&] { return events_.size() >= count; });
}

} // namespace winorbis
