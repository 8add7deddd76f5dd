// SPDX-License-Identifier: GPL-3.0-or-later
#include "HandheldSimulator.h"
#include "converter/SimulatedLine.h"

#include <cerrno>
#include <chrono>
#include <poll.h>
#include <thread>
#include <unistd.h>

namespace winorbis {

namespace {

using namespace std::chrono;

// A command whose parameters stop coming is forgotten after this pause.
constexpr milliseconds kLinePause{1000};

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
    QString name;
    if (!line_.openPseudoTerminal(&name, error))
        return false;
    if (devicePath)
        *devicePath = name;
    if (options_.log)
        options_.log(QStringLiteral("VC-H1 simulator on %1").arg(name));
    line_.serve([this] { serve(); });
    return true;
}

bool HandheldSimulator::openDevice(const QString& device, LinkSpeed speed, QString* error) {
    stop();
    if (!line_.openDevice(device, speed, error))
        return false;
    if (options_.log)
        options_.log(QStringLiteral("VC-H1 simulator on %1").arg(device));
    line_.serve([this] { serve(); });
    return true;
}

void HandheldSimulator::stop() {
    line_.stop();
}

void HandheldSimulator::serve() {
    auto lastByte = steady_clock::now();
    while (!line_.stopRequested()) {
        pollfd p{line_.fd(), POLLIN, 0};
        const int ready = ::poll(&p, 1, 20);
        if (ready <= 0) {
            std::lock_guard lock(mutex_);
            if (model_.awaitingParameters() && steady_clock::now() - lastByte > kLinePause)
                model_.lineQuiet();
            continue;
        }
        std::uint8_t buffer[64];
        const ssize_t n = ::read(line_.fd(), buffer, sizeof buffer);
        if (n <= 0) {
            if (n < 0 && (errno == EAGAIN || errno == EINTR))
                continue;
            // The program's side closed: wait for it to open the line again.
            ::poll(nullptr, 0, 20);
            continue;
        }
        lastByte = steady_clock::now();
        for (ssize_t i = 0; i < n && !line_.stopRequested(); ++i) {
            HandheldModel::Output out;
            {
                std::lock_guard lock(mutex_);
                received_.append(char(buffer[i]));
                out = model_.take(buffer[i]);
            }
            if (out.delayMs > 0) {
                const auto until = steady_clock::now() + milliseconds(out.delayMs);
                while (!line_.stopRequested() && steady_clock::now() < until)
                    std::this_thread::sleep_for(milliseconds(5));
            }
            if (!out.bytes.isEmpty())
                writeAll(line_.fd(), out.bytes);
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
