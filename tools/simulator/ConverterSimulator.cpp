// SPDX-License-Identifier: GPL-3.0-or-later
#include "ConverterSimulator.h"

#include "link/ModeTable.h"
#include "link/PixelCodec.h"

#include <QFile>
#include <QPainter>

#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <termios.h>
#include <thread>
#include <unistd.h>

namespace winorbis {

namespace {

using namespace std::chrono;
namespace pc = pixelcodec;

// The bytes that follow the identify answer; the program eats them unread.
const QByteArray kIdentifyTrailer("ORB70", 5);
// A line the program started but did not finish is given up after this pause.
constexpr int kLinePauseMs = 1000;

std::int64_t nowMs() {
    return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
}

QString systemError() {
    return QString::fromLocal8Bit(std::strerror(errno));
}

bool makeRaw(int fd, speed_t speed) {
    termios tio{};
    if (::tcgetattr(fd, &tio) != 0)
        return false;
    ::cfmakeraw(&tio);
    tio.c_cflag |= CLOCAL | CREAD;
    tio.c_cflag &= ~tcflag_t(CRTSCTS);
    ::cfsetispeed(&tio, speed);
    ::cfsetospeed(&tio, speed);
    return ::tcsetattr(fd, TCSANOW, &tio) == 0;
}

QString describe(std::uint8_t byte) {
    return QStringLiteral("%1 (0x%2)").arg(byte).arg(byte, 2, 16, QLatin1Char('0'));
}

} // namespace

ConverterSimulator::ConverterSimulator(Options options)
    : options_(std::move(options))
    , identifyAnswer_(options_.identifyAnswer) {
    const QImage camera = cameraPicture(0);
    storePicture(0, camera);
    storePicture(1, camera);
}

ConverterSimulator::~ConverterSimulator() {
    stop();
}

QImage ConverterSimulator::cameraPicture(int frameNumber) {
    QImage picture(pc::kFrameWidth, pc::kFrameLines, QImage::Format_RGB32);
    QPainter painter(&picture);
    // Colour bars over the upper two thirds, a grey ramp below, a marker that moves per frame.
    const QColor bars[] = {Qt::white,   Qt::yellow, Qt::cyan, Qt::green,
                           Qt::magenta, Qt::red,    Qt::blue, Qt::black};
    const int barWidth = pc::kFrameWidth / 8;
    for (int i = 0; i < 8; ++i)
        painter.fillRect(i * barWidth, 0, i == 7 ? pc::kFrameWidth - 7 * barWidth : barWidth, 170,
                         bars[i]);
    for (int x = 0; x < pc::kFrameWidth; ++x) {
        const int grey = x * 255 / (pc::kFrameWidth - 1);
        painter.fillRect(x, 170, 1, 86, QColor(grey, grey, grey));
    }
    const int markerX = 10 + (frameNumber * 37) % (pc::kFrameWidth - 60);
    painter.fillRect(markerX, 190, 40, 40, QColor(255, 128, 0));
    painter.end();
    return picture;
}

void ConverterSimulator::storePicture(int memory, const QImage& picture) {
    const QImage frame = picture.width() == pc::kFrameWidth && picture.height() == pc::kFrameLines
                             ? picture
                             : picture.scaled(pc::kFrameWidth, pc::kFrameLines,
                                              Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    std::vector<Line> lines;
    lines.reserve(pc::kFrameLines);
    for (int row = 0; row < pc::kFrameLines; ++row)
        lines.push_back(pc::encodeImageRow(frame, row));
    memory_[std::size_t(memory)] = std::move(lines);
}

bool ConverterSimulator::openPseudoTerminal(QString* devicePath, QString* error) {
    stop();
    const int master = ::posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (master < 0 || ::grantpt(master) != 0 || ::unlockpt(master) != 0) {
        if (error)
            *error = systemError();
        if (master >= 0)
            ::close(master);
        return false;
    }
    char name[128] = {};
    if (::ptsname_r(master, name, sizeof name) != 0) {
        if (error)
            *error = systemError();
        ::close(master);
        return false;
    }
    // The simulator holds the other end open as well: the line stays up between the program's
    // opens, and it is raw before the program opens it.
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
    log(QStringLiteral("Orbis 70p simulator on %1").arg(QString::fromLocal8Bit(name)));
    return startServing(master, slave);
}

bool ConverterSimulator::openDevice(const QString& device, int speedSelector, QString* error) {
    stop();
    const int fd = ::open(QFile::encodeName(device).constData(), O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (fd < 0 || !makeRaw(fd, speedSelector == 1 ? B1200 : B115200)) {
        if (error)
            *error = systemError();
        if (fd >= 0)
            ::close(fd);
        return false;
    }
    log(QStringLiteral("Orbis 70p simulator on %1").arg(device));
    return startServing(fd, -1);
}

bool ConverterSimulator::startServing(int fd, int slaveFd) {
    ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) | O_NONBLOCK);
    fd_ = fd;
    slaveFd_ = slaveFd;
    stopRequested_ = false;
    running_ = true;
    thread_ = std::thread([this] { serve(); });
    return true;
}

void ConverterSimulator::stop() {
    stopRequested_ = true;
    if (thread_.joinable())
        thread_.join();
    closeLine();
}

void ConverterSimulator::closeLine() {
    std::lock_guard lock(writeMutex_);
    if (fd_ >= 0)
        ::close(fd_);
    if (slaveFd_ >= 0)
        ::close(slaveFd_);
    fd_ = slaveFd_ = -1;
    running_ = false;
}

void ConverterSimulator::serve() {
    std::uint8_t buffer[64];
    while (!stopRequested_) {
        int fd;
        {
            std::lock_guard lock(writeMutex_);
            fd = fd_;
        }
        if (fd < 0)
            break;
        pollfd p{fd, POLLIN, 0};
        const int ready = ::poll(&p, 1, 50);
        if (ready < 0 && errno != EINTR)
            break;
        {
            std::lock_guard lock(mutex_);
            if (phase_ == Phase::LineData && nowMs() - lineStartedMs_ > kLinePauseMs) {
                log(QStringLiteral("line %1 broke off after %2 bytes; given up")
                        .arg(transferLine_)
                        .arg(lineBuffer_.size()));
                phase_ = Phase::Command;
                lineBuffer_.clear();
            }
        }
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
        for (ssize_t i = 0; i < n && running_; ++i)
            handleByte(buffer[i]);
        if (options_.paced) {
            // The line brings bytes in no faster than its baud rate either; the sender's
            // buffer fills and holds it back.
            pace(inputFree_, n);
        }
    }
    running_ = false;
}

void ConverterSimulator::handleByte(std::uint8_t byte) {
    std::unique_lock lock(mutex_);
    received_.append(char(byte));
    if (phase_ == Phase::LineData) {
        lineBuffer_.append(char(byte));
        lineStartedMs_ = nowMs();
        if (lineBuffer_.size() < pc::kLineBytes)
            return;
        auto& memory = memory_[std::size_t(active_)];
        if (transferLine_ < pc::kFrameLines)
            memory[std::size_t(transferLine_)] = lineBuffer_;
        const int line = transferLine_++;
        lineBuffer_.clear();
        phase_ = Phase::Command;
        event(QStringLiteral("line %1 received").arg(line));
        const bool silent = silent_;
        lock.unlock();
        if (!silent)
            answer(QByteArray(1, char(kAcknowledge)).append('\0'));
        countTransferLine();
        return;
    }

    if (silent_) {
        log(QStringLiteral("byte %1 unanswered (silent)").arg(describe(byte)));
        return;
    }
    switch (byte) {
    case command::kIdentify: {
        event(QStringLiteral("identify"));
        const QByteArray reply = QByteArray(1, char(identifyAnswer_)) + kIdentifyTrailer;
        lock.unlock();
        answer(reply);
        return;
    }
    case command::kBeginTransfer:
        transferLine_ = 0;
        transferredLines_ = 0;
        event(QStringLiteral("begin transfer / stop reception"));
        lock.unlock();
        answer(QByteArray(1, char(kAcknowledge)));
        return;
    case command::kLineFollows:
        phase_ = Phase::LineData;
        lineStartedMs_ = nowMs();
        lineBuffer_.clear();
        lock.unlock();
        answer(QByteArray(1, char(kAcknowledge)));
        return;
    case command::kNextLine: {
        const int line = transferLine_++;
        const int requested = line + 1;
        if (std::find(droppedLines_.begin(), droppedLines_.end(), requested) !=
            droppedLines_.end()) {
            event(QStringLiteral("line %1 dropped").arg(requested));
            lock.unlock();
            countTransferLine();
            return;
        }
        QByteArray reply = line < pc::kFrameLines ? memory_[std::size_t(active_)][std::size_t(line)]
                                                  : QByteArray(pc::kLineBytes, '\0');
        reply.append('\0');
        event(QStringLiteral("line %1 sent").arg(requested));
        lock.unlock();
        answer(reply);
        countTransferLine();
        return;
    }
    case command::kMemory1:
    case command::kMemory2:
        active_ = byte == command::kMemory1 ? 0 : 1;
        event(QStringLiteral("memory %1").arg(active_ + 1));
        return;
    case command::kDigitize:
        ++cameraFrame_;
        storePicture(active_, cameraPicture(cameraFrame_));
        event(QStringLiteral("digitize into memory %1").arg(active_ + 1));
        return;
    default:
        break;
    }
    for (const Mode& m : modeTable()) {
        if (byte == m.txByte) {
            event(QStringLiteral("transmit %1").arg(m.displayName));
            return;
        }
        if (byte == m.freeRunByte) {
            event(QStringLiteral("free run %1").arg(m.shortName));
            return;
        }
    }
    event(QStringLiteral("unknown byte %1").arg(describe(byte)));
}

void ConverterSimulator::countTransferLine() {
    {
        std::lock_guard lock(mutex_);
        ++transferredLines_;
        if (closeAfter_ <= 0 || transferredLines_ < closeAfter_)
            return;
        event(QStringLiteral("line closed in the middle of the transfer"));
    }
    {
        stopRequested_ = true;
        closeLine();
    }
}

void ConverterSimulator::answer(const QByteArray& bytes) {
    int garbage;
    {
        std::lock_guard lock(mutex_);
        garbage = garbage_;
    }
    if (garbage > 0) {
        QByteArray noise;
        for (int i = 0; i < garbage; ++i)
            noise.append(char(0x55 + i % 7)); // never 128, never a status byte
        writeRaw(noise);
    }
    writeRaw(bytes);
}

std::chrono::steady_clock::duration ConverterSimulator::lineTime(qsizetype bytes) const {
    const double seconds = double(bytes) * 10.0 / std::max(options_.baud, 1);
    return duration_cast<steady_clock::duration>(duration<double>(seconds));
}

void ConverterSimulator::pace(steady_clock::time_point& lineFree, qsizetype bytes) const {
    // An absolute schedule: sleeping late once does not make every later byte late.
    const auto now = steady_clock::now();
    if (now > lineFree + milliseconds(2))
        lineFree = now; // the line was idle
    lineFree += lineTime(bytes);
    std::this_thread::sleep_until(lineFree);
}

void ConverterSimulator::writeRaw(const QByteArray& bytes) {
    std::lock_guard lock(writeMutex_);
    qsizetype done = 0;
    while (done < bytes.size() && fd_ >= 0 && !stopRequested_) {
        const qsizetype chunk =
            options_.paced ? std::min<qsizetype>(16, bytes.size() - done) : bytes.size() - done;
        const ssize_t n = ::write(fd_, bytes.constData() + done, std::size_t(chunk));
        if (n > 0) {
            done += n;
            if (options_.paced)
                pace(outputFree_, n);
        } else if (n < 0 && (errno == EAGAIN || errno == EINTR)) {
            pollfd p{fd_, POLLOUT, 0};
            ::poll(&p, 1, 50);
        } else {
            break;
        }
    }
}

// Called with mutex_ held.
void ConverterSimulator::event(const QString& text) {
    events_.append(text);
    changed_.notify_all();
    log(text);
}

void ConverterSimulator::log(const QString& text) const {
    if (options_.log)
        options_.log(text);
}

void ConverterSimulator::setIdentifyAnswer(std::uint8_t byte) {
    std::lock_guard lock(mutex_);
    identifyAnswer_ = byte;
}

void ConverterSimulator::setSilent(bool silent) {
    std::lock_guard lock(mutex_);
    silent_ = silent;
}

void ConverterSimulator::dropFetchLine(int line) {
    std::lock_guard lock(mutex_);
    droppedLines_.push_back(line);
}

void ConverterSimulator::setGarbageBeforeAnswers(int count) {
    std::lock_guard lock(mutex_);
    garbage_ = std::max(count, 0);
}

void ConverterSimulator::closeAfterLines(int count) {
    std::lock_guard lock(mutex_);
    closeAfter_ = std::max(count, 0);
}

void ConverterSimulator::injectBytes(const QByteArray& bytes) {
    log(QStringLiteral("sending %1 stray bytes").arg(bytes.size()));
    writeRaw(bytes);
}

void ConverterSimulator::receive(std::uint8_t statusByte, const QImage& picture) {
    {
        std::lock_guard lock(mutex_);
        storePicture(active_, picture);
        event(QStringLiteral("reception, status %1").arg(describe(statusByte)));
    }
    writeRaw(QByteArray(1, char(statusByte)));
}

void ConverterSimulator::sendStatus(std::uint8_t statusByte) {
    {
        std::lock_guard lock(mutex_);
        event(QStringLiteral("status %1").arg(describe(statusByte)));
    }
    writeRaw(QByteArray(1, char(statusByte)));
}

int ConverterSimulator::activeMemory() const {
    std::lock_guard lock(mutex_);
    return active_ + 1;
}

QByteArray ConverterSimulator::memoryLine(int memory, int line) const {
    std::lock_guard lock(mutex_);
    if (memory < 1 || memory > 2 || line < 0 || line >= pc::kFrameLines)
        return {};
    return memory_[std::size_t(memory - 1)][std::size_t(line)];
}

QImage ConverterSimulator::memoryPicture(int memory) const {
    QImage picture(pc::kFrameWidth, pc::kFrameLines, QImage::Format_RGB32);
    for (int line = 0; line < pc::kFrameLines; ++line) {
        const QByteArray bytes = memoryLine(memory, line);
        if (bytes.size() != pc::kLineBytes)
            return {};
        const auto pixels =
            pc::decodeLine(reinterpret_cast<const std::uint8_t*>(bytes.constData()));
        for (int x = 0; x < pc::kFrameWidth; ++x)
            picture.setPixel(x, line, pixels[std::size_t(x)]);
    }
    return picture;
}

QByteArray ConverterSimulator::received() const {
    std::lock_guard lock(mutex_);
    return received_;
}

QStringList ConverterSimulator::events() const {
    std::lock_guard lock(mutex_);
    return events_;
}

bool ConverterSimulator::waitForEvents(int count, int timeoutMs) const {
    std::unique_lock lock(mutex_);
    return changed_.wait_for(lock, milliseconds(timeoutMs),
                             [&] { return events_.size() >= count; });
}

} // namespace winorbis
