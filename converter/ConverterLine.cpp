// SPDX-License-Identifier: GPL-3.0-or-later
#include "ConverterLine.h"

#include <QFile>
#include <QFileInfo>

#include <algorithm>
#include <cerrno>
#include <poll.h>
#include <thread>
#include <unistd.h>

namespace winorbis {

namespace {

using namespace std::chrono;

// A line the program started but did not finish is given up after this pause.
constexpr milliseconds kLinePause{1000};

using simulatedline::systemError;

} // namespace

ConverterLine::ConverterLine(Options options)
    : options_(std::move(options)) {
    model_.identifyAnswer = options_.identifyAnswer;
}

ConverterLine::~ConverterLine() {
    stop();
    if (!linkPath_.isEmpty())
        ::unlink(QFile::encodeName(linkPath_).constData());
}

bool ConverterLine::openPseudoTerminal(QString* devicePath, QString* error) {
    stop();
    QString name;
    if (!line_.openPseudoTerminal(&name, error))
        return false;
    if (devicePath)
        *devicePath = name;
    log(QStringLiteral("Orbis 70p simulator on %1").arg(name));
    startServing();
    return true;
}

bool ConverterLine::openPseudoTerminalAt(const QString& linkPath, QString* error) {
    const QFileInfo existing(linkPath);
    if (existing.exists() && !existing.isSymLink()) {
        if (error)
            *error = QStringLiteral("%1 exists and is no symbolic link").arg(linkPath);
        return false;
    }
    linkPath_ = linkPath;
    return plugIn(error);
}

bool ConverterLine::plugIn(QString* error) {
    if (linkPath_.isEmpty()) {
        if (error)
            *error = QStringLiteral("the line has no stable name");
        return false;
    }
    QString device;
    if (!openPseudoTerminal(&device, error))
        return false;
    // The name appears in one step, as a device node does: a link beside it renamed over it.
    const QByteArray target = QFile::encodeName(device);
    const QByteArray name = QFile::encodeName(linkPath_);
    const QByteArray temporary = name + ".plugging";
    ::unlink(temporary.constData());
    if (::symlink(target.constData(), temporary.constData()) != 0 ||
        ::rename(temporary.constData(), name.constData()) != 0) {
        if (error)
            *error = systemError();
        ::unlink(temporary.constData());
        stop();
        return false;
    }
    log(QStringLiteral("plugged in as %1").arg(linkPath_));
    return true;
}

void ConverterLine::unplug() {
    if (linkPath_.isEmpty())
        return;
    log(QStringLiteral("unplugged"));
    stop();
    ::unlink(QFile::encodeName(linkPath_).constData());
}

bool ConverterLine::openDevice(const QString& device, LinkSpeed speed, QString* error) {
    stop();
    if (!line_.openDevice(device, speed, error))
        return false;
    log(QStringLiteral("Orbis 70p simulator on %1").arg(device));
    startServing();
    return true;
}

void ConverterLine::startServing() {
    running_ = true;
    line_.serve([this] { serve(); });
}

void ConverterLine::stop() {
    line_.stopServing();
    shutLine();
}

void ConverterLine::closeLine() {
    if (!running_)
        return;
    log(QStringLiteral("line closed"));
    stop();
}

void ConverterLine::shutLine() {
    std::lock_guard lock(writeMutex_);
    line_.close();
    running_ = false;
}

void ConverterLine::serve() {
    std::uint8_t buffer[64];
    while (!line_.stopRequested()) {
        int fd;
        {
            std::lock_guard lock(writeMutex_);
            fd = line_.fd();
        }
        if (fd < 0)
            break;
        pollfd p{fd, POLLIN, 0};
        const int ready = ::poll(&p, 1, 50);
        if (ready < 0 && errno != EINTR) {
            error(QStringLiteral("the line failed: %1").arg(systemError()));
            break;
        }
        ConverterModel::Output givenUp;
        {
            std::lock_guard lock(mutex_);
            if (model_.awaitingLineData() && steady_clock::now() - lastByte_ > kLinePause)
                givenUp = model_.giveUpLine();
            record_.events(givenUp.events);
        }
        carryOut(givenUp);
        if (ready <= 0 || !(p.revents & POLLIN)) {
            if (ready > 0 && (p.revents & (POLLHUP | POLLERR | POLLNVAL)))
                ::usleep(50000); // no peer on the line yet
            continue;
        }
        const ssize_t n = ::read(fd, buffer, sizeof buffer);
        if (n <= 0) {
            if (n < 0 && (errno == EAGAIN || errno == EINTR))
                continue;
            ::usleep(50000); // EIO: nobody has the other end open
            continue;
        }
        for (ssize_t i = 0; i < n && !line_.stopRequested(); ++i) {
            ConverterModel::Output out;
            {
                std::lock_guard lock(mutex_);
                lastByte_ = steady_clock::now();
                record_.byte(buffer[i]);
                out = faults_.feed(model_, buffer[i]);
                record_.events(out.events);
                changed_.notify_all();
            }
            carryOut(out);
        }
        if (options_.paced) {
            // The line brings bytes in no faster than its baud rate either; the sender's
            // buffer fills and holds it back.
            pace(inputFree_, n);
        }
    }
    running_ = false;
}

void ConverterLine::carryOut(const ConverterModel::Output& out) {
    for (const QString& line : out.log)
        log(line);
    if (!out.bytes.isEmpty())
        writeRaw(out.bytes);
    if (out.closeLine) {
        line_.requestStop();
        shutLine();
    }
}

std::chrono::steady_clock::duration ConverterLine::lineTime(qsizetype bytes) const {
    const double seconds = double(bytes) * 10.0 / std::max(options_.baud, 1);
    return duration_cast<steady_clock::duration>(duration<double>(seconds));
}

void ConverterLine::pace(steady_clock::time_point& lineFree, qsizetype bytes) const {
    // An absolute schedule: sleeping late once does not make every later byte late.
    const auto now = steady_clock::now();
    if (now > lineFree + milliseconds(2))
        lineFree = now; // the line was idle
    lineFree += lineTime(bytes);
    std::this_thread::sleep_until(lineFree);
}

void ConverterLine::writeRaw(const QByteArray& bytes) {
    std::lock_guard lock(writeMutex_);
    // Paced, the bytes go out in pieces of at most 2 ms of line time, so that the gaps stay below
    // the reader's time-outs as on a real line (at 1200 baud one byte every 8.3 ms).
    const qsizetype piece = std::clamp(options_.baud / 5000, 1, 16);
    qsizetype done = 0;
    const int fd = line_.fd();
    while (done < bytes.size() && fd >= 0 && !line_.stopRequested()) {
        const qsizetype chunk =
            options_.paced ? std::min(piece, bytes.size() - done) : bytes.size() - done;
        const ssize_t n = ::write(fd, bytes.constData() + done, std::size_t(chunk));
        if (n > 0) {
            done += n;
            if (options_.paced)
                pace(outputFree_, n);
        } else if (n < 0 && (errno == EAGAIN || errno == EINTR)) {
            pollfd p{fd, POLLOUT, 0};
            ::poll(&p, 1, 50);
        } else {
            error(QStringLiteral("cannot send %1 bytes: %2")
                      .arg(bytes.size() - done)
                      .arg(systemError()));
            break;
        }
    }
}

void ConverterLine::log(const QString& text) const {
    if (options_.log)
        options_.log(text);
}

void ConverterLine::error(const QString& text) const {
    if (options_.error)
        options_.error(text);
    else
        log(text);
}

void ConverterLine::injectBytes(const QByteArray& bytes) {
    log(QStringLiteral("sending %1 stray bytes").arg(bytes.size()));
    writeRaw(bytes);
}

void ConverterLine::setRadio(ConverterRadio* radio) {
    std::lock_guard lock(mutex_);
    model_.setRadio(radio);
}

void ConverterLine::withModel(const std::function<ConverterModel::Output(ConverterModel&)>& call) {
    ConverterModel::Output out;
    {
        std::lock_guard lock(mutex_);
        out = call(model_);
        record_.events(out.events);
        changed_.notify_all();
    }
    carryOut(out);
}

void ConverterLine::withFaults(const std::function<void(ConverterFaults&)>& call) {
    std::lock_guard lock(mutex_);
    call(faults_);
}

ConverterFaults ConverterLine::faults() const {
    std::lock_guard lock(mutex_);
    return faults_;
}

int ConverterLine::activeMemory() const {
    std::lock_guard lock(mutex_);
    return model_.activeMemory();
}

QByteArray ConverterLine::memoryLine(int memory, int line) const {
    std::lock_guard lock(mutex_);
    return model_.memoryLine(memory, line);
}

QImage ConverterLine::memoryPicture(int memory) const {
    std::lock_guard lock(mutex_);
    return model_.memoryPicture(memory);
}

ReceivedBytes ConverterLine::received() const {
    std::lock_guard lock(mutex_);
    return record_.received();
}

QStringList ConverterLine::events() const {
    std::lock_guard lock(mutex_);
    return record_.events();
}

bool ConverterLine::waitForEvents(qsizetype count, int timeoutMs) const {
    std::unique_lock lock(mutex_);
    return changed_.wait_for(lock, milliseconds(timeoutMs),
                             [&] { return record_.eventCount() >= count; });
}

} // namespace winorbis
