// SPDX-License-Identifier: GPL-3.0-or-later
// RTS and DTR keying on real devices: a pseudo-terminal has no modem lines and says so plainly;
// the device is opened with HUPCL, so that the lines drop when the program dies.
#include "radio/ptt/SerialLinePtt.h"
#include "radio/ptt/PttDevices.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <cstdlib>
#include <fcntl.h>
#include <termios.h>
#include <unistd.h>

using namespace winorbis::radio;

namespace {

// A pseudo-terminal pair; the slave's name.
class PseudoTerminal {
public:
    PseudoTerminal() {
        master_ = ::posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
        if (master_ >= 0 && ::grantpt(master_) == 0 && ::unlockpt(master_) == 0)
            slave_ = QString::fromLocal8Bit(::ptsname(master_));
    }
    ~PseudoTerminal() {
        if (master_ >= 0)
            ::close(master_);
    }
    const QString& slave() const { return slave_; }

private:
    int master_ = -1;
    QString slave_;
};

} // namespace

TEST(SerialLinePtt, APseudoTerminalHasNoLineToKeyWith) {
    PseudoTerminal pty;
    ASSERT_FALSE(pty.slave().isEmpty());
    for (const char* kind : {"rts", "dtr"}) {
        QString error;
        EXPECT_EQ(openPtt(QStringLiteral("%1:%2").arg(kind, pty.slave()), &error), nullptr);
        EXPECT_EQ(error, QStringLiteral("%1 has no %2 line to key the transmitter with (a "
                                        "pseudo-terminal or a port without modem control lines)")
                             .arg(pty.slave(), QString::fromLatin1(kind).toUpper()));
    }
}

TEST(SerialLinePtt, TheDeviceIsOpenedWithHangUpOnClose) {
    PseudoTerminal pty;
    ASSERT_FALSE(pty.slave().isEmpty());
    // A terminal starts with HUPCL on; it is cleared first so that only the open can set it.
    {
        const int fd = ::open(pty.slave().toLocal8Bit().constData(), O_RDWR | O_NOCTTY);
        ASSERT_GE(fd, 0);
        termios tio{};
        ASSERT_EQ(::tcgetattr(fd, &tio), 0);
        tio.c_cflag &= ~tcflag_t(HUPCL);
        ASSERT_EQ(::tcsetattr(fd, TCSANOW, &tio), 0);
        ASSERT_EQ(::tcgetattr(fd, &tio), 0);
        ASSERT_EQ(tio.c_cflag & HUPCL, 0u);
        ::close(fd);
    }
    QString error;
    const int fd = openKeyingDevice(pty.slave(), &error);
    ASSERT_GE(fd, 0) << error.toStdString();
    termios tio{};
    ASSERT_EQ(::tcgetattr(fd, &tio), 0);
    EXPECT_NE(tio.c_cflag & HUPCL, 0u);
    EXPECT_NE(::fcntl(fd, F_GETFD) & FD_CLOEXEC, 0);
    ::close(fd);
}

TEST(SerialLinePtt, AMissingDeviceOrAFileThatIsNoTerminalIsRefusedByName) {
    QString error;
    EXPECT_EQ(openPtt("rts:/dev/ttyNoSuchAdapter9", &error), nullptr);
    EXPECT_EQ(error, "/dev/ttyNoSuchAdapter9: No such file or directory");
    QTemporaryDir dir;
    const QString file = dir.filePath("notaport");
    ASSERT_TRUE(QFile(file).open(QIODevice::WriteOnly));
    EXPECT_EQ(openPtt("dtr:" + file, &error), nullptr);
    EXPECT_EQ(error, file + " is not a serial device");
}
