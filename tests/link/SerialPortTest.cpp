// SPDX-License-Identifier: GPL-3.0-or-later
// The serial port layer on a real pseudo-terminal: time-outs, exclusivity, and a vanished device.
#include "link/SerialPort.h"
#include "platform/Clock.h"

#include <QElapsedTimer>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <cstdlib>
#include <dirent.h>
#include <fcntl.h>
#include <map>
#include <poll.h>
#include <string>
#include <termios.h>
#include <thread>
#include <unistd.h>

using namespace winorbis;

namespace {

// The other end of a pseudo-terminal, as the converter's side.
struct PtyPair {
    int master = -1;
    QString device;
    PtyPair() {
        master = ::posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
        ::grantpt(master);
        ::unlockpt(master);
        char name[128] = {};
        ::ptsname_r(master, name, sizeof name);
        device = QString::fromLocal8Bit(name);
    }
    ~PtyPair() { close(); }
    void close() {
        if (master >= 0)
            ::close(master);
        master = -1;
    }
    void send(const QByteArray& bytes) const {
        ASSERT_EQ(::write(master, bytes.constData(), std::size_t(bytes.size())), bytes.size());
    }
    // What the port sent, up to atMost bytes; the pseudo-terminal passes bytes on in its own
    // time, so this reads until 100 ms pass without more.
    QByteArray receive(int atMost) const {
        QByteArray got;
        char buffer[256];
        while (got.size() < atMost) {
            pollfd p{master, POLLIN, 0};
            if (::poll(&p, 1, 100) <= 0)
                break;
            const ssize_t n =
                ::read(master, buffer,
                       std::min<std::size_t>(sizeof buffer, std::size_t(atMost - got.size())));
            if (n <= 0)
                break;
            got.append(buffer, n);
        }
        return got;
    }
};

qint64 timed(const std::function<void()>& f) {
    QElapsedTimer timer;
    timer.start();
    f();
    return timer.elapsed();
}

} // namespace

TEST(SerialPort, OpensAPseudoTerminalRawAtBothSpeeds) {
    PtyPair pty;
    SystemClock clock;
    SerialPort port(clock);
    ASSERT_TRUE(port.open(pty.device)) << port.lastError().toStdString();
    EXPECT_TRUE(port.configure(LinkSpeed::Baud1200));
    EXPECT_EQ(port.baudRate(), 1200);
    ASSERT_TRUE(port.configure(LinkSpeed::Baud115200));
    EXPECT_EQ(port.baudRate(), 115200);
    // Raw: a CR arrives as CR and a 0x03 does not interrupt anything.
    pty.send(QByteArray("\r\x03\n\x7f", 4));
    std::uint8_t buffer[4];
    EXPECT_EQ(port.read(buffer, 4), 4);
    EXPECT_EQ(QByteArray(reinterpret_cast<char*>(buffer), 4), QByteArray("\r\x03\n\x7f", 4));
    // One write call per byte, every value passes unchanged.
    for (int b : {0, 10, 13, 128, 255})
        EXPECT_TRUE(port.writeByte(std::uint8_t(b)));
    EXPECT_EQ(pty.receive(16), QByteArray("\x00\x0a\x0d\x80\xff", 5));
}

TEST(SerialPort, RefusesUnknownSpeedsAndDevicesThatAreNoTerminals) {
    PtyPair pty;
    SystemClock clock;
    SerialPort port(clock);
    ASSERT_TRUE(port.open(pty.device));
    EXPECT_FALSE(port.configure(LinkSpeed(3)));
    EXPECT_FALSE(port.configure(LinkSpeed(0)));
    SerialPort file(clock);
    ASSERT_TRUE(file.open("/dev/null"));
    EXPECT_FALSE(file.configure(LinkSpeed::Baud115200));
    SerialPort missing(clock);
    EXPECT_FALSE(missing.open("/dev/no-such-tty"));
    EXPECT_FALSE(missing.lastError().isEmpty());
}

TEST(SerialPort, IsHeldExclusivelyWhileOpen) {
    PtyPair pty;
    SystemClock clock;
    SerialPort first(clock), second(clock);
    ASSERT_TRUE(first.open(pty.device));
    EXPECT_FALSE(second.open(pty.device));
}

TEST(SerialPort, ReadsEndByTheirTimeOuts) {
    PtyPair pty;
    SystemClock clock;
    SerialPort port(clock);
    ASSERT_TRUE(port.open(pty.device));
    ASSERT_TRUE(port.configure(LinkSpeed::Baud115200));
    std::uint8_t buffer[100];
    // Nothing there: a single-byte read waits its whole 20 ms, a ten-byte read 110 ms.
    EXPECT_GE(timed([&] { EXPECT_EQ(port.read(buffer, 1), 0); }), 19);
    EXPECT_GE(timed([&] { EXPECT_EQ(port.read(buffer, 10), 0); }), 109);
    // Everything there: the read returns with it.
    pty.send(QByteArray(100, 'x'));
    EXPECT_EQ(port.read(buffer, 100), 100);
    // Two bursts 60 ms apart: the pause between them ends the read after the first.
    std::thread later([&] {
        pty.send("abc");
        std::this_thread::sleep_for(std::chrono::milliseconds(60));
        pty.send("def");
    });
    EXPECT_EQ(port.read(buffer, 6), 3);
    later.join();
    EXPECT_EQ(port.read(buffer, 6), 3);
    EXPECT_EQ(QByteArray(reinterpret_cast<char*>(buffer), 3), "def");
}

TEST(SerialPort, DiscardsWhatHasArrived) {
    PtyPair pty;
    SystemClock clock;
    SerialPort port(clock);
    ASSERT_TRUE(port.open(pty.device));
    ASSERT_TRUE(port.configure(LinkSpeed::Baud115200));
    pty.send("stale");
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    port.discardInput();
    std::uint8_t byte;
    EXPECT_FALSE(port.readByte(byte));
}

TEST(SerialPort, AVanishedDeviceIsReportedOnceAndNeverSpunOn) {
    auto pty = std::make_unique<PtyPair>();
    SystemClock clock;
    SerialPort port(clock);
    int reports = 0;
    port.setGoneHandler([&] { ++reports; });
    ASSERT_TRUE(port.open(pty->device));
    ASSERT_TRUE(port.configure(LinkSpeed::Baud115200));
    pty.reset(); // the other end closes, as an unplugged adapter would
    std::uint8_t byte;
    for (int i = 0; i < 3; ++i)
        EXPECT_GE(timed([&] { EXPECT_FALSE(port.readByte(byte)); }), 19);
    EXPECT_TRUE(port.isGone());
    EXPECT_EQ(reports, 1);
    EXPECT_FALSE(port.writeByte(1));
}

// The process's open descriptors and what each refers to.
std::map<int, QString> openDescriptors() {
    std::map<int, QString> fds;
    DIR* dir = ::opendir("/proc/self/fd");
    if (!dir)
        return fds;
    while (const dirent* entry = ::readdir(dir)) {
        char* end = nullptr;
        const long fd = std::strtol(entry->d_name, &end, 10);
        if (end == entry->d_name || *end != '\0' || fd == ::dirfd(dir))
            continue;
        char target[256] = {};
        const std::string link = std::string("/proc/self/fd/") + entry->d_name;
        if (::readlink(link.c_str(), target, sizeof target - 1) > 0)
            fds[int(fd)] = QString::fromLocal8Bit(target);
    }
    ::closedir(dir);
    return fds;
}

// reopen() promises that the descriptor number stays the one a writer on another thread may be
// using: afterwards the old number refers to the new device, and no descriptor was added.
TEST(SerialPort, AReopenedDeviceKeepsItsDescriptorNumber) {
    QTemporaryDir dir;
    const QString name = dir.filePath("ttyUSB-orbis");
    auto pty = std::make_unique<PtyPair>();
    ASSERT_EQ(::symlink(qPrintable(pty->device), qPrintable(name)), 0);
    SystemClock clock;
    SerialPort port(clock);
    const auto beforeOpen = openDescriptors();
    ASSERT_TRUE(port.open(name));
    ASSERT_TRUE(port.configure(LinkSpeed::Baud115200));
    int portFd = -1;
    for (const auto& [fd, target] : openDescriptors())
        if (!beforeOpen.count(fd) && target == pty->device)
            portFd = fd;
    ASSERT_GE(portFd, 0);

    pty.reset();
    ::unlink(qPrintable(name));
    std::uint8_t byte;
    EXPECT_FALSE(port.readByte(byte));
    ASSERT_TRUE(port.hasVanished());
    pty = std::make_unique<PtyPair>();
    ASSERT_EQ(::symlink(qPrintable(pty->device), qPrintable(name)), 0);
    const auto beforeReopen = openDescriptors();
    ASSERT_TRUE(port.reopen());
    const auto afterReopen = openDescriptors();
    EXPECT_EQ(afterReopen.size(), beforeReopen.size()) << "a descriptor was added or lost";
    ASSERT_TRUE(afterReopen.count(portFd));
    EXPECT_EQ(afterReopen.at(portFd), pty->device);
}

TEST(SerialPort, AVanishedDeviceIsOpenedAgainUnderItsStableNameAtTheSameSpeed) {
    QTemporaryDir dir;
    const QString name = dir.filePath("ttyUSB-orbis");
    auto pty = std::make_unique<PtyPair>();
    ASSERT_EQ(::symlink(qPrintable(pty->device), qPrintable(name)), 0);
    SystemClock clock;
    SerialPort port(clock);
    EXPECT_FALSE(port.reopen()) << "a device that has not gone is not opened again";
    ASSERT_TRUE(port.open(name));
    ASSERT_TRUE(port.configure(LinkSpeed::Baud1200));
    int reports = 0;
    port.setGoneHandler([&] { ++reports; });

    // Unplugged: the device and its name disappear.
    pty.reset();
    ::unlink(qPrintable(name));
    std::uint8_t byte;
    EXPECT_FALSE(port.readByte(byte));
    ASSERT_TRUE(port.hasVanished());
    EXPECT_FALSE(port.reopen());
    EXPECT_TRUE(port.hasVanished());

    // Plugged in again: another pseudo-terminal behind the same name.
    pty = std::make_unique<PtyPair>();
    ASSERT_EQ(::symlink(qPrintable(pty->device), qPrintable(name)), 0);
    ASSERT_TRUE(port.reopen());
    EXPECT_FALSE(port.hasVanished());
    termios tio{};
    const int check = ::open(qPrintable(pty->device), O_RDWR | O_NOCTTY);
    ASSERT_GE(check, 0);
    ASSERT_EQ(::tcgetattr(check, &tio), 0);
    ::close(check);
    EXPECT_EQ(::cfgetospeed(&tio), speed_t(B1200));
    EXPECT_EQ(tio.c_lflag & ICANON, 0u) << "raw again";
    ASSERT_TRUE(port.writeByte(16));
    EXPECT_EQ(pty->receive(1), QByteArray(1, 16));
    pty->send("\x4c");
    ASSERT_TRUE(port.readByte(byte));
    EXPECT_EQ(byte, 0x4c);

    // A second loss is reported again.
    pty.reset();
    EXPECT_FALSE(port.readByte(byte));
    EXPECT_EQ(reports, 2);
}

TEST(SerialPort, OneThreadReadsWhileAnotherWrites) {
    PtyPair pty;
    SystemClock clock;
    SerialPort port(clock);
    ASSERT_TRUE(port.open(pty.device));
    ASSERT_TRUE(port.configure(LinkSpeed::Baud115200));
    std::atomic<int> got{0};
    std::thread reader([&] {
        std::uint8_t b;
        for (int i = 0; i < 50 && got < 20; ++i)
            got += port.readByte(b) ? 1 : 0;
    });
    for (int i = 0; i < 20; ++i)
        EXPECT_TRUE(port.writeByte(std::uint8_t(i)));
    pty.send(QByteArray(20, '\x44'));
    reader.join();
    EXPECT_EQ(got, 20);
    EXPECT_EQ(pty.receive(64).size(), 20);
}
